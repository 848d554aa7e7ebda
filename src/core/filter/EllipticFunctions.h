#pragma once
// Complete and incomplete elliptic integrals of the first kind and the Jacobi
// elliptic functions, as the elliptic filter prototype needs them. All take
// the parameter m = k^2 (k the modulus), 0 <= m <= 1. Where a design works
// close to m = 1 the functions take the complementary parameter m1 = 1 - m
// instead, so that no precision is lost in forming 1 - m.
namespace nv::elliptic {

// Arithmetic-geometric mean of two non-negative numbers.
double Agm(double a, double b);

// K(m), the complete integral of the first kind.
double CompleteK(double m);
// K(1 - m1), the complete integral at the complementary parameter.
double CompleteKComplement(double m1);

// F(phi | 1 - m1) for 0 <= phi <= pi/2, the incomplete integral of the first
// kind at the complementary parameter m1 (Carlson's symmetric form).
double IncompleteFComplement(double phi, double m1);

// Jacobi sn, cn and dn of u at parameter m (descending Landen / AGM scheme).
struct Jacobi {
  double sn;
  double cn;
  double dn;
};
Jacobi JacobiFunctions(double u, double m);
// The same at parameter 1 - m1, accurate also when m1 is too small to be
// seen next to 1.
Jacobi JacobiFunctionsComplement(double u, double m1);

// Solves the degree equation of an elliptic filter: the parameter m of the
// selectivity (k = pass edge / stop edge, m = k^2) for `order` and the
// discrimination parameter m1 (eps^2 / (10^(attenuation/10) - 1)).
double DegreeParameter(int order, double m1);

}  // namespace nv::elliptic
