#pragma once
// A deterministic demo recording: three seconds of real time with the
// echolocation calls of two passing bats over faint noise, recorded through a
// tenfold time-expanding detector (the file's rate is a tenth of the real
// rate), with three marks and a recording text.
#include "settings/AnalysisSettings.h"

namespace nv {

class CNorvaneDoc;

// The view settings stored with the demo: the whole three seconds in one
// plot, spectrogram up to 150 kHz, FFT size 256.
AnalysisSettings DemoViewSettings();

// Fills an empty document with the demo recording; false after a message.
bool BuildDemoRecording(CNorvaneDoc& doc);

}  // namespace nv
