#include "filter/FilterDesign.h"

#include <cmath>
#include <complex>
#include <cstdio>
#include <optional>
#include <vector>

#include "base/MessageSink.h"
#include "filter/IirDesigner.h"

namespace nv {
namespace {

// Limits of the normalised edges: the wide ones hold for orders below 8, the
// narrow ones for order 8; above order 8 the edges are not limited.
constexpr double kLowLimit = 0.00907;
constexpr double kHighLimit = 0.9909;
constexpr double kLowLimitOrder8 = 0.01814;
constexpr double kHighLimitOrder8 = 0.9819;

const char* const kIncreaseCutoff = "Filter cut-off frequency not allowed. Increase cut-off frequency.";
const char* const kDecreaseCutoff = "Filter cut-off frequency not allowed. Decrease cut-off frequency.";
const char* const kIncreaseCutoff8 =
    "Filter cut-off frequency not allowed. Increase cut-off frequency or decrease filter order.";
const char* const kDecreaseCutoff8 =
    "Filter cut-off frequency not allowed. Decrease cut-off frequency or decrease filter order.";
const char* const kIllegalLower = "Illegal lower cut-off frequency!";
const char* const kIllegalUpper = "Illegal upper cut-off frequency!";
const char* const kTooNarrow = "Filter bandwidth too narrow. Increase the bandwidth.";
const char* const kOrderOutOfRange = "Filter Order out of range!";

bool InRange(std::int64_t f, std::int64_t nyquistHz) { return f >= 1 && f <= nyquistHz; }

std::string ValidateLowHigh(std::int32_t fc, int order, std::int64_t nyquistHz) {
  if (!InRange(fc, nyquistHz)) return "Illegal cut-off frequency!";
  const double f = static_cast<double>(fc) / static_cast<double>(nyquistHz);
  if (order == 8) {
    if (f < kLowLimitOrder8) return kIncreaseCutoff8;
    if (f > kHighLimitOrder8) return kDecreaseCutoff8;
  } else if (order < 8) {
    if (f < kLowLimit) return kIncreaseCutoff;
    if (f > kHighLimit) return kDecreaseCutoff;
  }
  return {};
}

std::string ValidateBandPass(std::int32_t fl, std::int32_t fu, int order, std::int64_t nyquistHz) {
  std::string message;
  if (!InRange(fl, nyquistHz)) {
    message = kIllegalLower;
  } else if (!InRange(fu, nyquistHz)) {
    message = kIllegalUpper;
  } else if (!(fl < fu)) {
    message = "Lower cut-off frequency greater than upper!";
  } else if (static_cast<double>(fu - fl) / static_cast<double>(nyquistHz) < kLowLimit) {
    message = kTooNarrow;
  }
  // Without a Nyquist frequency the edges have no ratio to test; the message
  // above already refuses the description.
  if (nyquistHz < 1) return message;
  const double l = static_cast<double>(fl) / static_cast<double>(nyquistHz);
  const double u = static_cast<double>(fu) / static_cast<double>(nyquistHz);
  if (order == 8) {
    if (l < kLowLimitOrder8 || u < kLowLimitOrder8) return kIncreaseCutoff8;
    if (l > kHighLimitOrder8 || u > kHighLimitOrder8) return kDecreaseCutoff8;
  } else if (order < 8) {
    if (l < kLowLimit || u < kLowLimit) message = kIncreaseCutoff;
    if (l > kHighLimit || u > kHighLimit) return kDecreaseCutoff;
  }
  return message;
}

std::string ValidateBandStop(std::int32_t fl, std::int32_t fu, int order, std::int64_t nyquistHz) {
  if (!InRange(fl, nyquistHz)) return kIllegalLower;
  if (!InRange(fu, nyquistHz)) return kIllegalUpper;
  if (!(fl < fu)) return "Low bandstop frequency greater than high!";
  const double l = static_cast<double>(fl) / static_cast<double>(nyquistHz);
  const double u = static_cast<double>(fu) / static_cast<double>(nyquistHz);
  if (u - l < kLowLimitOrder8) return kTooNarrow;
  if (order == 8) {
    if (l < kLowLimitOrder8 || u < kLowLimitOrder8) return kIncreaseCutoff8;
    if (l > kHighLimitOrder8 || u > kHighLimitOrder8) return kDecreaseCutoff8;
  } else if (order < 8) {
    if (l < kLowLimit || u < kLowLimit) return kIncreaseCutoff;
    if (l > kHighLimit || u > kHighLimit) return kDecreaseCutoff;
  }
  return {};
}

// Designs a Butterworth, Chebyshev or elliptic filter into `a` and `b`
// (order + 1 entries each) and returns the routines' last error code.
int DesignCoefficients(const FilterDescription& desc, double nyquistHz, std::vector<double>& a,
                       std::vector<double>& b) {
  IirDesigner::Kind kind = IirDesigner::Kind::Butterworth;
  if (desc.filterType == FilterType::Chebyshev1) kind = IirDesigner::Kind::Chebyshev1;
  if (desc.filterType == FilterType::Elliptic) kind = IirDesigner::Kind::Elliptic;
  // Ripple as the linear deviation of the pass band, stop band as a level.
  const double ripple = 1.0 - std::pow(10.0, -desc.rippleTenthsDb / 200.0);
  const double stop = std::pow(10.0, desc.stopBandGainDb / 20.0);
  const int n = desc.order;

  IirDesigner designer;
  bool ok = false;
  switch (desc.bandType) {
    case BandType::LowPass:
      ok = designer.Prototype(kind, n, desc.lowPassHz / nyquistHz, ripple, stop);
      break;
    case BandType::HighPass:
      ok = designer.Prototype(kind, n, 0.5, ripple, stop) &&
           designer.Transform(IirDesigner::Band::HighPass, 0.5, desc.highPassHz / nyquistHz);
      break;
    case BandType::BandPass:
      ok = designer.Prototype(kind, n / 2, 0.5, ripple, stop) &&
           designer.Transform(IirDesigner::Band::BandPass, 0.5, desc.bandPassLowHz / nyquistHz,
                              desc.bandPassHighHz / nyquistHz);
      break;
    case BandType::BandStop:
      ok = designer.Prototype(kind, n / 2, 0.5, ripple, stop) &&
           designer.Transform(IirDesigner::Band::BandStop, 0.5, desc.bandStopLowHz / nyquistHz,
                              desc.bandStopHighHz / nyquistHz);
      break;
    default:
      return IirDesigner::kBadKind;
  }
  if (!ok || !designer.CheckCoefficients()) return designer.LastError();
  a = designer.Denominator();
  b = designer.Numerator();
  // A band filter of odd order N has the order N - 1; its coefficient N is 0.
  a.resize(static_cast<std::size_t>(n) + 1, 0.0);
  b.resize(static_cast<std::size_t>(n) + 1, 0.0);
  return designer.LastError();
}

}  // namespace

std::string ValidateFilter(const FilterDescription& desc, std::int64_t nyquistHz) {
  if (desc.order < 1) return "Ilegal filter order!";
  if (desc.filterType == FilterType::UserDefined) return {};
  switch (desc.bandType) {
    case BandType::LowPass:
      return ValidateLowHigh(desc.lowPassHz, desc.order, nyquistHz);
    case BandType::HighPass:
      return ValidateLowHigh(desc.highPassHz, desc.order, nyquistHz);
    case BandType::BandPass:
      return ValidateBandPass(desc.bandPassLowHz, desc.bandPassHighHz, desc.order, nyquistHz);
    case BandType::BandStop:
      return ValidateBandStop(desc.bandStopLowHz, desc.bandStopHighHz, desc.order, nyquistHz);
    case BandType::Notch:
      return "Notch filter not implemented!!";
    default:
      return "Filter range type not selected!!";
  }
}

std::string DesignFilterQuietly(FilterDescription& desc, std::int64_t nyquistHz) {
  std::string message = ValidateFilter(desc, nyquistHz);
  if (!message.empty()) return message;
  const int n = desc.order;
  switch (desc.filterType) {
    case FilterType::Butterworth:
    case FilterType::Chebyshev1:
    case FilterType::Elliptic: {
      // The coefficient arrays hold at most order 49.
      if (n > FilterDescription::kMaxOrder) return kOrderOutOfRange;
      std::vector<double> a;
      std::vector<double> b;
      const int error = DesignCoefficients(desc, static_cast<double>(nyquistHz), a, b);
      if (error != IirDesigner::kNoError) {
        char text[64];
        std::snprintf(text, sizeof text, "Filter calculation error# %d.", error);
        return text;
      }
      const double t = a[0];
      if (t != 0.0) {
        for (int j = 0; j <= n; ++j) {
          desc.a[j] = a[j] / t;
          desc.b[j] = b[j] / t;
        }
      }
      return {};
    }
    case FilterType::FirLinearPhase:
      return "FIR linear phase filter not implemented YET!";
    case FilterType::UserDefined: {
      if (n > FilterDescription::kMaxOrder) return kOrderOutOfRange;
      const double t = desc.a[0];
      if (t != 0.0) {
        for (int j = 0; j <= n; ++j) {
          desc.a[j] /= t;
          desc.b[j] /= t;
        }
      }
      return {};
    }
    default:
      return "Filter type not selected!";
  }
}

bool DesignFilter(FilterDescription& desc, std::int64_t nyquistHz) {
  const std::string message = DesignFilterQuietly(desc, nyquistHz);
  if (message.empty()) return true;
  ShowMessage(message, MessageIcon::None);
  return false;
}

std::array<double, kFilterResponsePoints> FilterResponse(const FilterDescription& desc) {
  std::array<double, kFilterResponsePoints> magnitude{};
  const int n = desc.order;
  if (n < 0 || n > FilterDescription::kMaxOrder) return magnitude;
  double largest = 0.0;
  for (int k = 0; k < kFilterResponsePoints; ++k) {
    const double w = k * 0.031415927163;
    std::complex<double> num = desc.b[0];
    std::complex<double> den = desc.a[0];
    for (int i = 1; i <= n; ++i) {
      const std::complex<double> e = std::polar(1.0, -i * w);
      num += desc.b[i] * e;
      den += desc.a[i] * e;
    }
    const double m = den == std::complex<double>(0.0) ? std::abs(num) : std::abs(num / den);
    magnitude[k] = m;
    if (m > largest) largest = m;
  }
  if (largest > 0.0) {
    for (double& m : magnitude) m /= largest;
  }
  return magnitude;
}

bool DesignedFilterResponse(const FilterDescription& desc, std::int64_t nyquistHz,
                            std::array<double, kFilterResponsePoints>& magnitudes) {
  FilterDescription scratch = desc;
  if (!DesignFilter(scratch, nyquistHz)) return false;
  magnitudes = FilterResponse(scratch);
  return true;
}

}  // namespace nv
