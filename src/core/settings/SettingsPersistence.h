#pragma once
// Loading and saving the application's default records in a SettingsStore:
// which section and key each field lives under, its kind, and the reading
// rules of older stores. The records keep their current values wherever a
// value is missing.
#include <string>

#include "settings/AnalysisSettings.h"
#include "settings/CardParameters.h"
#include "settings/ColorMapList.h"
#include "settings/DefaultData.h"
#include "settings/PowerSettings.h"
#include "settings/PulseSettings.h"
#include "settings/RateSettings.h"
#include "settings/SettingsStore.h"

namespace nv {

namespace section {
inline constexpr const char* kDefData = "Settings\\DefData";
inline constexpr const char* kAnalysis = "Settings\\DefData\\Analys";
inline constexpr const char* kPower = "Settings\\Power";
inline constexpr const char* kRate = "Settings\\Rate";
inline constexpr const char* kPulse = "Settings\\Puls";
inline constexpr const char* kCBoard = "Settings\\CB";
inline constexpr const char* kNiDaq = "Settings\\NI";
inline constexpr const char* kColorMap = "Settings\\ColorMap";
}  // namespace section

void LoadPowerSettings(SettingsStore& store, PowerSettings& s);
void SavePowerSettings(SettingsStore& store, const PowerSettings& s);
void LoadRateSettings(SettingsStore& store, RateSettings& s);
void SaveRateSettings(SettingsStore& store, const RateSettings& s);
// Also reads the older millisecond keys "AmpSeparation" and "DurTime" when the
// microsecond keys are missing or not positive.
void LoadPulseSettings(SettingsStore& store, PulseSettings& s);
void SavePulseSettings(SettingsStore& store, const PulseSettings& s);
// `withGain`: the National Instruments card has a "Gain" value, the other not.
void LoadCardParameters(SettingsStore& store, const std::string& sectionName, bool withGain,
                        CardParameters& p);
// Writes a card's record under the same keys (when its dialog is confirmed).
void SaveCardParameters(SettingsStore& store, const std::string& sectionName, bool withGain,
                        const CardParameters& p);
// Clears the "Contents" text after reading.
void LoadDefaultData(SettingsStore& store, DefaultData& d);
void SaveDefaultData(SettingsStore& store, const DefaultData& d);
void LoadAnalysisSettings(SettingsStore& store, AnalysisSettings& s);
void SaveAnalysisSettings(SettingsStore& store, const AnalysisSettings& s);

// Replaces the list by the maps stored as "000", "001", ...; up to eight
// missing indices in a row are bridged.
void LoadColorMaps(SettingsStore& store, ColorMapList& list);
// Writes the list as "000", "001", ... followed by ten empty values that hide
// the entries of a longer list saved before.
void SaveColorMaps(SettingsStore& store, const ColorMapList& list);

}  // namespace nv
