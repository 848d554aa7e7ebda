#pragma once
// The application object's state that the core needs: the default records,
// the list of named colour maps, the two filter descriptions, the sequence
// counter of documents and the hook that writes the colour maps to the
// settings store. One instance per
// process, reached through AppCore::Instance(); interface thread only.
#include <functional>

#include "filter/FilterDescription.h"
#include "settings/AnalysisSettings.h"
#include "settings/CardParameters.h"
#include "settings/ColorMapList.h"
#include "settings/DefaultData.h"
#include "settings/PowerSettings.h"
#include "settings/PulseSettings.h"
#include "settings/RateSettings.h"

namespace nv {

class CNorvaneDoc;

class AppCore {
 public:
  static AppCore& Instance();

  DefaultData defaultData;
  AnalysisSettings defaultAnalysis;
  PowerSettings defaultPower;
  RateSettings defaultRate;
  PulseSettings defaultPulse;
  CardParameters cboardCard;  // "Settings\CB": ComputerBoards card
  CardParameters niDaqCard;   // "Settings\NI": National Instruments card
  ColorMapList colorMaps;
  // The filter command's description and the virtual detector's; they keep
  // the last values that designed successfully and are not persisted.
  FilterDescription commandFilter;
  FilterDescription detectorFilter;
  // Writes the colour maps to the settings store; empty until a store exists.
  std::function<void()> saveColorMaps;
  // Sequence number of the last document created in the process.
  int documentSequence = 0;
  // The document of the last Copy or Cut, null when none (or when it closed).
  CNorvaneDoc* clipOwner = nullptr;

  // Back to a freshly constructed state (tests).
  void Reset();
};

}  // namespace nv
