#include "dsp/WindowTable.h"

#include <cmath>
#include <numbers>

namespace nv {

double WindowShapeValue(int32_t type, int n, int i) {
  if (n < 2) return 1.0;  // a single value has no shape
  const double nn = n;
  const double x = i;
  switch (type) {
    case kWindowParzen: {
      const double c = (nn - 1) * 0.5;
      return 1.0 - std::fabs((x - c) / c);
    }
    case kWindowHanning:
      // The decimal constants (not 2*pi) are part of the defined output.
      return (1.0 - std::cos(6.283 * x / (nn - 1))) * 0.5;
    case kWindowWelch: {
      const double q = (x - (nn - 1) * 0.5) / ((nn + 1) * 0.5);
      return 1.0 - q * q;
    }
    case kWindowHamming:
      return 0.54 - 0.46 * std::cos(6.283 * x / (nn - 1));
    case kWindowBlackman:
      return 0.42 - 0.5 * std::cos(6.283 * x / (nn - 1)) +
             0.08 * std::cos(12.566 * x / (nn - 1));
    default:
      return 1.0;
  }
}

void WindowShape(double* a, double* b, int n, int32_t type) {
  for (int i = 0; i < n; ++i) {
    const double w = WindowShapeValue(type, n, i);
    a[i] *= w;
    b[i] *= w;
  }
}

void CosineTaper(double* data, int n, int p) {
  const int l = static_cast<int>((static_cast<int64_t>(n) * p) / 10);
  for (int i = 0; i <= l - 2; ++i) {
    const double w = (1.0 - std::cos(i * std::numbers::pi / l)) / 2.0;
    data[i] *= w;
    data[n - 1 - i] *= w;
  }
}

double WindowGain(int32_t type) {
  switch (type) {
    case kWindowParzen: return 2.0;
    case kWindowHanning: return 2.0;
    case kWindowHamming: return 1.852;
    case kWindowCosine: return 1.12;
    default: return 1.0;
  }
}

std::string WindowTitleSuffix(int32_t type) {
  switch (type) {
    case kWindowParzen: return ", Parzen window";
    case kWindowHanning: return ", Hanning window.";
    case kWindowHamming: return ", Hamming window";
    case kWindowCosine: return ", Cosine window";
    default: return std::string();
  }
}

std::string WindowName(int32_t type) {
  switch (type) {
    case kWindowParzen: return "Parzen";
    case kWindowHanning: return "Hanning";
    case kWindowHamming: return "Hamming";
    case kWindowCosine: return "Cosine";
    default: return "Rectangular";
  }
}

int32_t WindowCodeFromName(const std::string& name) {
  if (name == "Parzen") return kWindowParzen;
  if (name == "Hanning") return kWindowHanning;
  if (name == "Hamming") return kWindowHamming;
  if (name == "Cosine") return kWindowCosine;
  return kWindowRectangular;
}

std::string BuildWindowTable(int32_t type, int n, WindowTable& table) {
  if (n < 0) n = 0;
  table.assign(static_cast<size_t>(n), WindowGain(type));
  if (type == kWindowRectangular) return WindowTitleSuffix(type);
  if (type == kWindowCosine) {
    CosineTaper(table.data(), n, 1);
  } else {
    std::vector<double> scratch(static_cast<size_t>(n), 0.0);
    WindowShape(table.data(), scratch.data(), n, type);
  }
  return WindowTitleSuffix(type);
}

}  // namespace nv
