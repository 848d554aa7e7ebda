// Stability of the designed direct-form coefficients over the whole range of
// edges that validation allows, at every order up to 8, for the dialog's
// ripples and stop-band gains. The poles are found here independently of the
// design, in a different arithmetic. Every design that succeeds has all its
// poles strictly inside the unit circle. Sharp elliptic (and some Chebyshev) filters near the lowest
// allowed edges at order 8 have poles so close to z = 1 that rounding the
// expanded coefficients moves a pole outside; those designs must be refused
// with the calculation error for unstable coefficients, and only those.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <cstdio>
#include <vector>

#include "filter/FilterDesign.h"
#include "filter/IirDesigner.h"
#include "core/filter/FilterTestSupport.h"

namespace nv {
namespace {

constexpr int kNyquist = 22050;

// True when every root of a0 + a1 z^-1 + ... + aN z^-N lies strictly inside
// the unit circle, by the Schur-Cohn step-down in 113-bit floating point.
// Near-unstable designs need that precision: the step-down magnifies
// rounding errors by up to about 1e11 for them (checked against exact
// rational arithmetic with Python's fractions module), so that double and
// long double give wrong answers.
bool StableInQuadPrecision(const FilterDescription& d) {
  using Quad = __float128;
  std::vector<Quad> c(d.order + 1);
  for (int i = 0; i <= d.order; ++i) c[i] = static_cast<Quad>(d.a[i]) / static_cast<Quad>(d.a[0]);
  while (c.size() > 1 && c.back() == 0) c.pop_back();  // roots at z = 0
  for (std::size_t n = c.size() - 1; n >= 1; --n) {
    const Quad k = c[n];
    if (!(k < 1 && k > -1)) return false;
    std::vector<Quad> next(n);
    next[0] = 1;
    for (std::size_t i = 1; i < n; ++i) next[i] = (c[i] - k * c[n - i]) / (1 - k * k);
    c = std::move(next);
  }
  return true;
}

// Edges from `lo` to `hi` Hz: both ends, points packed towards the ends, and
// an even spread between.
std::vector<int> EdgeGrid(int lo, int hi, int count) {
  std::vector<int> edges{lo, hi, lo + 1, hi - 1};
  for (int i = 1; i < count; ++i) {
    const double t = static_cast<double>(i) / count;
    edges.push_back(lo + static_cast<int>((hi - lo) * t));
    edges.push_back(lo + static_cast<int>((hi - lo) * t * t * t));
    edges.push_back(hi - static_cast<int>((hi - lo) * t * t * t));
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  return edges;
}

// Lowest and highest edge in Hz that validation allows at `order`.
int LowestEdge(int order) { return static_cast<int>(std::ceil((order == 8 ? 0.01814 : 0.00907) * kNyquist)); }
int HighestEdge(int order) { return static_cast<int>(std::floor((order == 8 ? 0.9819 : 0.9909) * kNyquist)); }

struct Settings {
  int type;
  int ripple;
  int stop;
};

std::vector<Settings> AllSettings() {
  std::vector<Settings> all{{FilterType::Butterworth, 2, -50}};
  for (int ripple : {2, 5, 10, 20, 30}) {
    all.push_back({FilterType::Chebyshev1, ripple, -50});
    for (int stop : {-20, -30, -40, -50, -60, -70}) all.push_back({FilterType::Elliptic, ripple, stop});
  }
  return all;
}

// The coefficients of a design, expanded without the stability check.
FilterDescription Unchecked(FilterDescription d) {
  const IirDesigner::Kind kind = d.filterType == FilterType::Butterworth  ? IirDesigner::Kind::Butterworth
                   : d.filterType == FilterType::Chebyshev1 ? IirDesigner::Kind::Chebyshev1
                                                            : IirDesigner::Kind::Elliptic;
  const double r = 1.0 - std::pow(10.0, -d.rippleTenthsDb / 200.0);
  const double s = std::pow(10.0, d.stopBandGainDb / 20.0);
  const double ny = kNyquist;
  IirDesigner designer;
  bool ok = false;
  if (d.bandType == BandType::LowPass) ok = designer.Prototype(kind, d.order, d.lowPassHz / ny, r, s);
  if (d.bandType == BandType::HighPass) {
    ok = designer.Prototype(kind, d.order, 0.5, r, s) &&
         designer.Transform(IirDesigner::Band::HighPass, 0.5, d.highPassHz / ny);
  }
  if (d.bandType == BandType::BandPass) {
    ok = designer.Prototype(kind, d.order / 2, 0.5, r, s) &&
         designer.Transform(IirDesigner::Band::BandPass, 0.5, d.bandPassLowHz / ny, d.bandPassHighHz / ny);
  }
  if (d.bandType == BandType::BandStop) {
    ok = designer.Prototype(kind, d.order / 2, 0.5, r, s) &&
         designer.Transform(IirDesigner::Band::BandStop, 0.5, d.bandStopLowHz / ny, d.bandStopHighHz / ny);
  }
  EXPECT_TRUE(ok);
  const std::vector<double> a = designer.Denominator();
  d.order = static_cast<int>(a.size()) - 1;
  std::copy(a.begin(), a.end(), d.a.begin());
  return d;
}

struct Tally {
  int designs = 0;
  int refused = 0;
  int refusedButterworth = 0;
  int refusedByType[3] = {0, 0, 0};
  int refusedByOrder[9] = {};
};

void ExpectStable(const FilterDescription& input, Tally& tally) {
  FilterDescription d = input;
  ASSERT_EQ(ValidateFilter(d, kNyquist), "");
  const std::string message = DesignFilterQuietly(d, kNyquist);
  const std::string what = "type " + std::to_string(d.filterType) + " band " + std::to_string(d.bandType) +
                           " order " + std::to_string(d.order) + " ripple " + std::to_string(d.rippleTenthsDb) +
                           " stop " + std::to_string(d.stopBandGainDb) + " edges " + std::to_string(d.lowPassHz) +
                           " " + std::to_string(d.highPassHz) + " " + std::to_string(d.bandPassLowHz) + "-" +
                           std::to_string(d.bandPassHighHz) + " " + std::to_string(d.bandStopLowHz) + "-" +
                           std::to_string(d.bandStopHighHz);
  ++tally.designs;
  if (message.empty()) {
    ASSERT_TRUE(StableInQuadPrecision(d)) << what;
    return;
  }
  ASSERT_EQ(message, "Filter calculation error# 8.") << what;
  ++tally.refused;
  if (d.filterType == FilterType::Butterworth) ++tally.refusedButterworth;
  ++tally.refusedByType[d.filterType];
  ++tally.refusedByOrder[d.order];
  // Refused coefficients really are unstable: expand the same design
  // without the routines' own check and find its poles here.
  ASSERT_FALSE(StableInQuadPrecision(Unchecked(input))) << what;
}

TEST(FilterStability, LowAndHighPassOverAllowedEdges) {
  Tally tally;
  for (const Settings& s : AllSettings()) {
    for (int order = 1; order <= 8; ++order) {
      for (int fc : EdgeGrid(LowestEdge(order), HighestEdge(order), 6)) {
        for (int band : {BandType::LowPass, BandType::HighPass}) {
          ExpectStable(test::Described(s.type, band, order, fc, 0, s.ripple, s.stop), tally);
          if (HasFatalFailure()) return;
        }
      }
    }
  }
  EXPECT_GT(tally.designs, 5000);
  EXPECT_EQ(tally.refusedButterworth, 0);
  std::printf("%d designs, %d refused as unstable (Chebyshev %d, elliptic %d; order 8: %d)\n", tally.designs,
              tally.refused, tally.refusedByType[1], tally.refusedByType[2], tally.refusedByOrder[8]);
}

TEST(FilterStability, BandPassAndBandStopOverAllowedEdges) {
  Tally tally;
  for (const Settings& s : AllSettings()) {
    for (int order = 2; order <= 8; ++order) {
      const int lo = LowestEdge(order);
      const int hi = HighestEdge(order);
      const std::vector<int> grid = EdgeGrid(lo, hi, 3);
      for (int band : {BandType::BandPass, BandType::BandStop}) {
        // Narrowest allowed bandwidth of the band type.
        const int width = static_cast<int>(std::ceil((band == BandType::BandPass ? 0.00907 : 0.01814) * kNyquist));
        std::vector<std::pair<int, int>> pairs{{lo, lo + width}, {hi - width, hi}, {lo, hi}, {kNyquist / 2 - width / 2, kNyquist / 2 - width / 2 + width}};
        for (int fl : grid) {
          for (int fu : grid) {
            if (fu - fl >= width) pairs.emplace_back(fl, fu);
          }
        }
        for (const auto& [fl, fu] : pairs) {
          ExpectStable(test::Described(s.type, band, order, fl, fu, s.ripple, s.stop), tally);
          if (HasFatalFailure()) return;
        }
      }
    }
  }
  EXPECT_GT(tally.designs, 5000);
  EXPECT_EQ(tally.refusedButterworth, 0);
  std::printf("%d designs, %d refused as unstable (Chebyshev %d, elliptic %d; order 8: %d)\n", tally.designs,
              tally.refused, tally.refusedByType[1], tally.refusedByType[2], tally.refusedByOrder[8]);
}

}  // namespace
}  // namespace nv
