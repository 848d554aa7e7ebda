#pragma once
// "Sound devices": the input and output devices the sound server lists, each
// a radio button with its name and the best standard format it takes, the
// current choice checked. At most one button of each kind is checked;
// clicking the checked one clears it, and no checked button means the
// system's default device. Below the inputs, the input kind: the sound
// input device or one of the acquisition cards (which record with their own
// software). OK returns the choice; Cancel changes nothing.
#include <QDialog>
#include <QList>
#include <functional>
#include <string>

#include "audio/AudioBackend.h"
#include "audio/Recorder.h"

class QComboBox;
class QRadioButton;
class ViewHost;

class SoundDevicesDialog : public QDialog {
  Q_OBJECT
 public:
  SoundDevicesDialog(nv::AudioBackend& audio, const std::string& output, const std::string& input,
                     QWidget* parent = nullptr, nv::InputKind kind = nv::InputKind::WaveInput);

  // The checked devices' ids, empty for the default.
  std::string OutputChoice() const;
  std::string InputChoice() const;
  nv::InputKind InputKindChoice() const;
  QComboBox* InputKindBox() const { return kind_; }
  const QList<QRadioButton*>& OutputButtons() const { return outputs_; }
  const QList<QRadioButton*>& InputButtons() const { return inputs_; }

  // Runs the dialog: exec(), or `runner` when set (tests).
  int Run();
  // "Sound devices": the dialog over the devices of `host`; on OK the
  // choices go back to it.
  static void ChooseForHost(ViewHost& host, QWidget* parent);
  static std::function<int(SoundDevicesDialog&)> runner;

 private:
  QList<QRadioButton*> AddGroup(const QString& title, const std::vector<nv::AudioDeviceInfo>& devices,
                                const std::string& current, class QVBoxLayout* layout);
  static std::string Checked(const QList<QRadioButton*>& buttons);

  QList<QRadioButton*> outputs_, inputs_;
  QComboBox* kind_ = nullptr;
};
