// Validation of filter descriptions: the order of the checks, the rule that
// lets a band-pass check continue, and every message.
#include <gtest/gtest.h>

#include "filter/FilterDesign.h"
#include "core/filter/FilterTestSupport.h"

namespace nv {
namespace {

using test::Described;

constexpr std::int64_t kNyquist = 22050;  // 44 100 Hz without time expansion
const std::string kIncrease = "Filter cut-off frequency not allowed. Increase cut-off frequency.";
const std::string kDecrease = "Filter cut-off frequency not allowed. Decrease cut-off frequency.";
const std::string kIncrease8 =
    "Filter cut-off frequency not allowed. Increase cut-off frequency or decrease filter order.";
const std::string kDecrease8 =
    "Filter cut-off frequency not allowed. Decrease cut-off frequency or decrease filter order.";
const std::string kNarrow = "Filter bandwidth too narrow. Increase the bandwidth.";

std::string Check(const FilterDescription& d, std::int64_t nyquist = kNyquist) { return ValidateFilter(d, nyquist); }

TEST(FilterValidation, NyquistIncludesTimeExpansion) {
  EXPECT_EQ(NyquistHz(44100, 1000), 22050);
  EXPECT_EQ(NyquistHz(44100, 10000), 220500);
  EXPECT_EQ(NyquistHz(500000, 10000), 2500000);  // needs 64-bit intermediate
  EXPECT_EQ(NyquistHz(11025, 1000), 5512);       // whole Hz, truncated
  EXPECT_EQ(Check(Described(FilterType::Butterworth, BandType::HighPass, 4, 40000), NyquistHz(44100, 10000)), "");
  EXPECT_EQ(Check(Described(FilterType::Butterworth, BandType::HighPass, 4, 40000), NyquistHz(44100, 1000)),
            "Illegal cut-off frequency!");
}

TEST(FilterValidation, LowAndHighPassEdgeLimitsByOrder) {
  const auto low = [](int order, int fc) { return Check(Described(FilterType::Butterworth, BandType::LowPass, order, fc)); };
  const auto high = [](int order, int fc) { return Check(Described(FilterType::Chebyshev1, BandType::HighPass, order, fc)); };
  // 200 / 22050 = 0.00907.. passes, 199 Hz does not.
  EXPECT_EQ(low(4, 200), "");
  EXPECT_EQ(low(4, 199), kIncrease);
  EXPECT_EQ(high(2, 199), kIncrease);
  // 0.9909 x 22050 = 21849.3
  EXPECT_EQ(low(6, 21849), "");
  EXPECT_EQ(low(6, 21850), kDecrease);
  EXPECT_EQ(high(7, 21850), kDecrease);
  // Order 8: f = 0.015 refused, accepted at order 6; limits 0.01814 and 0.9819.
  EXPECT_EQ(low(8, 331), kIncrease8);
  EXPECT_EQ(low(6, 331), "");
  EXPECT_EQ(low(8, 400), "");  // 0.01814 x 22050 = 399.99
  EXPECT_EQ(high(8, 399), kIncrease8);
  EXPECT_EQ(low(8, 21650), "");  // 0.9819 x 22050 = 21650.9
  EXPECT_EQ(low(8, 21651), kDecrease8);
  // Above order 8 there are no edge limits; the range of fc still holds.
  EXPECT_EQ(low(10, 1), "");
  EXPECT_EQ(low(10, 22050), "");
  EXPECT_EQ(low(10, 0), "Illegal cut-off frequency!");
  EXPECT_EQ(low(4, 22051), "Illegal cut-off frequency!");
  EXPECT_EQ(high(4, -5), "Illegal cut-off frequency!");
  EXPECT_EQ(Check(Described(FilterType::Butterworth, BandType::LowPass, 4, 100), 0), "Illegal cut-off frequency!");
}

TEST(FilterValidation, BandPassLaterFailureReplacesEarlierMessage) {
  const auto bp = [](int order, int fl, int fu) {
    return Check(Described(FilterType::Butterworth, BandType::BandPass, order, fl, fu));
  };
  EXPECT_EQ(bp(4, 1000, 4000), "");
  // fl = 0 is illegal, but the edge limit that fails afterwards decides.
  EXPECT_EQ(bp(4, 0, 10000), kIncrease);
  EXPECT_EQ(bp(4, 1000, 30000), kDecrease);
  EXPECT_EQ(bp(8, 0, 10000), kIncrease8);
  // Without edge limits (order above 8) the range messages stand.
  EXPECT_EQ(bp(10, 0, 10000), "Illegal lower cut-off frequency!");
  EXPECT_EQ(bp(10, 1000, 30000), "Illegal upper cut-off frequency!");
  EXPECT_EQ(bp(10, 0, 30000), "Illegal lower cut-off frequency!");
  // Remembered messages that no later test replaces.
  EXPECT_EQ(bp(4, 5000, 3000), "Lower cut-off frequency greater than upper!");
  EXPECT_EQ(bp(4, 5000, 5000), "Lower cut-off frequency greater than upper!");
  EXPECT_EQ(bp(4, 5000, 5199), kNarrow);  // 199 / 22050 < 0.00907
  EXPECT_EQ(bp(4, 5000, 5200), "");
  // A narrow band at the lower limit: the edge message replaces "too narrow".
  EXPECT_EQ(bp(4, 100, 250), kIncrease);
  // Below 8: "increase" is remembered, "decrease" is final and replaces it.
  EXPECT_EQ(bp(6, 100, 21900), kDecrease);
  // Order 8: the lower limit is tested first and is final.
  EXPECT_EQ(bp(8, 300, 21900), kIncrease8);
  EXPECT_EQ(bp(8, 500, 21700), kDecrease8);
  EXPECT_EQ(bp(8, 400, 21649), "");
}

TEST(FilterValidation, BandStopFailuresAreFinal) {
  const auto bs = [](int order, int fl, int fu) {
    return Check(Described(FilterType::Elliptic, BandType::BandStop, order, fl, fu));
  };
  EXPECT_EQ(bs(4, 2000, 6000), "");
  EXPECT_EQ(bs(4, 0, 10000), "Illegal lower cut-off frequency!");
  EXPECT_EQ(bs(4, 1000, 30000), "Illegal upper cut-off frequency!");
  EXPECT_EQ(bs(4, 6000, 2000), "Low bandstop frequency greater than high!");
  EXPECT_EQ(bs(4, 6000, 6000), "Low bandstop frequency greater than high!");
  // 300 Hz is 0.0136 of Nyquist: enough for a band-pass, not for a band-stop.
  EXPECT_EQ(bs(4, 5000, 5300), kNarrow);
  EXPECT_EQ(Check(Described(FilterType::Elliptic, BandType::BandPass, 4, 5000, 5300)), "");
  EXPECT_EQ(bs(4, 5000, 5400), "");
  EXPECT_EQ(bs(4, 199, 5000), kIncrease);
  EXPECT_EQ(bs(6, 1000, 21850), kDecrease);
  EXPECT_EQ(bs(8, 399, 5000), kIncrease8);
  EXPECT_EQ(bs(8, 1000, 21651), kDecrease8);
  EXPECT_EQ(bs(12, 1, 22050), "");
}

TEST(FilterValidation, OrderBandAndTypeMessages) {
  FilterDescription d = Described(FilterType::Butterworth, BandType::LowPass, 0, 1000);
  EXPECT_EQ(Check(d), "Ilegal filter order!");
  d.order = -3;
  EXPECT_EQ(Check(d), "Ilegal filter order!");
  // The order is checked first, whatever the type.
  d.filterType = FilterType::UserDefined;
  EXPECT_EQ(Check(d), "Ilegal filter order!");
  EXPECT_EQ(Check(Described(FilterType::Butterworth, BandType::Notch, 4, 1000)), "Notch filter not implemented!!");
  EXPECT_EQ(Check(Described(FilterType::Butterworth, BandType::None, 4, 1000)), "Filter range type not selected!!");
  EXPECT_EQ(Check(Described(FilterType::Butterworth, 9, 4, 1000)), "Filter range type not selected!!");
  // A user-defined filter skips the edge checks.
  EXPECT_EQ(Check(Described(FilterType::UserDefined, BandType::LowPass, 4, 0)), "");
  EXPECT_EQ(Check(Described(FilterType::UserDefined, BandType::None, 4, 0)), "");
}

TEST(FilterValidation, DesignShowsOneMessageAndKeepsCoefficients) {
  test::ScopedMessages messages;
  const auto design = [&](FilterDescription d) {
    d.a.fill(7.0);
    d.b.fill(-7.0);
    messages.sink.texts.clear();
    messages.sink.icons.clear();
    const bool ok = DesignFilter(d, kNyquist);
    EXPECT_FALSE(ok);
    for (int i = 0; i < FilterDescription::kMaxCoefficients; ++i) {
      EXPECT_EQ(d.a[i], 7.0);
      EXPECT_EQ(d.b[i], -7.0);
    }
    EXPECT_EQ(messages.sink.texts.size(), 1u);
    EXPECT_EQ(messages.sink.icons.size(), 1u);
    if (!messages.sink.icons.empty()) {
      EXPECT_EQ(messages.sink.icons[0], MessageIcon::None);
    }
    return messages.sink.texts.empty() ? std::string() : messages.sink.texts[0];
  };
  EXPECT_EQ(design(Described(FilterType::Butterworth, BandType::LowPass, 4, 199)), kIncrease);
  EXPECT_EQ(design(Described(FilterType::FirLinearPhase, BandType::LowPass, 4, 1000)),
            "FIR linear phase filter not implemented YET!");
  EXPECT_EQ(design(Described(FilterType::None, BandType::LowPass, 4, 1000)), "Filter type not selected!");
  EXPECT_EQ(design(Described(7, BandType::LowPass, 4, 1000)), "Filter type not selected!");
  // Validation comes before the type: an FIR filter with a bad edge.
  EXPECT_EQ(design(Described(FilterType::FirLinearPhase, BandType::LowPass, 4, 0)), "Illegal cut-off frequency!");
  EXPECT_EQ(design(Described(FilterType::UserDefined, BandType::LowPass, 50, 0)), "Filter Order out of range!");
  // The coefficient arrays hold order 49 at most, designed filters included.
  EXPECT_EQ(design(Described(FilterType::Butterworth, BandType::LowPass, 50, 5000)), "Filter Order out of range!");
  // Failures of the design routines: a ripple of 0 dB, a stop band not below
  // the pass band, a band filter of order 1 (prototype order 0), and a high
  // order whose direct-form coefficients are unstable.
  EXPECT_EQ(design(Described(FilterType::Chebyshev1, BandType::LowPass, 4, 5000, 0, 0)), "Filter calculation error# 4.");
  EXPECT_EQ(design(Described(FilterType::Elliptic, BandType::LowPass, 4, 5000, 0, 2, 0)), "Filter calculation error# 5.");
  EXPECT_EQ(design(Described(FilterType::Elliptic, BandType::HighPass, 4, 5000, 0, -5, -50)),
            "Filter calculation error# 4.");
  EXPECT_EQ(design(Described(FilterType::Butterworth, BandType::BandPass, 1, 1000, 5000)),
            "Filter calculation error# 2.");
  EXPECT_EQ(design(Described(FilterType::Butterworth, BandType::LowPass, 40, 30)), "Filter calculation error# 8.");
}

TEST(FilterValidation, SuccessfulDesignWritesOnlyItsOrder) {
  test::ScopedMessages messages;
  FilterDescription d = Described(FilterType::Butterworth, BandType::LowPass, 2, 2000);
  d.a.fill(7.0);
  d.b.fill(-7.0);
  ASSERT_TRUE(DesignFilter(d, kNyquist));
  EXPECT_TRUE(messages.sink.texts.empty());
  EXPECT_EQ(d.a[0], 1.0);
  for (int i = 3; i < FilterDescription::kMaxCoefficients; ++i) {
    EXPECT_EQ(d.a[i], 7.0);
    EXPECT_EQ(d.b[i], -7.0);
  }
  // An odd band order N designs order N - 1 and leaves coefficient N at 0.
  FilterDescription odd = Described(FilterType::Butterworth, BandType::BandPass, 5, 1000, 4000);
  odd.a.fill(7.0);
  ASSERT_TRUE(DesignFilter(odd, kNyquist));
  EXPECT_EQ(odd.a[5], 0.0);
  EXPECT_EQ(odd.b[5], 0.0);
  EXPECT_NE(odd.a[4], 0.0);
  EXPECT_EQ(odd.a[6], 7.0);
}

TEST(FilterValidation, UserDefinedCoefficientsAreNormalisedByA0) {
  test::ScopedMessages messages;
  FilterDescription d;
  d.filterType = FilterType::UserDefined;
  d.bandType = BandType::None;
  d.order = 2;
  d.a = {2.0, -3.0, 1.2, 9.0};
  d.b = {0.2, 0.4, 0.2, 9.0};
  ASSERT_TRUE(DesignFilter(d, kNyquist));
  EXPECT_DOUBLE_EQ(d.a[0], 1.0);
  EXPECT_DOUBLE_EQ(d.a[1], -1.5);
  EXPECT_DOUBLE_EQ(d.a[2], 0.6);
  EXPECT_DOUBLE_EQ(d.b[0], 0.1);
  EXPECT_DOUBLE_EQ(d.b[1], 0.2);
  EXPECT_DOUBLE_EQ(d.b[2], 0.1);
  EXPECT_EQ(d.a[3], 9.0);  // beyond the order: untouched
  // a0 = 0 leaves the coefficients as they are.
  d.a = {0.0, 0.5, 0.25};
  d.b = {1.0, 2.0, 3.0};
  ASSERT_TRUE(DesignFilter(d, kNyquist));
  EXPECT_EQ(d.a[1], 0.5);
  EXPECT_EQ(d.b[2], 3.0);
  EXPECT_TRUE(messages.sink.texts.empty());
}

}  // namespace
}  // namespace nv
