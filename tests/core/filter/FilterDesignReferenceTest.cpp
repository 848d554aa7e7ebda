// Designed coefficients of every filter type and band type against
// reference values from an independent implementation, and the magnitude of
// each designed filter at its edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "filter/FilterDesign.h"
#include "core/filter/FilterTestSupport.h"

namespace nv {
namespace {

struct ReferenceCase {
  const char* name;
  int type;
  int band;
  int order;
  int rippleTenths;
  int stopDb;
  int edge1;
  int edge2;
  int nyquist;
  std::vector<double> b;
  std::vector<double> a;
};

// Reference coefficients (b, a) computed once with Debian's python3-scipy
// (scipy 1.10.1, scipy.signal, run by /usr/bin/python3
// tests/core/filter/make_reference.py);
// the call above each case names the design. scipy takes the ripple and the
// stop-band attenuation in dB and the edges normalised to the Nyquist
// frequency; band filters get half the order there.
const std::vector<ReferenceCase>& Cases() {
  static const std::vector<ReferenceCase> cases = {
      // scipy.signal.butter(4, 0.09070294784580499, 'lowpass')
      {"ButterLow4", 0, 0, 4, 2, -50, 2000, 0, 22050,
       {0.00029136579221204529, 0.0011654631688481811, 0.0017481947532722716, 0.0011654631688481811, 0.00029136579221204529},
       {1, -3.2565693109587999, 4.0337683927212575, -2.2460436820262166, 0.47350645293915172}},
      // scipy.signal.butter(4, 0.1360544217687075, 'highpass')
      {"ButterHigh4", 0, 1, 4, 2, -50, 3000, 0, 22050,
       {0.56919548279513843, -2.2767819311805537, 3.4151728967708306, -2.2767819311805537, 0.56919548279513843},
       {1, -2.8869281461440872, 3.2396809436955678, -1.6565335426558159, 0.32398509222674476}},
      // scipy.signal.butter(2, [0.045351473922902494, 0.18140589569160998], 'bandpass')
      {"ButterBandPass4", 0, 2, 4, 2, -50, 1000, 4000, 22050,
       {0.034786037441738263, 0, -0.069572074883476526, 0, 0.034786037441738263},
       {1, -3.2679704679636341, 4.1246728338051506, -2.3983982051181005, 0.54664949368209659}},
      // scipy.signal.butter(3, [0.09070294784580499, 0.272108843537415], 'bandstop')
      {"ButterBandStop6", 0, 3, 6, 2, -50, 2000, 6000, 22050,
       {0.56098202989371759, -2.9530024531676866, 6.8644688620870653, -8.9366128685424489, 6.8644688620870662, -2.9530024531676871, 0.56098202989371782},
       {1, -4.2752591741279744, 8.0664087509589812, -8.5987736948487203, 5.4699909969262803, -1.9685849059011276, 0.314502036076304}},
      // scipy.signal.butter(2, 0.18140589569160998, 'highpass')
      {"ButterHigh2Expanded", 0, 1, 2, 2, -50, 40000, 0, 220500,
       {0.66664004074764927, -1.3332800814952985, 0.66664004074764927},
       {1, -1.2188793364455874, 0.44768082654500974}},
      // scipy.signal.butter(8, 0.045351473922902494, 'lowpass')
      {"ButterLow8", 0, 0, 8, 2, -50, 1000, 0, 22050,
       {4.6646171166525822e-10, 3.7316936933220658e-09, 1.3060927926627231e-08, 2.6121855853254461e-08, 3.2652319816568076e-08, 2.6121855853254461e-08, 1.3060927926627231e-08, 3.7316936933220658e-09, 4.6646171166525822e-10},
       {1, -7.2697585778755069, 23.152337857390084, -42.187802864754261, 48.105442467782211, -35.147796304871235, 16.06871789649761, -4.2025147584188094, 0.48137440366410073}},
      // scipy.signal.cheby1(5, 0.5, 0.22675736961451248, 'lowpass')
      {"ChebyLow5", 1, 0, 5, 5, -50, 5000, 0, 22050,
       {0.00071361482252836432, 0.0035680741126418217, 0.0071361482252836434, 0.0071361482252836434, 0.0035680741126418217, 0.00071361482252836432},
       {1, -3.6137484244340334, 5.7300331509980751, -4.8905300750324034, 2.2321125661909189, -0.43503154340164929}},
      // scipy.signal.cheby1(6, 1.0, 0.36281179138321995, 'highpass')
      {"ChebyHigh6", 1, 1, 6, 10, -50, 8000, 0, 22050,
       {0.041977073682571225, -0.25186244209542735, 0.62965610523856841, -0.83954147365142451, 0.62965610523856841, -0.25186244209542735, 0.041977073682571225},
       {1, -0.34451054587612578, 1.2969886887848068, 0.16919227399166398, 0.56365542806372249, 0.18298551839136368, 0.16136241474241803}},
      // scipy.signal.cheby1(4, 0.2, [0.1360544217687075, 0.40816326530612246], 'bandpass')
      {"ChebyBandPass8", 1, 2, 8, 2, -50, 3000, 9000, 22050,
       {0.010682932766087193, 0, -0.042731731064348771, 0, 0.064097596596523157, 0, -0.042731731064348771, 0, 0.010682932766087193},
       {1, -4.4417710801095129, 9.8246886120599548, -14.010771387512328, 14.076262920538786, -10.130620604805813, 5.1054693324680978, -1.6549201500678656, 0.27331528966920493}},
      // scipy.signal.cheby1(2, 3.0, [0.18140589569160998, 0.31746031746031744], 'bandstop')
      {"ChebyBandStop4", 1, 3, 4, 30, -50, 4000, 7000, 22050,
       {0.55998089652644156, -1.6236208046298612, 2.2968521716260226, -1.6236208046298617, 0.5599808965264419},
       {1, -2.5201304907186599, 3.1391371215911166, -2.066720198821911, 0.68724088650916348}},
      // scipy.signal.ellip(4, 0.2, 50, 0.18140589569160998, 'lowpass')
      {"EllipLow4", 2, 0, 4, 2, -50, 4000, 0, 22050,
       {0.011029567215613999, 0.0036648281696167483, 0.015456230707445969, 0.003664828169616747, 0.011029567215613999},
       {1, -2.8595940258387049, 3.3734480285126245, -1.8902408056937294, 0.4222763992368328}},
      // scipy.signal.ellip(3, 1.0, 40, 0.272108843537415, 'lowpass')
      {"EllipLow3", 2, 0, 3, 10, -40, 6000, 0, 22050,
       {0.046359973493946702, 0.067167265078155403, 0.067167265078155389, 0.046359973493946695},
       {1, -1.7328636555750734, 1.394871541725238, -0.43495340900596025}},
      // scipy.signal.ellip(6, 0.5, 60, 0.45351473922902497, 'highpass')
      {"EllipHigh6", 2, 1, 6, 5, -60, 10000, 0, 22050,
       {0.050271140144722296, -0.2047056256480459, 0.41755449093462221, -0.52098027982717221, 0.4175544909346221, -0.2047056256480459, 0.050271140144722296},
       {1, 0.44659223727478159, 1.6103855829107481, 0.84041173114432266, 0.8639736672894307, 0.35455515923129199, 0.14381265757435935}},
      // scipy.signal.ellip(3, 1.0, 40, [0.22675736961451248, 0.36281179138321995], 'bandpass')
      {"EllipBandPass6", 2, 2, 6, 10, -40, 5000, 8000, 22050,
       {0.015984973056991796, -0.028946463056947036, 0.016916886763517148, 7.0987540543540267e-18, -0.016916886763517155, 0.028946463056947029, -0.015984973056991789},
       {1, -3.356677569058109, 6.265785406395862, -7.1269486405453817, 5.455122122056304, -2.5382962045859694, 0.65886399561835451}},
      // scipy.signal.ellip(4, 0.2, 70, [0.09070294784580499, 0.54421768707483], 'bandstop')
      {"EllipBandStop8", 2, 3, 8, 2, -70, 2000, 12000, 22050,
       {0.12235591249812718, -0.68538335186527433, 1.9175151624753066, -3.367349197144724, 4.0377180232195959, -3.3673491971447249, 1.9175151624753066, -0.68538335186527422, 0.12235591249812712},
       {1, -2.9919659097529063, 3.901774413165938, -3.597836078318998, 2.8736821857192956, -1.4989583341191521, 0.43662732133312848, -0.20550531178904327, 0.094456190100998677}},
      // scipy.signal.ellip(8, 0.2, 20, 0.4988662131519274, 'lowpass')
      {"EllipLow8Sharp", 2, 0, 8, 2, -20, 11000, 0, 22050,
       {0.22368821594277333, 0.36060647261373335, 0.97644796131684208, 1.0842973589137954, 1.5055263205972513, 1.0842973589137943, 0.97644796131684208, 0.36060647261373346, 0.22368821594277347},
       {1, -0.24953796297639641, 2.9782588243831349, -0.64758061582142956, 3.1198038789230598, -0.55198407285542306, 1.3001926910699662, -0.15390423657899896, 0.15864783800570173}},
      // scipy.signal.ellip(1, 0.2, 50, 0.22675736961451248, 'highpass')
      {"EllipHigh1", 2, 1, 1, 2, -50, 5000, 0, 22050,
       {0.92526567315165065, -0.92526567315165065},
       {1, -0.85053134630330141}},
      // scipy.signal.ellip(2, 0.1, 1000, 0.22675736961451248, 'lowpass')
      {"EllipLow2Deep", 2, 0, 2, 1, -1000, 5000, 0, 22050,
       {0.19368812907002222, 0.38737625814004445, 0.19368812907002222},
       {1, -0.46232392854273213, 0.24604765614782753}},
      // scipy.signal.ellip(4, 3.0, 4, [0.1360544217687075, 0.36281179138321995], 'bandpass')
      {"EllipBandPass8Shallow", 2, 2, 8, 30, -4, 3000, 8000, 22050,
       {0.61928765786575979, -3.2674299546441707, 8.6251412003973105, -14.651169090524283, 17.375167093350019, -14.651169090524283, 8.6251412003973122, -3.2674299546441725, 0.61928765786576023},
       {1, -5.2770922264335063, 13.894794403698429, -23.469808784142643, 27.609455898244821, -23.046775484324485, 13.401822707241415, -5.0044547951791358, 0.9345757660688061}},
      // scipy.signal.cheby1(4, 20.0, 0.22675736961451248, 'lowpass')
      {"ChebyLow4Ripple20dB", 1, 0, 4, 200, -50, 5000, 0, 22050,
       {0.00020616029419308227, 0.00082464117677232907, 0.0012369617651584936, 0.00082464117677232907, 0.00020616029419308227},
       {1, -3.4553019909188674, 4.9130410310439183, -3.3792374059770478, 0.95448401292288987}},
      // scipy.signal.butter(7, 0.009070294784580499, 'lowpass')
      {"ButterLow7Lowest", 0, 0, 7, 2, -50, 200, 0, 22050,
       {1.118372344672893e-13, 7.8286064127102516e-13, 2.3485819238130754e-12, 3.9143032063551255e-12, 3.9143032063551255e-12, 2.3485819238130754e-12, 7.8286064127102516e-13, 1.118372344672893e-13},
       {1, -6.8719444742196689, 20.239847400882788, -33.119734648472544, 32.519363549148565, -19.158989467294266, 6.2712567242447026, -0.87979908427525466}},
      // scipy.signal.cheby1(3, 1.0, 0.9908843537414966, 'highpass')
      {"ChebyHigh3Highest", 1, 1, 3, 10, -50, 21849, 0, 22050,
       {1.422168229937697e-06, -4.2665046898130908e-06, 4.2665046898130908e-06, -1.422168229937697e-06},
       {1, 2.9710864591062962, 2.9431913331438477, 0.97209349669171197}},
  };
  return cases;
}

FilterDescription Designed(const ReferenceCase& c) {
  FilterDescription d =
      test::Described(c.type, c.band, c.order, c.edge1, c.edge2, c.rippleTenths, c.stopDb);
  const std::string message = DesignFilterQuietly(d, c.nyquist);
  EXPECT_EQ(message, "") << c.name;
  return d;
}

TEST(FilterDesignReference, CoefficientsMatchReferenceDesigns) {
  for (const ReferenceCase& c : Cases()) {
    const FilterDescription d = Designed(c);
    ASSERT_EQ(c.a.size(), static_cast<std::size_t>(c.order) + 1) << c.name;
    double scale = 0.0;
    for (std::size_t i = 0; i < c.a.size(); ++i) scale = std::max({scale, std::fabs(c.a[i]), std::fabs(c.b[i])});
    for (std::size_t i = 0; i < c.a.size(); ++i) {
      EXPECT_NEAR(d.a[i], c.a[i], 1e-11 * scale) << c.name << " a[" << i << "]";
      EXPECT_NEAR(d.b[i], c.b[i], 1e-11 * scale) << c.name << " b[" << i << "]";
    }
  }
}

// The edges of a case, normalised.
std::vector<double> Edges(const ReferenceCase& c) {
  std::vector<double> edges{static_cast<double>(c.edge1) / c.nyquist};
  if (c.band >= BandType::BandPass) edges.push_back(static_cast<double>(c.edge2) / c.nyquist);
  return edges;
}

TEST(FilterDesignReference, MagnitudeAtEdges) {
  for (const ReferenceCase& c : Cases()) {
    const FilterDescription d = Designed(c);
    // Butterworth filters are 3 dB down at their edges; Chebyshev and
    // elliptic filters leave their ripple band there.
    const double expected = c.type == FilterType::Butterworth ? 10.0 * std::log10(0.5) : -c.rippleTenths / 10.0;
    for (double f : Edges(c)) {
      // At the lowest allowed edges the rounding of the expanded
      // coefficients shifts the response by a few thousandths of a dB.
      const double tolerance = f < 0.02 ? 0.005 : 1e-5;
      EXPECT_NEAR(test::Db(test::MagnitudeAt(d, f)), expected, tolerance) << c.name << " f=" << f;
    }
  }
}

TEST(FilterDesignReference, RippleFiltersStayInsideTheirBands) {
  constexpr int kGrid = 40000;
  for (const ReferenceCase& c : Cases()) {
    if (c.type == FilterType::Butterworth) continue;
    const FilterDescription d = Designed(c);
    const double passMin = std::pow(10.0, -c.rippleTenths / 200.0);
    const double stop = std::pow(10.0, c.stopDb / 20.0);
    std::vector<double> m(kGrid + 1);
    for (int i = 0; i <= kGrid; ++i) m[i] = test::MagnitudeAt(d, static_cast<double>(i) / kGrid);
    // The pass band peaks at 1 and never drops below the ripple band.
    EXPECT_NEAR(*std::max_element(m.begin(), m.end()), 1.0, 1e-6) << c.name;
    const std::vector<double> edges = Edges(c);
    for (int i = 0; i <= kGrid; ++i) {
      const double f = static_cast<double>(i) / kGrid;
      bool pass = false;
      if (c.band == BandType::LowPass) pass = f <= edges[0];
      if (c.band == BandType::HighPass) pass = f >= edges[0];
      if (c.band == BandType::BandPass) pass = f >= edges[0] && f <= edges[1];
      if (c.band == BandType::BandStop) pass = f <= edges[0] || f >= edges[1];
      if (pass) {
        ASSERT_GE(m[i], passMin * (1.0 - 1e-9)) << c.name << " f=" << f;
      }
    }
    if (c.type != FilterType::Elliptic) continue;
    // Elliptic: every peak of the stop band reaches the stop-band level and
    // none passes it (where that level is above the rounding noise). A
    // first-order prototype has no stop-band zeros, hence no peaks.
    if (stop < 1e-6) continue;
    const int prototypeOrder = c.band >= BandType::BandPass ? c.order / 2 : c.order;
    int peaks = 0;
    for (int i = 0; i <= kGrid; ++i) {
      const bool left = i == 0 || m[i] >= m[i - 1];
      const bool right = i == kGrid || m[i] >= m[i + 1];
      if (!left || !right || m[i] > passMin * 0.999) continue;
      ++peaks;
      EXPECT_LE(m[i], stop * (1.0 + 1e-6)) << c.name << " f=" << static_cast<double>(i) / kGrid;
      // Grid-point peaks fall at most slightly short of the true maximum.
      if (i > 0 && i < kGrid) {
        EXPECT_NEAR(test::Db(m[i]), c.stopDb, 0.01) << c.name;
      }
    }
    if (prototypeOrder >= 2) {
      EXPECT_GE(peaks, 1) << c.name;
    }
  }
}

}  // namespace
}  // namespace nv
