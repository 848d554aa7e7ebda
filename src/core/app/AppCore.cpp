#include "app/AppCore.h"

namespace nv {

AppCore::AppCore() { InstallColorMapOffer(); }

void AppCore::InstallColorMapOffer() {
  // View records read from a file offer their user colour maps to the list;
  // the list is written once when any of them was new.
  documents.viewRecordsRead = [this](const std::vector<AnalysisSettings>& views) {
    bool newMaps = false;
    for (const AnalysisSettings& s : views)
      if (colorMaps.Offer(s.userColorMap)) newMaps = true;
    if (newMaps && saveColorMaps) saveColorMaps();
  };
}

void AppCore::Reset() {
  documents.Reset();
  defaultAnalysis = AnalysisSettings();
  defaultPower = PowerSettings();
  defaultRate = RateSettings();
  defaultPulse = PulseSettings();
  cboardCard = CardParameters();
  niDaqCard = CardParameters();
  viewPreferences = ViewPreferences();
  colorMaps = ColorMapList();
  commandFilter = FilterDescription();
  detectorFilter = InitialDetectorFilter();
  saveColorMaps = nullptr;
  InstallColorMapOffer();
}

}  // namespace nv
