// norvane-cli detector: what the virtual bat detector plays for a range of a
// sound, written as a Standard Wave file at the sound's own rate, produced
// block by block by the same code as the playback; or, with --play, played
// through the sound server by the desktop's detector playback (at any rate:
// through the resampler where the server does not take the sound's).
#include <cstdio>
#include <string>

#include "CliSupport.h"
#include "DeviceWait.h"
#include "audio/DetectorDocument.h"
#include "audio/DetectorPlayback.h"
#include "audio/pulse/PulseAudioBackend.h"
#include "audio/TaskQueue.h"
#include "audio/DetectorSettings.h"
#include "document/CNorvaneDoc.h"
#include "filter/FilterCommand.h"
#include "filter/FilterDesign.h"

namespace nv::cli {
namespace {

const char* kUsage =
    "usage: norvane-cli detector IN (OUT | --play [--device NAME]) --freq HZ [--speed K] [--from FRAME --to FRAME] "
    "[--type butterworth|chebyshev|elliptic|user --band BAND --order N [--fc HZ | --fl HZ --fu HZ] "
    "[--ripple TENTHS_DB] [--stopband DB] [--file FILTER.txt]]";

// The detector's filter when none is given: a 4th-order Butterworth
// low-pass at 5 000 Hz of real frequency.
FilterDescription DefaultFilter() {
  FilterDescription d;
  d.filterType = FilterType::Butterworth;
  d.bandType = BandType::LowPass;
  d.order = 4;
  d.lowPassHz = 5000;
  return d;
}

bool HasFilterOptions(const Args& a) {
  for (const char* name : {"type-name", "band", "order", "fc", "fl", "fu", "ripple", "stopband", "file"})
    if (a.Has(name)) return true;
  return false;
}

// Prints the playback's status texts, one a line.
class PrintingDetectorView : public DetectorPlaybackView {
 public:
  void ShowDetectorPlaybackStatus(const std::string& text) override {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
  }
  void MoveDetectorLine(int64_t) override {}
  void ShowDetectorLineStatus() override {}
  void RefuseDetectorPlayback() override { refused = true; }
  bool refused = false;
};

// Plays [from, to) through the detector until the device has closed.
int PlayThroughDetector(CNorvaneDoc& doc, const FilterDescription& filter, int64_t from, int64_t to, int speed,
                        int32_t hz, const std::string& device) {
  TaskQueue queue;
  PulseAudioBackend backend(queue, "norvane-cli");
  bool playing = false;
  PrintingDetectorView view;
  DetectorPlayback player(doc, backend, [&] { return playing; }, [&](bool p) { playing = p; }, view);
  player.SetOutputDevice(device);
  if (!player.Start(from, to, "Playing", filter, speed, hz)) {
    if (view.refused) return Fail("The range holds no sound to play.");
    return 1;
  }
  // A device that hands nothing back for ten seconds is given up.
  const bool answered = WaitForDeviceEnd(
      queue, {[&] { return player.Active(); }, [&] { return player.BlocksPlayed(); }, [&] { player.Stop(); }},
      std::chrono::seconds(10));
  if (!answered) return Fail("The sound device stopped answering.");
  // A device that went away was said by the playback: a failure.
  return player.Engine().EndReason() == PlaybackEnd::DeviceLost ? 1 : 0;
}

}  // namespace

int RunDetector(const Args& a, DocumentContext& documents) {
  const bool play = a.Has("play");
  if (a.positional.size() != (play ? 1u : 2u) || !a.Has("freq")) return Fail(kUsage);
  if (a.Has("type-code")) return Fail("--type names the detector's filter type (butterworth, chebyshev, elliptic or user).");
  auto freq = ParseInteger(a.Get("freq"), "--freq");
  if (!freq) return 1;
  int speed = DetectorSettings::kDefaultSpeedFactor;
  if (a.Has("speed")) {
    std::string message;
    if (!ParseSpeedFactor(a.Get("speed"), speed, message)) return Fail(message);
  }
  long long from = 0, to = -1;
  if (!ReadIntegerOption(a, "from", "start frame", from)) return 1;
  if (!ReadIntegerOption(a, "to", "end frame", to)) return 1;
  FilterDescription filter = DefaultFilter();
  if (HasFilterOptions(a)) {
    filter = FilterDescription{};
    if (!ReadFilterOptions(a, filter)) return 1;
  }

  CNorvaneDoc doc(documents);
  if (!OpenSoundArgument(doc, a.positional[0])) return 1;
  if (doc.FrameCount() <= 0) {
    ShowMessage("No sound to play.");
    return 1;
  }
  const int64_t nyquist = DocumentNyquistHz(doc);
  if (*freq < 1 || *freq > nyquist)
    return Fail("--freq must be a frequency from 1 Hz to the Nyquist frequency of the sound, " +
                std::to_string(nyquist) + " Hz.");
  if (!DesignFilter(filter, nyquist)) return 1;
  if (to < 0) to = doc.FrameCount();
  if (play) return PlayThroughDetector(doc, filter, from, to, speed, static_cast<int32_t>(*freq), a.Get("device"));
  switch (WriteDetectorSound(doc, filter, from, to, speed, static_cast<int32_t>(*freq), a.positional[1])) {
    case DetectorWriteResult::Written: return 0;
    case DetectorWriteResult::EmptyRange: return Fail("The range holds no sound to play.");
    case DetectorWriteResult::Failed: break;
  }
  return 1;
}

}  // namespace nv::cli
