#include "app/DefaultSettingsDialogs.h"

#include "app/AppCore.h"

namespace {
// Stores the dialog's own fields into the current defaults, so that fields
// the dialog does not show keep whatever the defaults hold now.
template <typename Dialog>
void Connect(Dialog* dlg, QObject* context) {
  QObject::connect(dlg, &SettingsDialogBase::applied, context,
                   [dlg](const nv::AnalysisSettings&, bool) {
                     dlg->ReadFields(nv::AppCore::Instance().defaultAnalysis);
                   });
}

// The defaults describe new documents, so their read-outs and limits use the
// default format's rate and time-expansion factor.
DocumentRates DefaultRates() {
  const nv::DefaultData& d = nv::AppCore::Instance().defaultData;
  DocumentRates r;
  r.sampleRateHz = d.rateHz;
  r.timeExpansion = nv::TimeBase::RepairedExpansion(d.info.TimeExpansion());
  return r;
}
}  // namespace

SpectrogramSettingsDialog* DefaultSettingsDialogs::OpenSpectrogram(QWidget* parent) {
  return spectrogram_.Open([&] {
    auto* d = new SpectrogramSettingsDialog(nv::AppCore::Instance().colorMapList, nv::AppCore::Instance().defaultAnalysis, true, DefaultRates(), parent);
    Connect(d, this);
    return d;
  });
}

OscillogramSettingsDialog* DefaultSettingsDialogs::OpenOscillogram(QWidget* parent) {
  return oscillogram_.Open([&] {
    auto* d = new OscillogramSettingsDialog(nv::AppCore::Instance().defaultAnalysis, true, DefaultRates(), parent);
    Connect(d, this);
    return d;
  });
}

ZeroCrossingSettingsDialog* DefaultSettingsDialogs::OpenZeroCrossing(QWidget* parent) {
  return zeroCrossing_.Open([&] {
    auto* d = new ZeroCrossingSettingsDialog(nv::AppCore::Instance().defaultAnalysis, true, DefaultRates(), parent);
    Connect(d, this);
    return d;
  });
}
