#pragma once
// One measured pulse of the pulse characteristics analysis, and the marks the
// measurement asks for. Times are microseconds of real time, frequencies Hz
// of real frequency, levels dB re full scale (a full-scale sine reads 0 dB).
// Plain data: made on the worker thread, handed over by value.
#include <cstdint>
#include <string>
#include <vector>

#include "base/CursorKind.h"

namespace nv {

// Which measurement a mark belongs to; also the index into PulseResult::markIds.
enum class PulseMarkKind : int { MaxAmplitude = 0, MaxFrequency = 1, MinFrequency = 2, Start = 3, End = 4 };

// A mark to place in the document: the receiver of the result places it on
// the interface thread (the worker never changes the document) and keeps the
// number it got in PulseResult::markIds.
struct PulseMarkRequest {
  PulseMarkKind kind = PulseMarkKind::Start;
  int32_t position = 0;      // frame
  int32_t value = 0;         // Hz for spectrogram marks, 0 otherwise
  bool inSpectrogram = false;
  int32_t channel = 1;       // 1 left, 2 right
  CursorKind cursorKind = CursorKind::Marking;  // marking or measurement cursor
  std::string label;         // "#3 start", "#3 high", ...
};

struct PulseResult {
  double maxLevelDb = 0;        // level of the strongest spectrogram cell
  double energy = 0;            // not measured: always 0
  double strongestHz = 0;       // frequency of the strongest cell
  double maxFrequencyHz = 0;    // 0 when not found
  double minFrequencyHz = 0;    // 0 when not found
  double pulseNumber = 0;       // 1, 2, 3 ... within one run
  double spare = 0;
  double startUs = 0;           // oscillogram start, end and duration
  double endUs = 0;
  double durationUs = 0;
  double spectStartUs = 0;      // spectrogram start, stop and duration (0 when not found)
  double spectStopUs = 0;
  double spectDurationUs = 0;
  // Mark numbers by PulseMarkKind; -1 = none placed.
  int32_t markIds[5] = {-1, -1, -1, -1, -1};
  // The marks to place, in the order they are placed: start, end, low,
  // high, max ampl.
  std::vector<PulseMarkRequest> marks;
};

}  // namespace nv
