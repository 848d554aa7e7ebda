#include "analysis/DetectionBand.h"

#include <cmath>

namespace nv {
namespace {

constexpr double kPi = 3.14159265358979323846;
// The quality factors of the three pole pairs of a 6th-order Butterworth
// filter: 1 / (2 cos(k pi / 12)) for k = 1, 3, 5.
constexpr double kQ[3] = {0.51763809020504152, 0.70710678118654752, 1.9318516525781366};

}  // namespace

std::string DetectionBand::Check(int32_t lowHz, int32_t highHz, int64_t effectiveRateHz) {
  const int64_t nyquist = effectiveRateHz / 2;
  if (lowHz < 0 || highHz < 0) return "The detection band's edges must not be negative.";
  if (lowHz > 0 && highHz > 0 && lowHz >= highHz)
    return "The detection band's lower edge (" + std::to_string(lowHz) +
           " Hz) must lie below its upper edge (" + std::to_string(highHz) + " Hz).";
  if (highHz > nyquist)
    return "The detection band's upper edge (" + std::to_string(highHz) +
           " Hz) lies above the Nyquist frequency of the recording (" + std::to_string(nyquist) + " Hz).";
  if (lowHz > 0 && lowHz >= nyquist)
    return "The detection band's lower edge (" + std::to_string(lowHz) +
           " Hz) does not lie below the Nyquist frequency of the recording (" + std::to_string(nyquist) +
           " Hz).";
  return {};
}

void DetectionBand::Design(int32_t lowHz, int32_t highHz, int64_t effectiveRateHz) {
  count_ = 0;
  const double rate = static_cast<double>(effectiveRateHz);
  auto add = [&](bool highPass, double hz, double q) {
    const double w0 = 2 * kPi * hz / rate;
    const double c = std::cos(w0), alpha = std::sin(w0) / (2 * q), a0 = 1 + alpha;
    Section& s = sections_[static_cast<size_t>(count_++)];
    s = Section{};
    const double g = highPass ? (1 + c) / 2 : (1 - c) / 2;
    s.b0 = g / a0;
    s.b1 = (highPass ? -2 * g : 2 * g) / a0;
    s.b2 = g / a0;
    s.a1 = -2 * c / a0;
    s.a2 = (1 - alpha) / a0;
  };
  if (rate <= 0) return;
  const double nyquist = rate / 2;
  if (lowHz > 0 && lowHz < nyquist)
    for (double q : kQ) add(true, lowHz, q);
  if (highHz > 0 && highHz < nyquist)
    for (double q : kQ) add(false, highHz, q);
}

void DetectionBand::Reset() {
  for (Section& s : sections_) s.z1 = s.z2 = 0;
}

void DetectionBand::Process(double* x, int n) {
  // Transposed direct form II, one section after the other.
  for (int k = 0; k < count_; ++k) {
    Section& s = sections_[static_cast<size_t>(k)];
    double z1 = s.z1, z2 = s.z2;
    const double b0 = s.b0, b1 = s.b1, b2 = s.b2, a1 = s.a1, a2 = s.a2;
    for (int i = 0; i < n; ++i) {
      const double in = x[i];
      const double out = b0 * in + z1;
      z1 = b1 * in - a1 * out + z2;
      z2 = b2 * in - a2 * out;
      x[i] = out;
    }
    s.z1 = z1;
    s.z2 = z2;
  }
}

}  // namespace nv
