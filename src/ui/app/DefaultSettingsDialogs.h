#pragma once
// The owner of the three display settings dialogs that edit the application's
// default AnalysisSettings ("- Default" commands of the Analysis menu): one
// dialog of each kind at a time, a second command brings it to the front, and
// OK or Apply store the dialog's fields into the defaults of the AppCore it
// is made with (which outlives it). Interface thread only.
#include <QObject>

#include "settings/DialogSlot.h"
#include "settings/OscillogramSettingsDialog.h"
#include "settings/SpectrogramSettingsDialog.h"
#include "settings/ZeroCrossingSettingsDialog.h"

namespace nv {
class AppCore;
}

class DefaultSettingsDialogs : public QObject {
  Q_OBJECT
 public:
  explicit DefaultSettingsDialogs(nv::AppCore& core, QObject* parent = nullptr) : QObject(parent), core_(core) {}

  SpectrogramSettingsDialog* OpenSpectrogram(QWidget* parent = nullptr);
  OscillogramSettingsDialog* OpenOscillogram(QWidget* parent = nullptr);
  ZeroCrossingSettingsDialog* OpenZeroCrossing(QWidget* parent = nullptr);

 private:
  // The read-outs' rates of the default format.
  DocumentRates DefaultRates() const;

  nv::AppCore& core_;
  DialogSlot<SpectrogramSettingsDialog> spectrogram_;
  DialogSlot<OscillogramSettingsDialog> oscillogram_;
  DialogSlot<ZeroCrossingSettingsDialog> zeroCrossing_;
};
