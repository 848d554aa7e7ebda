#pragma once
// Helpers shared by the filter tests.
#include <cmath>
#include <complex>
#include <numbers>

#include "base/MessageSink.h"
#include "filter/FilterDescription.h"

namespace nv::test {

// Installs a recording sink for the lifetime of the object.
class ScopedMessages {
 public:
  ScopedMessages() : previous_(SetMessageSink(&sink)) {}
  ~ScopedMessages() { SetMessageSink(previous_); }
  ScopedMessages(const ScopedMessages&) = delete;
  ScopedMessages& operator=(const ScopedMessages&) = delete;
  RecordingMessageSink sink;

 private:
  MessageSink* previous_;
};

// |H| of a[0..N], b[0..N] at the normalised frequency f (1 = Nyquist),
// evaluated directly from the coefficients.
inline double MagnitudeAt(const FilterDescription& d, double f) {
  const double w = std::numbers::pi * f;
  std::complex<double> num = 0.0;
  std::complex<double> den = 0.0;
  for (int i = 0; i <= d.order; ++i) {
    const std::complex<double> e = std::polar(1.0, -i * w);
    num += d.b[i] * e;
    den += d.a[i] * e;
  }
  return std::abs(num / den);
}

inline double Db(double magnitude) { return 20.0 * std::log10(magnitude); }

// A description of the given kind with the edges set for its band type.
inline FilterDescription Described(int type, int band, int order, int edge1, int edge2 = 0, int rippleTenths = 2,
                                   int stopDb = -50) {
  FilterDescription d;
  d.filterType = type;
  d.bandType = band;
  d.order = order;
  d.rippleTenthsDb = rippleTenths;
  d.stopBandGainDb = stopDb;
  d.lowPassHz = band == BandType::LowPass ? edge1 : 0;
  d.highPassHz = band == BandType::HighPass ? edge1 : 0;
  if (band == BandType::BandPass) {
    d.bandPassLowHz = edge1;
    d.bandPassHighHz = edge2;
  }
  if (band == BandType::BandStop) {
    d.bandStopLowHz = edge1;
    d.bandStopHighHz = edge2;
  }
  return d;
}

}  // namespace nv::test
