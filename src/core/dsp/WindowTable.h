#pragma once
// Window functions for spectral frames: the window codes stored in the
// display and power-spectrum settings, the shapes, the cosine taper and the
// window table (gain x shape) that every frame is multiplied by before
// RealFft.
//
// Units: sizes are frame lengths in values; no state, any thread.
#include <cstdint>
#include <string>
#include <vector>

namespace nv {

// The window of spectral frames. Settings store it as its number
// ("FftWindow"); the dialogs offer 0, 1, 2, 4 and 8; 3 and 5 are shapes
// that only stored settings select; every other number is kept as it was
// read and behaves as 0.
enum class WindowCode : int32_t {
  Rectangular = 0,
  Parzen = 1,
  Hanning = 2,
  Welch = 3,
  Hamming = 4,
  Blackman = 5,
  Cosine = 8,
};

// The window of a stored number, and the number stored for a window.
constexpr WindowCode StoredWindow(int32_t stored) { return static_cast<WindowCode>(stored); }
constexpr int32_t StoredNumber(WindowCode window) { return static_cast<int32_t>(window); }

// N doubles: entry i = gain x shape(i). Owned by whoever computes frames
// with it; rebuilt when the frame size or the window code changes.
using WindowTable = std::vector<double>;

// The shape of window `type` at i (0 <= i < n); 1 for codes without a shape
// (the cosine taper of code 8 is applied by CosineTaper, not here).
double WindowShapeValue(WindowCode type, int n, int i);

// Multiplies a[i] and then b[i], i = 0 ... n-1, by the shape of `type`. Both
// arrays hold n values; a caller with a single array passes scratch as b.
void WindowShape(double* a, double* b, int n, WindowCode type);

// Multiplies the first and last L - 1 values, L = (n * p) / 10, by the rising
// and falling ramp (1 - cos(i * pi / L)) / 2, i = 0 ... L - 2.
void CosineTaper(double* data, int n, int p);

// The amplitude gain of a window: 1.0 for 0, 3, 5 and undefined numbers.
double WindowGain(WindowCode type);

// The text appended to graph titles for a window code (empty for 0, 3, 5 and
// undefined codes).
std::string WindowTitleSuffix(WindowCode type);

// The dialogs' names: "Rectangular", "Parzen", "Hanning", "Hamming",
// "Cosine"; every code that is none of the four shaped windows shows as
// "Rectangular". WindowCodeFromName maps unknown names to 0.
std::string WindowName(WindowCode type);
WindowCode WindowCodeFromName(const std::string& name);

// Fills table with n entries of gain x shape for `type` and returns the title
// suffix.
std::string BuildWindowTable(WindowCode type, int n, WindowTable& table);

}  // namespace nv
