#pragma once
// The application object's state that the core needs: the default records,
// the list of named colour maps, the sequence counter of documents and the
// hook that writes the colour maps to the settings store. One instance per
// process, reached through AppCore::Instance(); interface thread only.
#include <functional>

#include "settings/AnalysisSettings.h"
#include "settings/CardParameters.h"
#include "settings/ColorMapList.h"
#include "settings/DefaultData.h"
#include "settings/PowerSettings.h"
#include "settings/PulseSettings.h"
#include "settings/RateSettings.h"

namespace nv {

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
  // Writes the colour maps to the settings store; empty until a store exists.
  std::function<void()> saveColorMaps;
  // Sequence number of the last document created in the process.
  int documentSequence = 0;

  // Back to a freshly constructed state (tests).
  void Reset();
};

}  // namespace nv
