#pragma once
// The description of a time-domain IIR filter as the user chose it: kind, band,
// edges, order, ripple and stop-band gain, plus the coefficient arrays that a
// design fills (or a filter definition file supplies for a user-defined
// filter). A plain value record; the application keeps two of them (the
// filter command's and the virtual detector's), neither of them persisted.
//
// Frequencies are real (time-expansion-corrected) frequencies in whole Hz.
#include <array>
#include <cstdint>

namespace nv {

// Values of FilterDescription::filterType.
namespace FilterType {
inline constexpr std::int32_t None = -1;
inline constexpr std::int32_t Butterworth = 0;
inline constexpr std::int32_t Chebyshev1 = 1;
inline constexpr std::int32_t Elliptic = 2;
inline constexpr std::int32_t FirLinearPhase = 3;
inline constexpr std::int32_t UserDefined = 4;
}  // namespace FilterType

// Values of FilterDescription::bandType.
namespace BandType {
inline constexpr std::int32_t None = -1;
inline constexpr std::int32_t LowPass = 0;
inline constexpr std::int32_t HighPass = 1;
inline constexpr std::int32_t BandPass = 2;
inline constexpr std::int32_t BandStop = 3;
inline constexpr std::int32_t Notch = 4;
}  // namespace BandType

struct FilterDescription {
  // Number of entries of each coefficient array; the highest order is one less.
  static constexpr int kMaxCoefficients = 50;
  static constexpr int kMaxOrder = kMaxCoefficients - 1;

  std::int32_t bandPassLowHz = 0;
  std::int32_t bandPassHighHz = 0;
  std::int32_t bandStopLowHz = 0;
  std::int32_t bandStopHighHz = 0;
  std::int32_t filterType = FilterType::Butterworth;
  std::int32_t bandType = BandType::LowPass;
  std::int32_t highPassHz = 0;
  std::int32_t lowPassHz = 0;
  std::int32_t order = 2;
  std::int32_t rippleTenthsDb = 2;   // pass-band ripple, 2 = 0.2 dB
  std::int32_t stopBandGainDb = -50; // elliptic stop-band level, negative
  // Denominator (feedback) a0..a49, a0 = 1 after a design, and numerator
  // (feed-forward) b0..b49 coefficients of the transfer function in z^-1.
  std::array<double, kMaxCoefficients> a{};
  std::array<double, kMaxCoefficients> b{};
};

// The real Nyquist frequency in whole Hz of a sound sampled at `rateHz` and
// slowed down by `timeExpansionThousandths` / 1000 before digitising:
// (factor x rate / 2) / 1000 in integer arithmetic.
std::int64_t NyquistHz(std::int64_t rateHz, std::int64_t timeExpansionThousandths);

}  // namespace nv
