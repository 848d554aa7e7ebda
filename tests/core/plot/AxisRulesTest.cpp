#include "plot/AxisRules.h"

#include <gtest/gtest.h>

namespace nv {
namespace {

TEST(AxisRules, NiceStep) {
  EXPECT_EQ(NiceStep(20000), 5000);
  EXPECT_EQ(NiceStep(40000), 5000);
  EXPECT_EQ(NiceStep(10000), 1000);
  EXPECT_EQ(NiceStep(1000), 100);
  EXPECT_EQ(NiceStep(3000), 500);   // d = 3 odd -> 2, x5
  EXPECT_EQ(NiceStep(5000), 500);   // d = 5 odd -> 4, x5
  EXPECT_EQ(NiceStep(6000), 1000);  // d = 6, x10
  EXPECT_EQ(NiceStep(1), 1);
  EXPECT_EQ(NiceStep(0), 1);
}

TEST(AxisRules, FullAmplitudeRange) {
  AnalysisSettings s;
  s.minAmplitude = -10000;
  s.maxAmplitude = 10000;
  AmplitudeAxis a = MakeAmplitudeAxis(s, true);
  EXPECT_EQ(a.tickStep, 5000);
  EXPECT_EQ(a.labelStep, 5000);
  EXPECT_STREQ(a.labelFormat, "%3.0f%%");
  EXPECT_EQ(AmplitudeLabel(a, -10000), "-100%");
  EXPECT_EQ(AmplitudeLabel(a, -5000), "-50%");
  EXPECT_EQ(AmplitudeLabel(a, 0), "  0%");
  EXPECT_EQ(AmplitudeLabel(a, 5000), " 50%");
  EXPECT_EQ(AmplitudeLabel(a, 10000), "100%");
  EXPECT_STREQ(a.readoutFormat, "%1.1f %%");
  // OscGridY 5: a grid line every tick step / 5 = 10 %.
  EXPECT_EQ(a.tickStep / 5, 1000);
}

TEST(AxisRules, AmplitudeCorrections) {
  AnalysisSettings s;
  s.minAmplitude = 3000;
  s.maxAmplitude = 3000;
  MakeAmplitudeAxis(s, true);
  EXPECT_EQ(s.minAmplitude, 2999);
  EXPECT_EQ(s.maxAmplitude, 3000);
  s.minAmplitude = 0;
  s.maxAmplitude = -10000;
  AmplitudeAxis a = MakeAmplitudeAxis(s, true);
  EXPECT_EQ(s.minAmplitude, -10000);
  EXPECT_EQ(s.maxAmplitude, -9999);
  EXPECT_EQ(a.min, -10000);
  EXPECT_EQ(a.max, -9999);
  EXPECT_STREQ(a.labelFormat, "%3.2f%%");
  EXPECT_STREQ(a.readoutFormat, "%1.2f %%");
  s.minAmplitude = -20000;
  s.maxAmplitude = -30000;  // below the range: the maximum becomes 10000
  a = MakeAmplitudeAxis(s, true);
  EXPECT_EQ(s.minAmplitude, -10000);
  EXPECT_EQ(s.maxAmplitude, 10000);
  // Without an oscillogram the full range, settings untouched.
  s.minAmplitude = 5;
  s.maxAmplitude = 5;
  a = MakeAmplitudeAxis(s, false);
  EXPECT_EQ(a.min, -10000);
  EXPECT_EQ(a.max, 10000);
  EXPECT_STREQ(a.readoutFormat, "%2.4f");
  EXPECT_EQ(s.minAmplitude, 5);
}

TEST(AxisRules, AmplitudeLabelFormats) {
  AnalysisSettings s;
  s.minAmplitude = -100;
  s.maxAmplitude = 100;  // span 200: label step nice(400) = 50
  AmplitudeAxis a = MakeAmplitudeAxis(s, true);
  EXPECT_EQ(a.labelStep, 50);
  EXPECT_STREQ(a.labelFormat, "%3.1f%%");
  EXPECT_EQ(AmplitudeLabel(a, 50), "0.5%");
}

TEST(AxisRules, FrequencyFullBand) {
  FrequencyAxis f = MakeFrequencyAxis(0, 22050);
  EXPECT_EQ(f.labelStep, 10000);
  EXPECT_EQ(f.minorStep, 5000);
  EXPECT_STREQ(f.khzFormat, "%1.1f kHz");
  EXPECT_EQ(FrequencyLabel(10000), "10 kHz");
  EXPECT_EQ(FrequencyLabel(20000), "20 kHz");
}

TEST(AxisRules, FrequencyNarrowBand) {
  FrequencyAxis f = MakeFrequencyAxis(20000, 21000);
  EXPECT_EQ(f.labelStep, 500);
  EXPECT_EQ(f.minorStep, 100);
  EXPECT_STREQ(f.khzFormat, "%1.3f kHz");
  EXPECT_EQ(FrequencyLabel(20500), "20500 Hz");
  EXPECT_EQ(FrequencyLabel(21000), "21 kHz");
  // The decade is at least 10.
  f = MakeFrequencyAxis(0, 5);
  EXPECT_GE(f.labelStep, 1);
  EXPECT_GE(f.minorStep, 1);
}

TEST(AxisRules, KhzFormats) {
  EXPECT_STREQ(KhzFormat(2000), "%1.3f kHz");
  EXPECT_STREQ(KhzFormat(2001), "%1.2f kHz");
  EXPECT_STREQ(KhzFormat(20001), "%1.1f kHz");
  EXPECT_STREQ(KhzFormat(200001), "%1.0f kHz");
  EXPECT_EQ(FormatDouble(KhzFormat(22050), 22.05), "22.1 kHz");
}

}  // namespace
}  // namespace nv
