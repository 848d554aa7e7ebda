#include "app/DefaultSettingsDialogs.h"

#include "app/AppCore.h"

namespace {
// Stores the dialog's own fields into the current defaults, so that fields
// the dialog does not show keep whatever the defaults hold now.
template <typename Dialog>
void Connect(Dialog* dlg, QObject* context, nv::AnalysisSettings& defaults) {
  QObject::connect(dlg, &SettingsDialogBase::applied, context,
                   [dlg, &defaults](const nv::AnalysisSettings&, bool) { dlg->ReadFields(defaults); });
}
}  // namespace

// The defaults describe new documents, so their read-outs and limits use the
// default format's rate and time-expansion factor.
DocumentRates DefaultSettingsDialogs::DefaultRates() const {
  const nv::DefaultData& d = core_.defaultData;
  DocumentRates r;
  r.sampleRateHz = d.rateHz;
  r.timeExpansion = nv::TimeBase::RepairedExpansion(d.info.TimeExpansion());
  return r;
}

SpectrogramSettingsDialog* DefaultSettingsDialogs::OpenSpectrogram(QWidget* parent) {
  return spectrogram_.Open([&] {
    auto* d = new SpectrogramSettingsDialog(core_.colorMapList, core_.defaultAnalysis, true, DefaultRates(), parent);
    Connect(d, this, core_.defaultAnalysis);
    return d;
  });
}

OscillogramSettingsDialog* DefaultSettingsDialogs::OpenOscillogram(QWidget* parent) {
  return oscillogram_.Open([&] {
    auto* d = new OscillogramSettingsDialog(core_.defaultAnalysis, true, DefaultRates(), parent);
    Connect(d, this, core_.defaultAnalysis);
    return d;
  });
}

ZeroCrossingSettingsDialog* DefaultSettingsDialogs::OpenZeroCrossing(QWidget* parent) {
  return zeroCrossing_.Open([&] {
    auto* d = new ZeroCrossingSettingsDialog(core_.defaultAnalysis, true, DefaultRates(), parent);
    Connect(d, this, core_.defaultAnalysis);
    return d;
  });
}
