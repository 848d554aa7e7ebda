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
  for (Section& s : sections_) s.x1 = s.x2 = s.y1 = s.y2 = 0;
}

namespace {

// The sections one after the other within each sample: the recursions of
// the sections are independent chains, which the processor overlaps, where
// a pass per section would wait for every step of one chain in turn. Each
// section in direct form I, the feedback of the last output added last, so
// that a sample waits on the one before it for one product and one sum.
template <int N, typename Section>
void Cascade(Section* sections, double* x, int n) {
  double b0[N], b1[N], b2[N], a1[N], a2[N], x1[N], x2[N], y1[N], y2[N];
  for (int k = 0; k < N; ++k) {
    b0[k] = sections[k].b0;
    b1[k] = sections[k].b1;
    b2[k] = sections[k].b2;
    a1[k] = sections[k].a1;
    a2[k] = sections[k].a2;
    x1[k] = sections[k].x1;
    x2[k] = sections[k].x2;
    y1[k] = sections[k].y1;
    y2[k] = sections[k].y2;
  }
  for (int i = 0; i < n; ++i) {
    double v = x[i];
    for (int k = 0; k < N; ++k) {
      const double rest = b0[k] * v + b1[k] * x1[k] + b2[k] * x2[k] - a2[k] * y2[k];
      const double out = rest - a1[k] * y1[k];
      x2[k] = x1[k];
      x1[k] = v;
      y2[k] = y1[k];
      y1[k] = out;
      v = out;
    }
    x[i] = v;
  }
  for (int k = 0; k < N; ++k) {
    sections[k].x1 = x1[k];
    sections[k].x2 = x2[k];
    sections[k].y1 = y1[k];
    sections[k].y2 = y2[k];
  }
}

}  // namespace

void DetectionBand::Process(double* x, int n) {
  Section* s = sections_.data();
  switch (count_) {
    case 1: Cascade<1>(s, x, n); break;
    case 2: Cascade<2>(s, x, n); break;
    case 3: Cascade<3>(s, x, n); break;
    case 4: Cascade<4>(s, x, n); break;
    case 5: Cascade<5>(s, x, n); break;
    case 6: Cascade<6>(s, x, n); break;
    default: break;
  }
}

}  // namespace nv
