#pragma once
// The detector line of a sound view: where the virtual detector listens, a
// sample position and a real frequency, drawn across the spectrogram and
// moved with the arrow keys. These are its rules: where it starts when the
// detector is switched on, how Up/Down retune it and Left/Right move it, and
// its status text. Pure functions of the plot's set-up; interface thread.
//
// Units: positions are sample frames, frequencies whole Hz of real
// (time-expansion-corrected) frequency.
#include <cstdint>
#include <string>

#include "base/TimeBase.h"
#include "plot/CursorRecord.h"
#include "plot/PlotSetup.h"

namespace nv {

// What the starting place of the line depends on.
struct DetectorPlacement {
  int64_t effectiveRateHz = 0;      // sampling rate x time-expansion factor (real)
  int32_t selectionStart = -1;      // -1: no selection
  CursorRecord cursor;              // position -1: no cursor
  int32_t firstVisibleSample = 0;
};

// The line when the detector is switched on, drawn as a large measurement
// cursor in the spectrogram (a line across the plot at its frequency and
// one at its time): frequency a quarter of the
// effective sampling rate (the middle of the spectrogram's full range);
// position the selection's start when there is a selection, else the
// cursor's position when a cursor is set, else the first visible sample
// (never below 0). A cursor set in the spectrogram whose frequency lies from
// 1 Hz to the Nyquist frequency gives the line its frequency as well.
CursorRecord PlaceDetectorLine(const DetectorPlacement& p);

// Up (direction +1) or Down (-1): moves the line's frequency by two vertical
// pixel steps of the spectrogram, at least 2 Hz. Refused (false, line
// unchanged) when the new frequency would leave the spectrogram's frequency
// range or fall below 1 Hz, or when the plot shows no spectrogram.
bool StepDetectorFrequency(const PlotSetup& s, CursorRecord& line, int direction);

// Left (-1) or Right (+1): moves the line by one pixel step of the plot in
// time (at least one frame). Refused when the new position would leave the
// visible stretch or the sound.
bool StepDetectorPosition(const PlotSetup& s, FrameIndex frameCount, CursorRecord& line, int direction);

// "Detector: " followed by the line's time in the plot's readout format, a
// blank and its frequency in kHz in the plot's kHz format; empty without a
// line.
std::string DetectorStatusText(const PlotSetup& s, const CursorRecord& line);

}  // namespace nv
