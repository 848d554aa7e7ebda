#include "filter/EllipticFunctions.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nv::elliptic {

double Agm(double a, double b) {
  for (int i = 0; i < 64; ++i) {
    const double an = 0.5 * (a + b);
    const double bn = std::sqrt(a * b);
    a = an;
    b = bn;
    if (std::fabs(a - b) <= 1e-16 * a) break;
  }
  return 0.5 * (a + b);
}

double CompleteK(double m) { return std::numbers::pi / (2.0 * Agm(1.0, std::sqrt(1.0 - m))); }

double CompleteKComplement(double m1) { return std::numbers::pi / (2.0 * Agm(1.0, std::sqrt(m1))); }

namespace {

// Carlson's RF(x, y, z) by the duplication theorem.
double CarlsonRf(double x, double y, double z) {
  for (int i = 0; i < 100; ++i) {
    const double mu = (x + y + z) / 3.0;
    const double dx = 1.0 - x / mu;
    const double dy = 1.0 - y / mu;
    const double dz = 1.0 - z / mu;
    if (std::max({std::fabs(dx), std::fabs(dy), std::fabs(dz)}) < 1e-4) {
      // Fifth-order Taylor series about the mean; error ~ (1e-4)^6.
      const double e2 = dx * dy - dz * dz;
      const double e3 = dx * dy * dz;
      return (1.0 - e2 / 10.0 + e3 / 14.0 + e2 * e2 / 24.0 - 3.0 * e2 * e3 / 44.0) / std::sqrt(mu);
    }
    const double sx = std::sqrt(x);
    const double sy = std::sqrt(y);
    const double sz = std::sqrt(z);
    const double lambda = sx * sy + sx * sz + sy * sz;
    x = 0.25 * (x + lambda);
    y = 0.25 * (y + lambda);
    z = 0.25 * (z + lambda);
  }
  return 1.0 / std::sqrt((x + y + z) / 3.0);
}

}  // namespace

double IncompleteFComplement(double phi, double m1) {
  const double s = std::sin(phi);
  const double c = std::cos(phi);
  // 1 - m sin^2 = cos^2 + m1 sin^2, without forming m = 1 - m1.
  return s * CarlsonRf(c * c, c * c + m1 * s * s, 1.0);
}

Jacobi JacobiFunctions(double u, double m) {
  if (m <= 0.0) return {std::sin(u), std::cos(u), 1.0};
  if (m >= 1.0) return JacobiFunctionsComplement(u, 0.0);
  constexpr int kMaxSteps = 40;
  double a[kMaxSteps + 1];
  double c[kMaxSteps + 1];
  a[0] = 1.0;
  double b = std::sqrt(1.0 - m);
  c[0] = std::sqrt(m);
  int n = 0;
  while (n < kMaxSteps && std::fabs(c[n]) > 1e-16) {
    a[n + 1] = 0.5 * (a[n] + b);
    c[n + 1] = 0.5 * (a[n] - b);
    b = std::sqrt(a[n] * b);
    ++n;
  }
  double phi = std::ldexp(a[n] * u, n);
  double phiNext = phi;
  for (int i = n; i >= 1; --i) {
    phiNext = phi;
    phi = 0.5 * (phi + std::asin(c[i] / a[i] * std::sin(phi)));
  }
  const double sn = std::sin(phi);
  const double cn = std::cos(phi);
  const double dn = n == 0 ? 1.0 : cn / std::cos(phiNext - phi);
  return {sn, cn, dn};
}

Jacobi JacobiFunctionsComplement(double u, double m1) {
  if (m1 > 1e-9) return JacobiFunctions(u, 1.0 - m1);
  // Close to m = 1 the functions approach tanh and sech; first-order terms in
  // m1 (the neglected terms are of order m1^2).
  const double t = std::tanh(u);
  const double sech = 1.0 / std::cosh(u);
  const double sc = std::sinh(u) * std::cosh(u);
  const double w = 0.25 * m1;
  return {t + w * (sc - u) * sech * sech, sech - w * (sc - u) * t * sech, sech + w * (sc + u) * t * sech};
}

double DegreeParameter(int order, double m1) {
  // Nome of the discrimination parameter, its order-th root, and the
  // parameter of that nome from the theta-function series.
  const double q1 = std::exp(-std::numbers::pi * CompleteKComplement(m1) / CompleteK(m1));
  const double q = std::pow(q1, 1.0 / order);
  double num = 0.0;
  for (int i = 0; i <= 7; ++i) num += std::pow(q, i * (i + 1));
  double den = 0.0;
  for (int i = 1; i <= 8; ++i) den += std::pow(q, i * i);
  den = 1.0 + 2.0 * den;
  const double ratio = num / den;
  return 16.0 * q * ratio * ratio * ratio * ratio;
}

}  // namespace nv::elliptic
