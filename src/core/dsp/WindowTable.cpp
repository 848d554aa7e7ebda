#include "dsp/WindowTable.h"

#include <cmath>
#include <numbers>

namespace nv {

double WindowShapeValue(WindowCode type, int n, int i) {
  if (n < 2) return 1.0;  // a single value has no shape
  const double nn = n;
  const double x = i;
  switch (type) {
    case WindowCode::Parzen: {
      const double c = (nn - 1) * 0.5;
      return 1.0 - std::fabs((x - c) / c);
    }
    case WindowCode::Hanning:
      // The decimal constants (not 2*pi) are part of the defined output.
      return (1.0 - std::cos(6.283 * x / (nn - 1))) * 0.5;
    case WindowCode::Welch: {
      const double q = (x - (nn - 1) * 0.5) / ((nn + 1) * 0.5);
      return 1.0 - q * q;
    }
    case WindowCode::Hamming:
      return 0.54 - 0.46 * std::cos(6.283 * x / (nn - 1));
    case WindowCode::Blackman:
      return 0.42 - 0.5 * std::cos(6.283 * x / (nn - 1)) +
             0.08 * std::cos(12.566 * x / (nn - 1));
    default:
      return 1.0;
  }
}

void WindowShape(double* a, double* b, int n, WindowCode type) {
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

double WindowGain(WindowCode type) {
  switch (type) {
    case WindowCode::Parzen: return 2.0;
    case WindowCode::Hanning: return 2.0;
    case WindowCode::Hamming: return 1.852;
    case WindowCode::Cosine: return 1.12;
    default: return 1.0;
  }
}

std::string WindowTitleSuffix(WindowCode type) {
  switch (type) {
    case WindowCode::Parzen: return ", Parzen window";
    case WindowCode::Hanning: return ", Hanning window.";
    case WindowCode::Hamming: return ", Hamming window";
    case WindowCode::Cosine: return ", Cosine window";
    default: return std::string();
  }
}

std::string WindowName(WindowCode type) {
  switch (type) {
    case WindowCode::Parzen: return "Parzen";
    case WindowCode::Hanning: return "Hanning";
    case WindowCode::Hamming: return "Hamming";
    case WindowCode::Cosine: return "Cosine";
    default: return "Rectangular";
  }
}

WindowCode WindowCodeFromName(const std::string& name) {
  if (name == "Parzen") return WindowCode::Parzen;
  if (name == "Hanning") return WindowCode::Hanning;
  if (name == "Hamming") return WindowCode::Hamming;
  if (name == "Cosine") return WindowCode::Cosine;
  return WindowCode::Rectangular;
}

std::string BuildWindowTable(WindowCode type, int n, WindowTable& table) {
  if (n < 0) n = 0;
  table.assign(static_cast<size_t>(n), WindowGain(type));
  if (type == WindowCode::Rectangular) return WindowTitleSuffix(type);
  if (type == WindowCode::Cosine) {
    CosineTaper(table.data(), n, 1);
  } else {
    std::vector<double> scratch(static_cast<size_t>(n), 0.0);
    WindowShape(table.data(), scratch.data(), n, type);
  }
  return WindowTitleSuffix(type);
}

}  // namespace nv
