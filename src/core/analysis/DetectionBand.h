#pragma once
// The band of the pulse detection: a 6th-order Butterworth high-pass at the
// lower edge followed by a 6th-order Butterworth low-pass at the upper edge
// (48 dB below the pass band at 0.4 times the lower edge), each as three
// second-order sections (bilinear transform with prewarping),
// so that sound outside the band starts no pulse. Edges are real
// frequencies (file frequency x time-expansion factor); an edge <= 0 leaves
// that side open, an upper edge at the Nyquist frequency too.
//
// Threads: one filter per run; Design allocates nothing, Process filters in
// place without allocation.
#include <array>
#include <cstdint>
#include <string>

namespace nv {

class DetectionBand {
 public:
  // Why the band cannot be used at `effectiveRateHz` (sampling rate x
  // time-expansion factor); empty when it can.
  static std::string Check(int32_t lowHz, int32_t highHz, int64_t effectiveRateHz);

  // Designs the sections for a band that passed Check, at rest.
  void Design(int32_t lowHz, int32_t highHz, int64_t effectiveRateHz);
  // Clears the filter's memory (the state of a filter that starts at rest).
  void Reset();
  // Filters x[0 .. n) in place, carrying the state on from the last call.
  void Process(double* x, int n);
  // The number of second-order sections in use (0: the whole band passes).
  int Sections() const { return count_; }

 private:
  struct Section {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;  // the last two inputs and outputs
  };
  std::array<Section, 6> sections_{};
  int count_ = 0;
};

}  // namespace nv
