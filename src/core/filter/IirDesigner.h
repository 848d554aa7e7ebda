#pragma once
// The numerical routines of the IIR filter design: analog low-pass
// prototypes (Butterworth, Chebyshev type 1, elliptic) mapped to a digital
// low-pass filter by the bilinear transformation with prewarping, and the
// all-pass substitutions of z^-1 that turn a digital low-pass filter into a
// high-pass, band-pass or band-stop filter.
//
// The filter is held as zeros, poles and gain in the z-plane; Numerator and
// Denominator expand it into the polynomials in z^-1. Frequencies are
// normalised: 1 is the Nyquist frequency. The routines never print, throw or
// stop: a failure leaves the code of its cause in LastError (0 after a
// success) and the routine returns false. One designer per design; not shared
// between threads.
#include <complex>
#include <vector>

namespace nv {

class IirDesigner {
 public:
  // Prototype kinds.
  enum class Kind { Butterworth, Chebyshev1, Elliptic };
  // Band kinds of Transform.
  enum class Band { HighPass, BandPass, BandStop };

  // Error codes of LastError.
  static constexpr int kNoError = 0;
  static constexpr int kBadKind = 1;          // unknown prototype or band kind
  static constexpr int kBadOrder = 2;         // order below 1 or above 49
  static constexpr int kBadCutoff = 3;        // cut-off or edge not inside (0, 1), or fl >= fu
  static constexpr int kBadRipple = 4;        // ripple not inside (0, 1)
  static constexpr int kBadStopBand = 5;      // stop-band level not inside (0, 1 - ripple)
  static constexpr int kNoPrototype = 6;      // Transform before a successful Prototype
  static constexpr int kNumericalFailure = 7; // a coefficient came out infinite or NaN
  static constexpr int kUnstable = 8;         // a pole of the coefficients lies on or outside |z| = 1

  static constexpr int kMaxOrder = 49;

  // Designs a digital low-pass filter of `order` with its cut-off at
  // `cutoff` (0 < cutoff < 1). For Chebyshev and elliptic filters `ripple`
  // is the pass-band ripple as a linear deviation (the pass band keeps
  // between 1 - ripple and 1, 0 < ripple < 1) and the cut-off is the edge of
  // that pass band; for elliptic filters `stopBand` is the linear stop-band
  // level (0 < stopBand < 1 - ripple). Butterworth filters are at -3 dB at
  // the cut-off.
  bool Prototype(Kind kind, int order, double cutoff, double ripple = 0.0, double stopBand = 0.0);

  // Transforms the current low-pass filter, whose cut-off is
  // `prototypeCutoff`, into a high-pass filter with cut-off `edge1`
  // (Band::HighPass) or a band-pass or band-stop filter with edges `edge1` <
  // `edge2` (Band::BandPass, Band::BandStop). Band filters double the order.
  bool Transform(Band bandKind, double prototypeCutoff, double edge1, double edge2 = 0.0);

  // Coefficients 0..Order() of the transfer function's numerator and
  // denominator in z^-1 (denominator coefficient 0 is 1). Empty before a
  // successful design.
  std::vector<double> Numerator() const;
  std::vector<double> Denominator() const;

  // Checks the expanded coefficients: all finite and the denominator's roots
  // strictly inside the unit circle. Sets LastError and returns false if not.
  bool CheckCoefficients();

  int Order() const { return static_cast<int>(poles_.size()); }
  int LastError() const { return lastError_; }

 private:
  bool Fail(int code);

  std::vector<std::complex<double>> zeros_;
  std::vector<std::complex<double>> poles_;
  double gain_ = 0.0;
  bool designed_ = false;
  int lastError_ = kNoError;
};

// True when every root of a0 + a1 z^-1 + ... + aN z^-N lies strictly inside
// the unit circle (Schur-Cohn step-down test); false for a0 = 0.
bool DenominatorIsStable(const std::vector<double>& a);

}  // namespace nv
