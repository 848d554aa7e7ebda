#include "filter/IirDesigner.h"

#include <cmath>
#include <numbers>

#include "filter/EllipticFunctions.h"

namespace nv {
namespace {

using Complex = std::complex<double>;
using Roots = std::vector<Complex>;

constexpr double kPi = std::numbers::pi;
// Below this a Jacobi sn counts as zero and an imaginary part as absent.
constexpr double kTiny = 2e-16;

struct AnalogPrototype {
  Roots zeros;
  Roots poles;
  double gain = 1.0;
};

// Analog low-pass prototypes with their pass edge at 1 rad/s.
AnalogPrototype Butterworth(int n) {
  AnalogPrototype p;
  for (int m = -n + 1; m < n; m += 2) p.poles.push_back(-std::exp(Complex(0.0, kPi * m / (2.0 * n))));
  return p;
}

AnalogPrototype Chebyshev1(int n, double epsSq) {
  AnalogPrototype p;
  const double mu = std::asinh(1.0 / std::sqrt(epsSq)) / n;
  for (int m = -n + 1; m < n; m += 2) p.poles.push_back(-std::sinh(Complex(mu, kPi * m / (2.0 * n))));
  Complex k = 1.0;
  for (const Complex& pole : p.poles) k *= -pole;
  p.gain = k.real();
  // An even order starts at the bottom of the ripple band.
  if (n % 2 == 0) p.gain /= std::sqrt(1.0 + epsSq);
  return p;
}

AnalogPrototype Elliptic(int n, double epsSq, double stopSq) {
  AnalogPrototype p;
  const double eps = std::sqrt(epsSq);
  if (n == 1) {
    p.poles.push_back(-1.0 / eps);
    p.gain = 1.0 / eps;
    return p;
  }
  // Discrimination parameter and the selectivity from the degree equation.
  const double m1 = epsSq / (1.0 / stopSq - 1.0);
  const double m = elliptic::DegreeParameter(n, m1);
  const double capK = elliptic::CompleteK(m);
  const double k1 = elliptic::CompleteK(m1);
  // The poles' common real shift: v0 solves sc(v0 N K1 / K | 1 - m1) = 1 / eps.
  const double r = elliptic::IncompleteFComplement(std::atan(1.0 / eps), m1);
  const double v0 = capK * r / (n * k1);
  const elliptic::Jacobi v = elliptic::JacobiFunctionsComplement(v0, m);
  Roots upper;
  for (int j = 1 - n % 2; j < n; j += 2) {
    const elliptic::Jacobi f = elliptic::JacobiFunctions(j * capK / n, m);
    if (std::fabs(f.sn) > kTiny) {
      const Complex zero(0.0, 1.0 / (std::sqrt(m) * f.sn));
      p.zeros.push_back(zero);
      p.zeros.push_back(std::conj(zero));
    }
    const double den = 1.0 - (f.dn * v.sn) * (f.dn * v.sn);
    upper.push_back(-Complex(f.cn * f.dn * v.sn * v.cn, f.sn * v.dn) / den);
  }
  for (const Complex& pole : upper) {
    if (n % 2 == 1 && std::fabs(pole.imag()) <= kTiny * std::abs(pole)) {
      p.poles.push_back(pole.real());
    } else {
      p.poles.push_back(pole);
      p.poles.push_back(std::conj(pole));
    }
  }
  Complex num = 1.0;
  for (const Complex& pole : p.poles) num *= -pole;
  Complex den = 1.0;
  for (const Complex& zero : p.zeros) den *= -zero;
  p.gain = (num / den).real();
  if (n % 2 == 0) p.gain /= std::sqrt(1.0 + epsSq);
  return p;
}

// Coefficients of prod (1 - r z^-1) over the roots, in z^-1.
std::vector<double> Expand(const Roots& roots) {
  std::vector<Complex> c(roots.size() + 1, Complex(0.0));
  c[0] = 1.0;
  for (std::size_t i = 0; i < roots.size(); ++i) {
    for (std::size_t j = i + 1; j >= 1; --j) c[j] -= roots[i] * c[j - 1];
  }
  std::vector<double> out(c.size());
  for (std::size_t i = 0; i < c.size(); ++i) out[i] = c[i].real();
  return out;
}

// Both roots r of 1 - sum u + product u^2 = (1 - r1 u)(1 - r2 u).
void QuadraticRoots(Complex sum, Complex product, Roots& out) {
  Complex root = std::sqrt(sum * sum - 4.0 * product);
  if ((std::conj(sum) * root).real() < 0.0) root = -root;
  const Complex q = 0.5 * (sum + root);
  if (q == Complex(0.0)) {
    out.push_back(0.0);
    out.push_back(0.0);
    return;
  }
  out.push_back(q);
  out.push_back(product / q);
}

}  // namespace

bool IirDesigner::Fail(int code) {
  lastError_ = code;
  return false;
}

bool IirDesigner::Prototype(Kind kind, int order, double cutoff, double ripple, double stopBand) {
  designed_ = false;
  zeros_.clear();
  poles_.clear();
  if (kind != Kind::Butterworth && kind != Kind::Chebyshev1 && kind != Kind::Elliptic) return Fail(kBadKind);
  if (order < 1 || order > kMaxOrder) return Fail(kBadOrder);
  if (!(cutoff > 0.0 && cutoff < 1.0)) return Fail(kBadCutoff);
  if (kind != Kind::Butterworth && !(ripple > 0.0 && ripple < 1.0)) return Fail(kBadRipple);
  if (kind == Kind::Elliptic && !(stopBand > 0.0 && stopBand < 1.0 - ripple)) return Fail(kBadStopBand);

  // Ripple band from 1 - ripple to 1: 1 + eps^2 = 1 / (1 - ripple)^2.
  const double passMin = 1.0 - ripple;
  const double epsSq = 1.0 / (passMin * passMin) - 1.0;
  AnalogPrototype analog;
  if (kind == Kind::Butterworth) {
    analog = Butterworth(order);
  } else if (kind == Kind::Chebyshev1) {
    analog = Chebyshev1(order, epsSq);
  } else {
    analog = Elliptic(order, epsSq, stopBand * stopBand);
  }

  // Prewarp: the bilinear map s = (1 - z^-1) / (1 + z^-1) takes the digital
  // cut-off w = pi * cutoff to the analog frequency tan(w / 2).
  const double warped = std::tan(kPi * cutoff / 2.0);
  double gain = analog.gain;
  for (Complex& z : analog.zeros) z *= warped;
  for (Complex& p : analog.poles) p *= warped;
  gain *= std::pow(warped, static_cast<double>(analog.poles.size() - analog.zeros.size()));

  // Bilinear transformation: s - a = (1 - a)(1 - z_a z^-1) / (1 + z^-1) with
  // z_a = (1 + a) / (1 - a); zeros at infinity go to z = -1.
  Complex k = gain;
  for (const Complex& z : analog.zeros) {
    zeros_.push_back((1.0 + z) / (1.0 - z));
    k *= 1.0 - z;
  }
  for (const Complex& p : analog.poles) {
    poles_.push_back((1.0 + p) / (1.0 - p));
    k /= 1.0 - p;
  }
  while (zeros_.size() < poles_.size()) zeros_.push_back(-1.0);
  gain_ = k.real();
  designed_ = true;
  lastError_ = kNoError;
  return true;
}

bool IirDesigner::Transform(Band bandKind, double prototypeCutoff, double edge1, double edge2) {
  if (!designed_) return Fail(kNoPrototype);
  if (bandKind != Band::HighPass && bandKind != Band::BandPass && bandKind != Band::BandStop) return Fail(kBadKind);
  const auto inside = [](double f) { return f > 0.0 && f < 1.0; };
  if (!inside(prototypeCutoff) || !inside(edge1)) return Fail(kBadCutoff);
  if (bandKind != Band::HighPass && (!inside(edge2) || !(edge1 < edge2))) return Fail(kBadCutoff);
  if (bandKind != Band::HighPass && 2 * Order() > kMaxOrder) return Fail(kBadOrder);

  const double theta = kPi * prototypeCutoff;
  Roots newZeros;
  Roots newPoles;
  Complex k = gain_;
  if (bandKind == Band::HighPass) {
    // z^-1 -> -(u + alpha) / (1 + alpha u): each factor 1 - r z^-1 becomes
    // (1 + r alpha)(1 + (r + alpha) / (1 + r alpha) u) / (1 + alpha u).
    const double wc = kPi * edge1;
    const double alpha = -std::cos((theta + wc) / 2.0) / std::cos((theta - wc) / 2.0);
    for (const Complex& z : zeros_) {
      newZeros.push_back(-(z + alpha) / (1.0 + z * alpha));
      k *= 1.0 + z * alpha;
    }
    for (const Complex& p : poles_) {
      newPoles.push_back(-(p + alpha) / (1.0 + p * alpha));
      k /= 1.0 + p * alpha;
    }
  } else {
    const double wl = kPi * edge1;
    const double wu = kPi * edge2;
    const double alpha = std::cos((wu + wl) / 2.0) / std::cos((wu - wl) / 2.0);
    if (bandKind == Band::BandPass) {
      // z^-1 -> -(u^2 - c1 u + c2) / (c2 u^2 - c1 u + 1).
      const double kk = std::tan(theta / 2.0) / std::tan((wu - wl) / 2.0);
      const double c1 = 2.0 * alpha * kk / (kk + 1.0);
      const double c2 = (kk - 1.0) / (kk + 1.0);
      const auto map = [&](const Roots& in, Roots& out) {
        Complex factor = 1.0;
        for (const Complex& r : in) {
          const Complex lead = 1.0 + r * c2;
          QuadraticRoots(c1 * (1.0 + r) / lead, (c2 + r) / lead, out);
          factor *= lead;
        }
        return factor;
      };
      k *= map(zeros_, newZeros);
      k /= map(poles_, newPoles);
    } else {
      // z^-1 -> (u^2 - c1 u + c2) / (c2 u^2 - c1 u + 1).
      const double kk = std::tan(theta / 2.0) * std::tan((wu - wl) / 2.0);
      const double c1 = 2.0 * alpha / (1.0 + kk);
      const double c2 = (1.0 - kk) / (1.0 + kk);
      const auto map = [&](const Roots& in, Roots& out) {
        Complex factor = 1.0;
        for (const Complex& r : in) {
          const Complex lead = 1.0 - r * c2;
          QuadraticRoots(c1 * (1.0 - r) / lead, (c2 - r) / lead, out);
          factor *= lead;
        }
        return factor;
      };
      k *= map(zeros_, newZeros);
      k /= map(poles_, newPoles);
    }
  }
  zeros_ = std::move(newZeros);
  poles_ = std::move(newPoles);
  gain_ = k.real();
  lastError_ = kNoError;
  return true;
}

std::vector<double> IirDesigner::Numerator() const {
  if (!designed_) return {};
  std::vector<double> b = Expand(zeros_);
  for (double& c : b) c *= gain_;
  return b;
}

std::vector<double> IirDesigner::Denominator() const {
  if (!designed_) return {};
  return Expand(poles_);
}

bool IirDesigner::CheckCoefficients() {
  if (!designed_) return Fail(kNoPrototype);
  const std::vector<double> b = Numerator();
  const std::vector<double> a = Denominator();
  for (double c : b) {
    if (!std::isfinite(c)) return Fail(kNumericalFailure);
  }
  for (double c : a) {
    if (!std::isfinite(c)) return Fail(kNumericalFailure);
  }
  if (!DenominatorIsStable(a)) return Fail(kUnstable);
  return true;
}

namespace {

// Double-double numbers (about 32 significant digits): the stability test
// divides by 1 - k^2 at every stage, which for poles close to the unit circle
// magnifies rounding errors by many orders, more than long double can absorb.
struct Dd {
  double hi;
  double lo;
};

Dd QuickTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

Dd TwoSum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

Dd Add(Dd x, Dd y) {
  Dd s = TwoSum(x.hi, y.hi);
  const Dd t = TwoSum(x.lo, y.lo);
  s.lo += t.hi;
  s = QuickTwoSum(s.hi, s.lo);
  s.lo += t.lo;
  return QuickTwoSum(s.hi, s.lo);
}

Dd Neg(Dd x) { return {-x.hi, -x.lo}; }
Dd Sub(Dd x, Dd y) { return Add(x, Neg(y)); }

Dd Mul(Dd x, Dd y) {
  const double p = x.hi * y.hi;
  const double e = std::fma(x.hi, y.hi, -p) + (x.hi * y.lo + x.lo * y.hi);
  return QuickTwoSum(p, e);
}

Dd MulDouble(Dd x, double y) {
  const double p = x.hi * y;
  const double e = std::fma(x.hi, y, -p) + x.lo * y;
  return QuickTwoSum(p, e);
}

Dd Div(Dd x, Dd y) {
  const double q1 = x.hi / y.hi;
  Dd r = Sub(x, MulDouble(y, q1));
  const double q2 = r.hi / y.hi;
  r = Sub(r, MulDouble(y, q2));
  const double q3 = r.hi / y.hi;
  return Add(QuickTwoSum(q1, q2), Dd{q3, 0.0});
}

bool Positive(Dd x) { return x.hi > 0.0 || (x.hi == 0.0 && x.lo > 0.0); }
Dd Abs(Dd x) { return x.hi < 0.0 || (x.hi == 0.0 && x.lo < 0.0) ? Neg(x) : x; }

}  // namespace

bool DenominatorIsStable(const std::vector<double>& a) {
  if (a.empty() || a[0] == 0.0 || !std::isfinite(a[0])) return false;
  for (double v : a) {
    if (!std::isfinite(v)) return false;
  }
  const Dd one{1.0, 0.0};
  const Dd a0{a[0], 0.0};
  std::vector<Dd> c(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) c[i] = Div(Dd{a[i], 0.0}, a0);
  // Step down through the reflection coefficients; all must be below 1 in
  // magnitude for every root to lie inside the unit circle.
  for (std::size_t n = c.size() - 1; n >= 1; --n) {
    const Dd k = c[n];
    if (!Positive(Sub(one, Abs(k)))) return false;
    const Dd d = Sub(one, Mul(k, k));
    std::vector<Dd> next(n);
    next[0] = one;
    for (std::size_t i = 1; i < n; ++i) next[i] = Div(Sub(c[i], Mul(k, c[n - i])), d);
    c = std::move(next);
  }
  return true;
}

}  // namespace nv
