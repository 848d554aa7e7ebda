// The 100-point frequency response and the text report of a designed filter.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "filter/FilterDesign.h"
#include "filter/FilterReport.h"
#include "core/filter/FilterTestSupport.h"

namespace nv {
namespace {

TEST(FilterResponse, KnownTransferFunctions) {
  // b = (1, 1): |H| = 2 |cos(w / 2)|, largest at w = 0, so the normalised
  // response is cos(w / 2) at w = k x 0.031415927163.
  FilterDescription d;
  d.order = 1;
  d.a = {1.0, 0.0};
  d.b = {1.0, 1.0};
  const auto r = FilterResponse(d);
  for (int k = 0; k < kFilterResponsePoints; ++k) EXPECT_NEAR(r[k], std::cos(k * 0.031415927163 / 2.0), 1e-12) << k;
  // A denominator of exactly 0 leaves the numerator alone.
  d.a = {0.0, 0.0};
  d.b = {2.0, 0.0};
  for (double m : FilterResponse(d)) EXPECT_DOUBLE_EQ(m, 1.0);
  // All zero: no division by the maximum.
  d.b = {0.0, 0.0};
  for (double m : FilterResponse(d)) EXPECT_EQ(m, 0.0);
}

TEST(FilterResponse, DesignedFiltersPeakAtOneAndFollowTheirBand) {
  FilterDescription low = test::Described(FilterType::Butterworth, BandType::LowPass, 4, 5512);
  ASSERT_EQ(DesignFilterQuietly(low, 22050), "");
  const auto r = FilterResponse(low);
  EXPECT_DOUBLE_EQ(r[0], 1.0);
  for (int k = 1; k < kFilterResponsePoints; ++k) EXPECT_LT(r[k], r[k - 1]) << k;
  // Point 25 is a quarter of Nyquist, the cut-off: 3 dB down.
  EXPECT_NEAR(test::Db(r[25]), -3.0103, 0.01);

  FilterDescription stop = test::Described(FilterType::Chebyshev1, BandType::BandStop, 4, 8000, 12000, 10);
  ASSERT_EQ(DesignFilterQuietly(stop, 22050), "");
  const auto s = FilterResponse(stop);
  EXPECT_DOUBLE_EQ(*std::max_element(s.begin(), s.end()), 1.0);
  EXPECT_LT(test::Db(s[45]), -20.0);                 // inside the stop band
  EXPECT_GT(test::Db(s[10]), -1.0 - 1e-9);          // pass band, 1 dB ripple
  EXPECT_GT(test::Db(s[90]), -1.0 - 1e-9);
}

TEST(FilterResponse, ScratchDesignLeavesTheDescriptionAlone) {
  test::ScopedMessages messages;
  const FilterDescription d = test::Described(FilterType::Elliptic, BandType::HighPass, 4, 6000);
  std::array<double, kFilterResponsePoints> r{};
  ASSERT_TRUE(DesignedFilterResponse(d, 22050, r));
  EXPECT_EQ(d.a[0], 0.0);  // not designed into
  EXPECT_LT(r[5], 0.01);   // 0.05 of Nyquist: stop band, -50 dB
  EXPECT_GT(r[60], 0.97);  // pass band, 0.2 dB ripple
  std::array<double, kFilterResponsePoints> untouched{};
  untouched.fill(3.0);
  EXPECT_FALSE(DesignedFilterResponse(test::Described(FilterType::Elliptic, BandType::HighPass, 4, 0), 22050, untouched));
  EXPECT_EQ(untouched[0], 3.0);
  ASSERT_EQ(messages.sink.texts.size(), 1u);
  EXPECT_EQ(messages.sink.texts[0], "Illegal cut-off frequency!");
}

TEST(FilterReport, OrderCoefficientsAndResponseLines) {
  FilterDescription d;
  d.order = 1;
  d.a = {1.0, -0.5};
  d.b = {0.25, 0.1};
  const std::string text = FormatFilterReport(d);
  EXPECT_EQ(text.rfind("order: 1\na: 1 -0.5\nb: 0.25 0.10000000000000001\nresponse: 1 ", 0), 0u) << text;
  EXPECT_EQ(text.back(), '\n');
  // Four lines; the response line has 100 numbers.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
  const std::string last = text.substr(text.find("response:"));
  EXPECT_EQ(std::count(last.begin(), last.end(), ' '), kFilterResponsePoints);
  EXPECT_EQ(FormatCoefficient(1.0 / 3.0), "0.33333333333333331");
}

}  // namespace
}  // namespace nv
