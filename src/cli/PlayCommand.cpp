// norvane-cli play: plays a sound (whole, from a frame, or a range) through
// the sound server with the playback engine of the desktop application,
// printing its status texts on standard output, one per line, and returning
// when the device has closed (status 1 when the device went away meanwhile).
#include <chrono>
#include <cstdio>

#include "CliSupport.h"
#include "DeviceWait.h"
#include "audio/PlaySpeed.h"
#include "audio/PlaybackEngine.h"
#include "audio/pulse/PulseAudioBackend.h"
#include "audio/TaskQueue.h"
#include "document/CNorvaneDoc.h"

namespace nv::cli {
namespace {

class PrintingView : public PlaybackView {
 public:
  void ShowPlaybackStatus(const std::string& text) override {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
  }
  void SetPlaybackCursor(int64_t) override {}
  void Beep() override { beeped = true; }
  bool beeped = false;
};

}  // namespace

int RunPlay(const Args& a, DocumentContext& documents) {
  const char* usage = "usage: norvane-cli play FILE [--speed S] [--from FRAME [--to FRAME]] [--device NAME]";
  if (a.positional.size() != 1) return Fail(usage);
  double speed = 1.0;
  if (a.Has("speed")) {
    auto s = ParsePlaySpeed(a.Get("speed"));
    if (!s) return Fail("Unknown play speed '" + a.Get("speed") + "'; use 1/32, 1/20, 1/16, 1/10, 1/8, 1/4, 1/2, 1, 2 or 4.");
    speed = *s;
  }
  long long from = -1, to = -1;
  if (!ReadIntegerOption(a, "from", "start frame", from)) return 1;
  if (a.Has("to") && !a.Has("from")) return Fail(usage);
  if (!ReadIntegerOption(a, "to", "end frame", to)) return 1;
  if (from < -1 || from > kMaxFrames || to > kMaxFrames) return Fail("Frame numbers must be from 0 to 2147483647.");

  CNorvaneDoc doc(documents);
  if (!OpenSoundArgument(doc, a.positional[0])) return 1;
  doc.SetPlaySpeed(speed);

  TaskQueue queue;
  PulseAudioBackend backend(queue, "norvane-cli");
  bool playing = false;
  PrintingView view;
  PlaybackEngine engine(doc, backend, playing, view);
  engine.SetOutputDevice(a.Get("device"));
  PlaybackRequest request;
  if (to >= 0) {
    request.selectionStart = from;
    request.selectionEnd = to;
  } else if (from >= 0) {
    request.cursor = from;
  }
  engine.Play(request);
  if (view.beeped) return Fail("Nothing to play in that range.");
  // Not started: the message ("No sound to play.", or the device's) is out.
  if (!engine.Active()) return 1;

  // Runs the device's notifications until it closes. A device that hands
  // nothing back for far longer than the sound queued ahead lasts is given up.
  const double blockSeconds = static_cast<double>(doc.BufferSize()) /
                              (static_cast<double>(doc.Format().nAvgBytesPerSec) * speed);
  const auto patience = std::chrono::milliseconds(
      static_cast<long long>(1000 * (10.0 + 2 * TransferBuffers::kCount * blockSeconds)));
  const bool answered = WaitForDeviceEnd(
      queue, {[&] { return engine.Active(); }, [&] { return engine.BlocksPlayed(); }, [&] { engine.Stop(); }}, patience);
  if (!answered) return Fail("The sound device stopped answering.");
  // A device that went away was said by the playback: a failure.
  return engine.EndReason() == PlaybackEnd::DeviceLost ? 1 : 0;
}

}  // namespace nv::cli
