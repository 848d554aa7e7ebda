#pragma once
// The rules of the "Sound format" dialog on a document: the choice the
// dialog starts from, the checks of OK in their order (with their messages
// and Yes/No questions through the message interface), and the application
// of an accepted choice to the document and to the defaults of new
// documents. The samples are never converted: a new rate only relabels them.
// Interface thread only.
#include <cstdint>
#include <functional>
#include <string>

namespace nv {

class CNorvaneDoc;

struct SoundFormatChoice {
  int bits = 0;        // 8 or 16; 0 when no button is chosen
  int channels = 0;    // 1 or 2; 0 when no button is chosen
  int64_t rateHz = 0;  // 0 when no rate is chosen
  double timeExpansion = 1.0;  // the factor as typed (0.1 ... 100)
  std::string contents;        // at most 79 characters
  std::string recordedBy;      // at most 39
  std::string date;            // at most 9
  std::string time;            // at most 9
};

// Whether the program can play a format on the chosen output device (the
// device takes it, or a rate it takes through the resampler).
using FormatQuery = std::function<bool(int channels, int bits, int64_t rateHz)>;

// What applying a choice changed.
struct SoundFormatChange {
  bool rateChanged = false;
  bool formatSet = false;
  bool expansionChanged = false;
};

// The stored time expansion of a typed factor: truncation of v * 1000 + 0.5.
int32_t TimeExpansionThousandths(double v);

// The dialog's start: the document's format, factor and texts.
SoundFormatChoice SoundFormatChoiceOf(const CNorvaneDoc& doc);

// OK's checks in order; false (after its message, or a No) keeps the dialog
// open. A rate outside 8 000 ... 44 100 Hz is questioned only when it differs
// from the document's and `query` says it cannot be played (`query` may be
// empty: every format taken, and such a rate always questioned).
bool CheckSoundFormat(const SoundFormatChoice& c, const CNorvaneDoc& doc, const FormatQuery& query);

// Takes an accepted choice: texts and factor into the recording information,
// the format (when the document holds no sound or the rate changed) into the
// document and the defaults of new documents, the spectrogram marks'
// frequencies rescaled with the relabel, the modified flag, the views
// updated when the format, rate or factor changed, and the recording
// information copied into the defaults with its "Contents" cleared. The
// caller clears a view's measurement cursors and zoom history when the rate
// changed and shows the new format.
SoundFormatChange ApplySoundFormat(CNorvaneDoc& doc, const SoundFormatChoice& c);

}  // namespace nv
