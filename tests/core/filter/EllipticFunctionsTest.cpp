// Elliptic integrals and Jacobi functions against reference values from
// scipy.special (scipy 1.10.1): ellipk, ellipkm1, ellipkinc and ellipj.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "filter/EllipticFunctions.h"

namespace nv::elliptic {
namespace {

TEST(EllipticFunctions, CompleteIntegrals) {
  // scipy.special.ellipk(m)
  EXPECT_NEAR(CompleteK(0.0), 1.5707963267948966, 1e-15);
  EXPECT_NEAR(CompleteK(0.3), 1.713889448178791, 1e-15);
  EXPECT_NEAR(CompleteK(0.9), 2.5780921133481733, 1e-14);
  EXPECT_NEAR(CompleteK(0.999999), 8.2940514636010612, 1e-9);
  // scipy.special.ellipkm1(m1) = K(1 - m1)
  EXPECT_NEAR(CompleteKComplement(1e-3), 4.8411325605502968, 1e-14);
  EXPECT_NEAR(CompleteKComplement(1e-12), 15.201804919087715, 1e-13);
  EXPECT_NEAR(CompleteKComplement(1e-40), 47.437996221000802, 1e-13);
}

TEST(EllipticFunctions, IncompleteIntegral) {
  // scipy.special.ellipkinc(phi, m), here with m1 = 1 - m
  EXPECT_NEAR(IncompleteFComplement(0.5, 0.7), 0.50614021196235526, 1e-15);
  EXPECT_NEAR(IncompleteFComplement(1.2, 1e-3), 1.6723467066503424, 1e-12);
  EXPECT_NEAR(IncompleteFComplement(std::numbers::pi / 2, 0.7), CompleteK(0.3), 1e-14);
}

TEST(EllipticFunctions, JacobiFunctions) {
  struct Case {
    double u, m, sn, cn, dn;
  };
  // scipy.special.ellipj(u, m)
  const Case cases[] = {
      {0.7, 0.5, 0.62434009096621734, 0.78115264245363436, 0.89727349532132494},
      {1.3, 0.99, 0.86303810672041448, 0.50513881888886991, 0.51245836326960081},
      {0.2, 1e-6, 0.1986693294987201, 0.98006657810402298, 0.9999999802652485},
  };
  for (const Case& c : cases) {
    const Jacobi j = JacobiFunctions(c.u, c.m);
    EXPECT_NEAR(j.sn, c.sn, 1e-14) << c.u << " " << c.m;
    EXPECT_NEAR(j.cn, c.cn, 1e-14) << c.u << " " << c.m;
    EXPECT_NEAR(j.dn, c.dn, 1e-14) << c.u << " " << c.m;
  }
  // Close to m = 1 through the complementary parameter: ellipj(2.1, 0.999999999).
  const Jacobi near = JacobiFunctionsComplement(2.1, 1.0 - 0.999999999);
  EXPECT_NEAR(near.sn, 0.97045193682549979, 1e-13);
  EXPECT_NEAR(near.cn, 0.2412945053490366, 1e-13);
  EXPECT_NEAR(near.dn, 0.24129450730054586, 1e-13);
  // The limits m = 1 (tanh, sech) and m = 0 (sin, cos).
  const Jacobi one = JacobiFunctions(2.1, 1.0);
  EXPECT_NEAR(one.sn, std::tanh(2.1), 1e-15);
  EXPECT_NEAR(one.cn, 1.0 / std::cosh(2.1), 1e-15);
  EXPECT_NEAR(one.dn, 1.0 / std::cosh(2.1), 1e-15);
  const Jacobi zero = JacobiFunctions(2.1, 0.0);
  EXPECT_NEAR(zero.sn, std::sin(2.1), 1e-15);
}

TEST(EllipticFunctions, DegreeEquationGivesTheSelectivity) {
  // The degree equation K(m') / K(m) = K(m1') / (N K(m1)), primes marking
  // complementary parameters, holds for the parameter it returns.
  for (int n : {2, 3, 5, 8}) {
    for (double m1 : {1e-2, 1e-5, 1e-9}) {
      const double m = DegreeParameter(n, m1);
      ASSERT_GT(m, 0.0);
      ASSERT_LT(m, 1.0);
      const double lhs = CompleteKComplement(m) / CompleteK(m);
      const double rhs = CompleteKComplement(m1) / (n * CompleteK(m1));
      EXPECT_NEAR(lhs / rhs, 1.0, 1e-9) << n << " " << m1;
    }
  }
}

}  // namespace
}  // namespace nv::elliptic
