#include "document/SoundFormatEdit.h"

#include <cmath>

#include "base/MessageSink.h"
#include "document/CNorvaneDoc.h"
#include "document/DocumentContext.h"

namespace nv {

int32_t TimeExpansionThousandths(double v) {
  const double t = std::trunc(v * 1000.0 + 0.5);
  if (!(t > -2147483648.0 && t < 2147483647.0)) return 0;
  return static_cast<int32_t>(t);
}

SoundFormatChoice SoundFormatChoiceOf(const CNorvaneDoc& doc) {
  SoundFormatChoice c;
  const WaveFormatEx& f = doc.Format();
  c.bits = f.wBitsPerSample;
  c.channels = f.nChannels;
  c.rateHz = f.nSamplesPerSec;
  c.timeExpansion = doc.Time().ExpansionFactor();
  c.contents = doc.Info().Contents();
  c.recordedBy = doc.Info().RecordedBy();
  c.date = doc.Info().Date();
  c.time = doc.Info().Time();
  return c;
}

bool CheckSoundFormat(const SoundFormatChoice& c, const CNorvaneDoc& doc, const FormatQuery& query) {
  const int32_t t = TimeExpansionThousandths(c.timeExpansion);
  if (t == 0) {
    ShowMessage("Unknown time expansion!", MessageIcon::None);
    return false;
  }
  if (t < 10 || t > 100000) {
    ShowMessage("Time expansion out of range!", MessageIcon::None);
    return false;
  }
  if (c.rateHz == 0) {
    ShowMessage("Unknown sampling frequency!", MessageIcon::None);
    return false;
  }
  // An unusual rate is questioned when it is chosen, not on every OK of a
  // recording that already has it, and only when the output cannot play it
  // (through the resampler, if need be); without a way to ask the output,
  // every rate outside 8 000 ... 44 100 Hz is questioned.
  const bool rateChosen = c.rateHz != static_cast<int64_t>(doc.Format().nSamplesPerSec);
  const bool playable = !query || query(c.channels, c.bits, c.rateHz);
  if (rateChosen && (c.rateHz < 8000 || c.rateHz > 44100) && !(query && playable) &&
      !Messages().Ask("The selected sampling frequency may not be supported by your computer! Continue?",
                      MessageIcon::Question))
    return false;
  const bool hasSound = doc.LastBufferIndex() >= 0;
  if (hasSound) {
    const WaveFormatEx& f = doc.Format();
    if (rateChosen &&
        !Messages().Ask("Sampling frequency in existing file will be changed. Continue?", MessageIcon::Question))
      return false;
    if (c.channels != f.nChannels &&
        !Messages().Ask("Number of channels in existing file will be changed. Continue?", MessageIcon::Question))
      return false;
    if (c.bits != f.wBitsPerSample &&
        !Messages().Ask("Number of bits per sample in existing file will be changed. Continue?",
                        MessageIcon::Question))
      return false;
  }
  if (!playable) {
    ShowMessage("Format not supported.", MessageIcon::Exclamation);
    return false;
  }
  return true;
}

SoundFormatChange ApplySoundFormat(CNorvaneDoc& doc, const SoundFormatChoice& c) {
  SoundFormatChange ch;
  RecordingInfo& info = doc.Info();
  info.SetContents(c.contents.substr(0, 79));
  info.SetRecordedBy(c.recordedBy.substr(0, 39));
  info.SetTime(c.time.substr(0, 9));
  // The date owns a 16-byte area: its 10 bytes and the 6 behind them.
  info.SetDate(c.date.substr(0, 9));
  const uint8_t zeros[6] = {0, 0, 0, 0, 0, 0};
  info.SetFiller(zeros);
  const int64_t oldRateHz = doc.Format().nSamplesPerSec;
  const int32_t oldExpansion = info.TimeExpansion();
  const int32_t t = TimeExpansionThousandths(c.timeExpansion);
  ch.expansionChanged = t != info.TimeExpansion();
  info.SetTimeExpansion(t);

  const bool hasSound = doc.LastBufferIndex() >= 0;
  ch.rateChanged = c.rateHz != static_cast<int64_t>(doc.Format().nSamplesPerSec);
  if (!hasSound || ch.rateChanged) {
    // The bytes stay as they are; their frames follow the new block size.
    const int64_t bytes = doc.FramesToBytes(doc.FrameCount());
    doc.SetFormat(c.channels, c.bits, c.rateHz);
    doc.RecomputeBufferSize();
    doc.SetLength(doc.BytesToFrames(bytes));
    if (!hasSound) doc.SetLastBufferIndex(-1);
    DefaultData& def = doc.Context().defaults;
    def.channels = doc.Format().nChannels;
    def.bits = doc.Format().wBitsPerSample;
    def.rateHz = static_cast<int32_t>(doc.Format().nSamplesPerSec);
    ch.formatSet = true;
  }
  // A relabel moves every real frequency; the marks stay on what they marked.
  doc.Marks().FollowRelabel(oldRateHz, oldExpansion, doc.Format().nSamplesPerSec, info.TimeExpansion());
  doc.SetModifiedFlag(true);
  if (ch.formatSet || ch.rateChanged || ch.expansionChanged)
    doc.UpdateAllViews(nullptr, UpdateHint::SamplesChanged);
  DefaultData& def = doc.Context().defaults;
  def.info = info;
  def.info.SetContents("");
  return ch;
}

}  // namespace nv
