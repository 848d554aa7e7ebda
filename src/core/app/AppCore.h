#pragma once
// The application object's state that the core needs: the default records,
// the list of named colour maps, the two filter descriptions, the sequence
// counter of documents and the hook that writes the colour maps to the
// settings store. One instance per
// process, reached through AppCore::Instance(); interface thread only.
#include <functional>

#include "audio/DetectorSettings.h"
#include "document/DocumentContext.h"
#include "filter/FilterDescription.h"
#include "settings/AnalysisSettings.h"
#include "settings/CardParameters.h"
#include "settings/ColorMapList.h"
#include "settings/DefaultData.h"
#include "settings/PowerSettings.h"
#include "settings/PulseSettings.h"
#include "settings/RateSettings.h"
#include "settings/ViewPreferences.h"

namespace nv {

class CNorvaneDoc;

class AppCore {
 public:
  AppCore();
  AppCore(const AppCore&) = delete;
  AppCore& operator=(const AppCore&) = delete;
  static AppCore& Instance();

  // The defaults of new documents, the document counter and the clip owner
  // live in the document layer; these name them.
  DefaultData& defaultData = DocumentContext::Instance().defaults;
  int& documentSequence = DocumentContext::Instance().documentSequence;
  CNorvaneDoc*& clipOwner = DocumentContext::Instance().clipOwner;
  AnalysisSettings defaultAnalysis;
  PowerSettings defaultPower;
  RateSettings defaultRate;
  PulseSettings defaultPulse;
  CardParameters cboardCard;  // "Settings\CB": ComputerBoards card
  CardParameters niDaqCard;   // "Settings\NI": National Instruments card
  ViewPreferences viewPreferences;  // "Settings\View": fitting and the cursor mode
  ColorMapList& colorMaps = SharedColorMaps::Instance().list;
  // The filter command's description and the virtual detector's; they keep
  // the last values that designed successfully and are not persisted. The
  // detector's starts as a low-pass with a useful edge.
  FilterDescription commandFilter;
  FilterDescription detectorFilter = InitialDetectorFilter();
  // Writes the colour maps to the settings store; empty until a store exists.
  std::function<void()>& saveColorMaps = SharedColorMaps::Instance().save;

  // Back to a freshly constructed state (tests).
  void Reset();

 private:
  void InstallColorMapOffer();
};

}  // namespace nv
