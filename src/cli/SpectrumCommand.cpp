// norvane-cli spectrum: the text export of the power spectrum that a power
// window with the given settings shows for a range of a sound file.
#include <cstdio>
#include <string>

#include "CliSupport.h"
#include "analysis/PowerLayout.h"
#include "analysis/PowerWindowModel.h"
#include "document/CNorvaneDoc.h"
#include "dsp/WindowTable.h"

namespace nv::cli {

int RunSpectrum(const Args& a, DocumentContext& documents) {
  const char* usage =
      "usage: norvane-cli spectrum FILE [--from FRAME --to FRAME] [--channel 1|2] [--fft N]\n"
      "       [--window rectangular|hanning|parzen|hamming|cosine] [--linear]";
  if (a.positional.size() != 1) return Fail(usage);
  PowerSettings s;
  s.fftSize = 1024;
  s.window = StoredNumber(WindowCode::Hanning);
  s.logScale = a.Has("linear") ? 0 : 1;
  if (a.Has("fft")) {
    auto n = ParseInteger(a.Get("fft"), "FFT size");
    if (!n) return 1;
    if (*n < 16 || *n > 16384 || (*n & (*n - 1)) != 0)
      return Fail("The FFT size must be a power of two from 16 to 16384.");
    s.fftSize = static_cast<int32_t>(*n);
  }
  if (a.Has("window")) {
    const std::optional<WindowCode> w = WindowOption(a.Get("window"));
    if (!w) return Fail("Unknown window '" + a.Get("window") + "'.\n" + usage);
    s.window = StoredNumber(*w);
  }
  CNorvaneDoc doc(documents);
  if (!OpenSoundArgument(doc, a.positional[0])) return 1;
  const int channels = doc.Format().nChannels;
  if (a.Has("channel")) {
    auto c = ParseInteger(a.Get("channel"), "channel");
    if (!c) return 1;
    if (*c != 1 && *c != 2) return Fail("The channel must be 1 (left) or 2 (right).");
    if (*c == 2 && channels < 2) return Fail("The sound has only one channel.");
    s.leftChannel = *c == 1 ? 1 : 0;
    s.rightChannel = *c == 2 ? 1 : 0;
  }
  const int64_t frames = doc.FrameCount();
  if (frames <= 0) return Fail("The sound is empty.");
  int64_t from = 0, to = frames;
  if (!ReadIntegerOption(a, "from", "start frame", from)) return 1;
  if (a.Has("from") && !a.Has("to")) to = from;  // a start alone: one frame from there
  if (!ReadIntegerOption(a, "to", "end frame", to)) return 1;
  if (from < 0 || from >= frames || to < from || to > frames)
    return Fail("The range must lie within the sound's " + std::to_string(frames) + " frames, start before end.");

  PowerWindowModel model(s, from, to);
  PowerSoundFormat format{channels, doc.Format().wBitsPerSample,
                          static_cast<int64_t>(doc.Format().nSamplesPerSec), doc.Info().TimeExpansion()};
  model.SetUp(format, MakePowerLayout(7800, 3300, 15));
  const SampleSource samples = doc.Samples();
  if (samples.Empty()) return 1;
  model.Compute(samples);
  const std::string text = model.TextExport();
  std::fwrite(text.data(), 1, text.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace nv::cli
