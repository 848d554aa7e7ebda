#include "dsp/WindowTable.h"

#include <gtest/gtest.h>

#include <cmath>

namespace nv {
namespace {

TEST(WindowTable, CosineWindowTapersTenPercentAtEachEnd) {
  WindowTable t;
  EXPECT_EQ(BuildWindowTable(WindowCode::Cosine, 16, t), ", Cosine window");
  ASSERT_EQ(t.size(), 16u);
  for (double v : t) EXPECT_DOUBLE_EQ(v, 1.12);  // L = 1: nothing tapered

  BuildWindowTable(WindowCode::Cosine, 256, t);
  EXPECT_EQ(t[0], 0.0);
  EXPECT_EQ(t[255], 0.0);
  for (int i = 1; i <= 23; ++i) {
    const double w = 1.12 * (1.0 - std::cos(i * M_PI / 25)) / 2.0;
    EXPECT_DOUBLE_EQ(t[i], w) << i;
    EXPECT_DOUBLE_EQ(t[255 - i], w) << i;
    EXPECT_LT(t[i], 1.12);
  }
  for (int i = 24; i <= 231; ++i) EXPECT_DOUBLE_EQ(t[i], 1.12) << i;
}

TEST(WindowTable, ShapedWindowsAtTheirDefinedEntries) {
  WindowTable t;
  const int n = 64;
  EXPECT_EQ(BuildWindowTable(WindowCode::Parzen, n, t), ", Parzen window");
  EXPECT_EQ(t[0], 0.0);
  EXPECT_EQ(t[n - 1], 0.0);
  const double c = (n - 1) * 0.5;
  for (int i = 1; i < n - 1; ++i) EXPECT_DOUBLE_EQ(t[i], 2.0 * (1.0 - std::fabs((i - c) / c)));

  EXPECT_EQ(BuildWindowTable(WindowCode::Hanning, n, t), ", Hanning window.");
  EXPECT_EQ(t[0], 0.0);
  // The decimal constant 6.283 leaves the last entry slightly above 0.
  EXPECT_DOUBLE_EQ(t[n - 1], 2.0 * (1.0 - std::cos(6.283)) * 0.5);
  EXPECT_GT(t[n - 1], 0.0);
  EXPECT_NEAR(t[n / 2], 2.0, 1e-2);

  EXPECT_EQ(BuildWindowTable(WindowCode::Hamming, n, t), ", Hamming window");
  EXPECT_DOUBLE_EQ(t[0], 1.852 * 0.08);
  EXPECT_DOUBLE_EQ(t[10], 1.852 * (0.54 - 0.46 * std::cos(6.283 * 10 / 63)));

  // Welch and Blackman: stored codes only, gain 1 and no suffix.
  EXPECT_EQ(BuildWindowTable(WindowCode::Welch, n, t), "");
  const double q = (0 - 31.5) / 32.5;
  EXPECT_DOUBLE_EQ(t[0], 1.0 - q * q);
  EXPECT_EQ(BuildWindowTable(WindowCode::Blackman, n, t), "");
  EXPECT_DOUBLE_EQ(t[5], 0.42 - 0.5 * std::cos(6.283 * 5 / 63) + 0.08 * std::cos(12.566 * 5 / 63));

  EXPECT_EQ(BuildWindowTable(WindowCode::Rectangular, n, t), "");
  for (double v : t) EXPECT_EQ(v, 1.0);
}

TEST(WindowTable, UndefinedCodesBehaveAsRectangular) {
  WindowTable t;
  for (int32_t code : {6, 7, 9, 100, -1}) {
    EXPECT_EQ(BuildWindowTable(StoredWindow(code), 32, t), "") << code;
    for (double v : t) EXPECT_EQ(v, 1.0) << code;
    EXPECT_EQ(WindowName(StoredWindow(code)), "Rectangular");
  }
  EXPECT_EQ(WindowName(WindowCode::Welch), "Rectangular");
  EXPECT_EQ(WindowName(WindowCode::Blackman), "Rectangular");
  EXPECT_EQ(WindowCodeFromName("Hanning"), WindowCode::Hanning);
  EXPECT_EQ(WindowCodeFromName("Cosine"), WindowCode::Cosine);
  EXPECT_EQ(WindowCodeFromName("Welch"), WindowCode::Rectangular);
  EXPECT_DOUBLE_EQ(WindowGain(WindowCode::Hamming), 1.852);
}

TEST(WindowTable, WindowShapeMultipliesBothArrays) {
  std::vector<double> a(16, 3.0), b(16, -1.0);
  WindowShape(a.data(), b.data(), 16, WindowCode::Parzen);
  EXPECT_EQ(a[0], 0.0);
  EXPECT_DOUBLE_EQ(a[7], 3.0 * (1.0 - std::fabs((7 - 7.5) / 7.5)));
  EXPECT_DOUBLE_EQ(b[7], -(1.0 - std::fabs((7 - 7.5) / 7.5)));
}

}  // namespace
}  // namespace nv
