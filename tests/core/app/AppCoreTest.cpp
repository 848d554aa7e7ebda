// The application's shared records: the filter descriptions' first values
// and the colour maps of the view records a document reads, offered to the
// application's list.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/AppCore.h"
#include "filter/FilterDesign.h"
#include "settings/ViewRecord.h"

namespace nv {
namespace {

using test::ScopedSink;
using test::TempDir;

TEST(AppCore, FilterDescriptionsStartWithInitialValues) {
  AppCore app;
  for (const FilterDescription* d : {&app.commandFilter, &app.detectorFilter}) {
    EXPECT_EQ(d->bandPassLowHz, 0);
    EXPECT_EQ(d->bandPassHighHz, 0);
    EXPECT_EQ(d->bandStopLowHz, 0);
    EXPECT_EQ(d->bandStopHighHz, 0);
    EXPECT_EQ(d->filterType, FilterType::Butterworth);
    EXPECT_EQ(d->bandType, BandType::LowPass);
    EXPECT_EQ(d->highPassHz, 0);
    // The detector's filter starts with the low-pass edge of a heterodyne
    // detector's audible band, the command's with none.
    EXPECT_EQ(d->lowPassHz, d == &app.detectorFilter ? DetectorSettings::kDefaultLowPassHz : 0);
    EXPECT_EQ(d->order, 2);
    EXPECT_EQ(d->rippleTenthsDb, 2);
    EXPECT_EQ(d->stopBandGainDb, -50);
    for (int i = 0; i < FilterDescription::kMaxCoefficients; ++i) {
      EXPECT_EQ(d->a[i], 0.0);
      EXPECT_EQ(d->b[i], 0.0);
    }
  }
  // The initial low-pass cut-off of 0 Hz is refused until the user sets one.
  EXPECT_EQ(ValidateFilter(app.commandFilter, 22050), "Illegal cut-off frequency!");
}

TEST(AppCore, ColorMapsInViewRecordsAreOfferedOnce) {
  ScopedSink sink;
  TempDir dir;
  AppCore app;
  int saves = 0;
  app.saveColorMaps = [&] { ++saves; };
  AnalysisSettings s;
  s.colorScheme = 100;
  s.userColorMap.SetName("Night");
  s.userColorMap.rangeCount = 1;
  s.userColorMap.updateLow = 42;
  ViewRecord v = ViewRecord::FromSettings(s);
  test::WriteFileBytes(dir.File("map.wav"), test::NorvaneFile(3, 1, 1000, {v, v}, 1968));
  CNorvaneDoc a(app.documents);
  ASSERT_TRUE(a.Open({dir.File("map.wav")}));
  ASSERT_EQ(app.colorMaps.maps.size(), 1u);
  EXPECT_EQ(app.colorMaps.maps[0].Name(), "Night");
  EXPECT_EQ(saves, 1);
  CNorvaneDoc b(app.documents);
  ASSERT_TRUE(b.Open({dir.File("map.wav")}));
  EXPECT_EQ(app.colorMaps.maps.size(), 1u);
  EXPECT_EQ(saves, 1);  // nothing new
}

}  // namespace
}  // namespace nv
