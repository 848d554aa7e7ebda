#pragma once
// The application object's state that the core needs: the default records,
// the list of named colour maps, the two filter descriptions, what the
// application's documents share (their DocumentContext) and the hook that
// writes the colour maps to the settings store. The desktop's application
// object owns one and hands it (or the record needed) to its parts; tests
// and the fuzz targets make their own. It outlives every document made with
// its context. Interface thread only.
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

  // What the application's documents share: every document the application
  // makes is made with it.
  DocumentContext documents;
  // The defaults of new documents, the document counter and the clip owner
  // are the document layer's; these name them.
  DefaultData& defaultData = documents.defaults;
  int& documentSequence = documents.documentSequence;
  CNorvaneDoc*& clipOwner = documents.clipOwner;
  AnalysisSettings defaultAnalysis;
  PowerSettings defaultPower;
  RateSettings defaultRate;
  PulseSettings defaultPulse;
  CardParameters cboardCard;  // "Settings\CB": ComputerBoards card
  CardParameters niDaqCard;   // "Settings\NI": National Instruments card
  ViewPreferences viewPreferences;  // "Settings\View": fitting and the cursor mode
  // The named colour maps with the hook that writes them; colorMaps and
  // saveColorMaps name its two parts.
  SharedColorMaps colorMapList;
  ColorMapList& colorMaps = colorMapList.list;
  // The filter command's description and the virtual detector's; they keep
  // the last values that designed successfully and are not persisted. The
  // detector's starts as a low-pass with a useful edge.
  FilterDescription commandFilter;
  FilterDescription detectorFilter = InitialDetectorFilter();
  // Writes the colour maps to the settings store; empty until a store exists.
  std::function<void()>& saveColorMaps = colorMapList.save;

  // Back to a freshly constructed state (tests).
  void Reset();

 private:
  void InstallColorMapOffer();
};

}  // namespace nv
