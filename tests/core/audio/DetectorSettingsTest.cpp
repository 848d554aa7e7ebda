// The detector dialog's rules: the speed factor's range and messages, and
// when "OK" may switch the detector on.
#include <gtest/gtest.h>

#include <string>

#include "audio/DetectorSettings.h"
#include "filter/FilterDesign.h"

namespace nv {
namespace {

TEST(DetectorSettings, SpeedFactorFromOneToTwoHundred) {
  EXPECT_EQ(DetectorSettings{}.speedFactor, 10);
  struct Case {
    const char* text;
    bool ok;
    int value;
    const char* message;
  };
  const Case cases[] = {
      {"1", true, 1, ""},
      {"200", true, 200, ""},
      {" 10 ", true, 10, ""},
      {"0", false, 0, "Please enter an integer between 1 and 200."},
      {"201", false, 0, "Please enter an integer between 1 and 200."},
      {"-5", false, 0, "Please enter an integer between 1 and 200."},
      {"99999999999999999999", false, 0, "Please enter an integer between 1 and 200."},
      {"", false, 0, "Please enter an integer."},
      {"ten", false, 0, "Please enter an integer."},
      {"1.5", false, 0, "Please enter an integer."},
      {"-", false, 0, "Please enter an integer."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    int k = 77;
    std::string message = "x";
    EXPECT_EQ(ParseSpeedFactor(c.text, k, message), c.ok);
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(k, c.ok ? c.value : 77) << "a refused value leaves the factor alone";
  }
}

TEST(DetectorSettings, OkNeedsADesignedFilter) {
  // The initial description holds no filter.
  EXPECT_FALSE(DetectorFilterChosen(FilterDescription{}));
  // Every designed band type enables OK, the low-pass included.
  auto designed = [](int band, int e1, int e2 = 0) {
    FilterDescription d;
    d.bandType = band;
    d.order = 4;
    if (band == BandType::LowPass) d.lowPassHz = e1;
    if (band == BandType::HighPass) d.highPassHz = e1;
    if (band == BandType::BandPass) d.bandPassLowHz = e1, d.bandPassHighHz = e2;
    if (band == BandType::BandStop) d.bandStopLowHz = e1, d.bandStopHighHz = e2;
    EXPECT_TRUE(DesignFilter(d, 22050));
    return d;
  };
  EXPECT_TRUE(DetectorFilterChosen(designed(BandType::LowPass, 5000)));
  EXPECT_TRUE(DetectorFilterChosen(designed(BandType::HighPass, 5000)));
  EXPECT_TRUE(DetectorFilterChosen(designed(BandType::BandPass, 3000, 6000)));
  EXPECT_TRUE(DetectorFilterChosen(designed(BandType::BandStop, 3000, 6000)));
  // Edges without coefficients are no filter to listen through.
  FilterDescription edgesOnly;
  edgesOnly.highPassHz = 3000;
  edgesOnly.bandType = BandType::HighPass;
  EXPECT_FALSE(DetectorFilterChosen(edgesOnly));
  // A loaded user-defined filter counts.
  FilterDescription user;
  user.filterType = FilterType::UserDefined;
  user.order = 2;
  user.a = {1.0, -1.5, 0.6};
  user.b = {0.1, 0.2, 0.1};
  EXPECT_TRUE(DetectorFilterChosen(user));
  user.order = 0;  // after a file error
  EXPECT_FALSE(DetectorFilterChosen(user));
}

}  // namespace
}  // namespace nv

namespace nv {
namespace {

TEST(DetectorSettings, FirstStartValuesFollowTheRecording) {
  // The speed factor starts at the recording's own time-expansion factor.
  EXPECT_EQ(StartingSpeedFactor(1000), 1);
  EXPECT_EQ(StartingSpeedFactor(10000), 10);
  EXPECT_EQ(StartingSpeedFactor(12600), 13);
  EXPECT_EQ(StartingSpeedFactor(100), 1);
  EXPECT_EQ(StartingSpeedFactor(500000), 200);
  // The initial detector filter is a low-pass with a useful edge; it is
  // designed for the sound and then enables "OK".
  FilterDescription d = InitialDetectorFilter();
  EXPECT_EQ(d.bandType, BandType::LowPass);
  EXPECT_EQ(d.lowPassHz, DetectorSettings::kDefaultLowPassHz);
  EXPECT_FALSE(DetectorFilterChosen(d));
  EXPECT_TRUE(DesignInitialDetectorFilter(d, 22050));
  EXPECT_EQ(d.a[0], 1.0);
  // A description the user chose is left alone.
  FilterDescription user = InitialDetectorFilter();
  user.bandType = BandType::HighPass;
  user.highPassHz = 3000;
  EXPECT_FALSE(DesignInitialDetectorFilter(user, 22050));
  EXPECT_EQ(user.a[0], 0.0);
  FilterDescription none;
  EXPECT_FALSE(DesignInitialDetectorFilter(none, 22050));
}

TEST(DetectorSettings, TuningFrequencyField) {
  int32_t hz = 0;
  std::string message;
  EXPECT_TRUE(ParseDetectorFrequency(" 42.5 ", 220500, hz, message));
  EXPECT_EQ(hz, 42500);
  EXPECT_TRUE(ParseDetectorFrequency("40,125", 220500, hz, message));
  EXPECT_EQ(hz, 40125);
  EXPECT_TRUE(ParseDetectorFrequency("220.5", 220500, hz, message));
  EXPECT_EQ(hz, 220500);
  for (const char* bad : {"", "0", "220.6", "4x", "1.2.3", "-5"}) {
    hz = 7;
    EXPECT_FALSE(ParseDetectorFrequency(bad, 220500, hz, message)) << bad;
    EXPECT_EQ(hz, 7);
    EXPECT_EQ(message, "Please enter a frequency from 0.001 to 220.5 kHz.");
  }
  EXPECT_EQ(DetectorFrequencyText(40000), "40");
  EXPECT_EQ(DetectorFrequencyText(42500), "42.5");
  EXPECT_EQ(DetectorFrequencyText(1), "0.001");
}

}  // namespace
}  // namespace nv
