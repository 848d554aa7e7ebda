#include "views/SoundViewSettingsDialogs.h"

#include "base/CommandIds.h"
#include "document/CNorvaneDoc.h"
#include "plot/PlotSetup.h"
#include "views/CNvAnaView.h"
#include "views/ViewHost.h"

namespace {

DocumentRates RatesOf(const nv::CNorvaneDoc* doc) {
  DocumentRates r;
  if (doc) {
    r.sampleRateHz = doc->Format().nSamplesPerSec;
    r.timeExpansion = static_cast<decltype(r.timeExpansion)>(doc->Time().Repaired().ExpansionThousandths());
  }
  return r;
}

}  // namespace

void SoundViewSettingsDialogs::Take(const nv::AnalysisSettings& s) {
  nv::AnalysisSettings& settings = view_.Settings();
  const int64_t first = settings.firstVisibleSample, last = settings.lastVisibleSample;
  settings = s;
  settings.firstVisibleSample = first;
  settings.lastVisibleSample = last;
  view_.Recompute();
  view_.NotifyAttached(true);
}

void SoundViewSettingsDialogs::Open(nv::PlotArea area) {
  const DocumentRates rates = RatesOf(view_.Document());
  const nv::AnalysisSettings& settings = view_.Settings();
  auto hook = [this](auto* dlg) {
    // The dialog's fields go into the settings as they are when OK or Apply
    // is pressed, not as they were when it opened: a zoom or another
    // dialog's change made meanwhile stays.
    dlg->SetLiveRecord([this] { return view_.Settings(); });
    QObject::connect(dlg, &SettingsDialogBase::applied, &view_,
                     [this](const nv::AnalysisSettings& s, bool) { Take(s); });
    return dlg;
  };
  if (area == nv::PlotArea::Spectrogram)
    spect_.Open([&] { return hook(new SpectrogramSettingsDialog(host_.ColorMaps(), settings, false, rates, &view_)); });
  else if (area == nv::PlotArea::Oscillogram)
    osc_.Open([&] { return hook(new OscillogramSettingsDialog(settings, false, rates, &view_)); });
  else if (area == nv::PlotArea::ZeroCrossing)
    zc_.Open([&] { return hook(new ZeroCrossingSettingsDialog(settings, false, rates, &view_)); });
}

void SoundViewSettingsDialogs::CloseAll() {
  for (auto* d : std::initializer_list<QWidget*>{spect_.Get(), osc_.Get(), zc_.Get()})
    if (d) d->close();
}

bool SoundViewSettingsDialogs::OnCommand(int id) {
  using namespace cmd;
  switch (id) {
    case kSpectSettingsCurrent: Open(nv::PlotArea::Spectrogram); return true;
    case kOscSettingsCurrent: Open(nv::PlotArea::Oscillogram); return true;
    case kZcSettingsCurrent: Open(nv::PlotArea::ZeroCrossing); return true;
    case kSpectSettingsDefault:
      host_.OpenDefaultSettings(nv::PlotArea::Spectrogram, view_.window());
      return true;
    case kOscSettingsDefault:
      host_.OpenDefaultSettings(nv::PlotArea::Oscillogram, view_.window());
      return true;
    case kZcSettingsDefault:
      host_.OpenDefaultSettings(nv::PlotArea::ZeroCrossing, view_.window());
      return true;
    default: return false;
  }
}

bool SoundViewSettingsDialogs::OnUpdateCommand(int id, CommandState& st) {
  using namespace cmd;
  switch (id) {
    case kSpectSettingsCurrent:
    case kOscSettingsCurrent:
    case kZcSettingsCurrent:
    case kSpectSettingsDefault:
    case kOscSettingsDefault:
    case kZcSettingsDefault:
      st.enabled = view_.Document() != nullptr;
      return true;
    default: return false;
  }
}
