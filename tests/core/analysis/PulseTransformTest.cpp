// The transform of the pulse analysis resolved from a view's spectrogram
// settings: set values as they are, automatic ones fixed (never gaps).
#include <gtest/gtest.h>

#include "analysis/PulseTransform.h"

namespace nv {
namespace {

TEST(PulseTransform, SetValuesAreTakenAsTheyAre) {
  AnalysisSettings v;
  v.fftSize = 512;
  v.fftOverlap = 50;
  v.window = 4;
  const PulseTransform t = PulseTransform::Of(v);
  EXPECT_EQ(t.fftSize, 512);
  EXPECT_EQ(t.overlapSamples, 256);
  EXPECT_EQ(t.window, 4);
  v.fftOverlap = 0;
  EXPECT_EQ(PulseTransform::Of(v).overlapSamples, 0);
  v.fftOverlap = 99;
  EXPECT_EQ(PulseTransform::Of(v).overlapSamples, 506);
}

TEST(PulseTransform, AutomaticValuesAreFixedAndOverlapNeverLeavesGaps) {
  AnalysisSettings v;  // automatic size and overlap
  ASSERT_EQ(v.fftSize, 0);
  ASSERT_LT(v.fftOverlap, 0);
  PulseTransform t = PulseTransform::Of(v);
  EXPECT_EQ(t.fftSize, 256);
  EXPECT_EQ(t.overlapSamples, 192);
  // Whatever the settings hold, the frames overlap: 0 <= overlap < size.
  for (int32_t size : {-5, 0, 8, 16, 100, 256, 2048, 4096})
    for (int32_t percent : {-100, -1, 0, 1, 50, 99, 100, 250}) {
      v.fftSize = size;
      v.fftOverlap = percent;
      t = PulseTransform::Of(v);
      EXPECT_TRUE(t.fftSize >= 16 && t.fftSize <= 2048 && (t.fftSize & (t.fftSize - 1)) == 0) << size;
      EXPECT_GE(t.overlapSamples, 0) << size << " " << percent;
      EXPECT_LT(t.overlapSamples, t.fftSize) << size << " " << percent;
    }
}

TEST(PulseTransform, AppliedToTheAnalysisSettings) {
  PulseSettings s;
  PulseTransform t;
  t.fftSize = 1024;
  t.overlapSamples = 768;
  t.window = 3;
  t.ApplyTo(s);
  EXPECT_EQ(s.fftSize, 1024);
  EXPECT_EQ(s.fftOverlap, 768);
  EXPECT_EQ(s.fftWindow, 3);
}

}  // namespace
}  // namespace nv
