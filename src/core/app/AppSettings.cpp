#include "app/AppSettings.h"

#include "settings/SettingsPersistence.h"

namespace nv {

void LoadAll(SettingsStore& st, AppCore& app) {
  LoadPowerSettings(st, app.defaultPower);
  LoadRateSettings(st, app.defaultRate);
  LoadPulseSettings(st, app.defaultPulse);
  LoadCardParameters(st, section::kCBoard, false, app.cboardCard);
  LoadCardParameters(st, section::kNiDaq, true, app.niDaqCard);
  LoadDefaultData(st, app.defaultData);
  LoadAnalysisSettings(st, app.defaultAnalysis);
  LoadColorMaps(st, app.colorMaps);
}

void SaveAll(SettingsStore& st, const AppCore& app) {
  SavePowerSettings(st, app.defaultPower);
  SaveRateSettings(st, app.defaultRate);
  SavePulseSettings(st, app.defaultPulse);
  SaveDefaultData(st, app.defaultData);
  SaveAnalysisSettings(st, app.defaultAnalysis);
  st.Flush();
}

void InstallColorMapSaver(AppCore& app, SettingsStore* store) {
  if (!store) {
    app.saveColorMaps = nullptr;
    return;
  }
  app.saveColorMaps = [&app, store] { SaveColorMaps(*store, app.colorMaps); };
}

}  // namespace nv
