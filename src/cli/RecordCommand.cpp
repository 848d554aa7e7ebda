// norvane-cli record: records a number of seconds (whole blocks) from the
// input device through the recorder of the desktop application and writes
// them as a type-5 file; progress goes to standard error. Ctrl-C ends the
// recording early and keeps what was recorded. Sound the input device lost
// (overruns) is said, and the command then fails.
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>

#include "CliSupport.h"
#include "DeviceWait.h"
#include "audio/pulse/PulseAudioBackend.h"
#include "audio/Recorder.h"
#include "audio/TaskQueue.h"
#include "document/CNorvaneDoc.h"
#include "document/SoundFormatEdit.h"
#include "fileformats/FileType.h"

namespace nv::cli {
namespace {

std::atomic<bool> g_interrupted{false};

void OnInterrupt(int) { g_interrupted = true; }

class ProgressView : public RecorderView {
 public:
  explicit ProgressView(int64_t blocksPerSecond) : every_(blocksPerSecond > 0 ? blocksPerSecond : 1) {}
  // The status follows each block written: printed once a second.
  void ShowRecordStatus(const std::string& text) override {
    last_ = text;
    if (blocks > printed_ && blocks % every_ == 0) {
      printed_ = blocks;
      Print();
    }
  }
  void BlockRecorded(int64_t number, const uint8_t*, uint32_t) override { blocks = number + 1; }
  void RecordingClosed() override {
    closed = true;
    Print();
  }
  int64_t blocks = 0;
  bool closed = false;

 private:
  void Print() {
    if (last_.empty()) return;
    std::fprintf(stderr, "%s\n", last_.c_str());
    std::fflush(stderr);
  }
  int64_t every_;
  int64_t printed_ = 0;
  std::string last_;
};

}  // namespace

int RunRecord(const Args& a, DocumentContext& documents) {
  const char* usage =
      "usage: norvane-cli record OUT --seconds S [--rate HZ] [--channels 1|2] [--bits 8|16] [--device NAME] "
      "[--time-expansion FACTOR]";
  if (a.positional.size() != 1 || !a.Has("seconds")) return Fail(usage);
  auto seconds = ParseNumber(a.Get("seconds"), "number of seconds");
  if (!seconds) return 1;
  if (!(*seconds > 0) || *seconds > 86400) return Fail("The number of seconds must be above 0 and at most 86400.");
  long long rate = 44100, channels = 1, bits = 16;
  if (!ReadIntegerOption(a, "rate", "sampling rate", rate)) return 1;
  if (rate < 1000 || rate > 384000) return Fail("The sampling rate must be from 1000 to 384000 Hz.");
  if (!ReadIntegerOption(a, "channels", "number of channels", channels)) return 1;
  if (channels != 1 && channels != 2) return Fail("The number of channels must be 1 or 2.");
  if (!ReadIntegerOption(a, "bits", "bits per sample", bits)) return 1;
  if (bits != 8 && bits != 16) return Fail("The bits per sample must be 8 or 16.");
  int32_t expansion = 1000;
  if (a.Has("time-expansion")) {
    auto v = ParseNumber(a.Get("time-expansion"), "time-expansion factor");
    if (!v) return 1;
    if (!(*v >= 0.01 && *v <= 100)) return Fail("Time expansion out of range!");
    expansion = TimeExpansionThousandths(*v);
  }

  CNorvaneDoc doc(documents);
  if (!doc.IsValid()) return 1;
  doc.SetFormat(static_cast<int>(channels), static_cast<int>(bits), rate);
  doc.Info().SetTimeExpansion(expansion);
  doc.RecomputeBufferSize();
  const double bytesPerSecond = static_cast<double>(doc.Format().nAvgBytesPerSec);
  const auto blocks = static_cast<int64_t>(std::ceil(*seconds * bytesPerSecond / doc.BufferSize() - 1e-9));

  TaskQueue queue;
  PulseAudioBackend backend(queue, "norvane-cli");
  bool playing = false;
  ProgressView view(static_cast<int64_t>(std::lround(bytesPerSecond / doc.BufferSize())));
  Recorder recorder(doc, backend, [&] { return playing; }, [&](bool p) { playing = p; }, view);
  recorder.SetInputDevice(a.Get("device"));
  recorder.SetBlockLimit(blocks < 1 ? 1 : blocks);
  if (!recorder.Start()) return 1;  // the message is out

  auto old = std::signal(SIGINT, OnInterrupt);
  // Runs the device's notifications until it closes; a device that hands
  // nothing back for 10 s is given up.
  const bool answered = WaitForDeviceEnd(queue,
                                         {[&] { return recorder.Active(); }, [&] { return recorder.BlocksReceived(); },
                                          [&] { recorder.Stop(); }, [] { return g_interrupted.load(); }},
                                         std::chrono::seconds(10));
  const bool gaveUp = !answered;
  if (recorder.Active()) recorder.Abort();
  std::signal(SIGINT, old);
  if (gaveUp) ShowMessage("The sound device stopped answering.");
  if (!doc.Save({a.positional[0], FileType::NorvaneWave})) return 1;
  std::fprintf(stderr, "%lld frames (%lld blocks of %u bytes) written to %s\n",
               static_cast<long long>(doc.FrameCount()), static_cast<long long>(view.blocks), doc.BufferSize(),
               a.positional[0].c_str());
  // Sound lost to overruns was said by the recorder; the file has gaps.
  return gaveUp || recorder.EndReason() != RecordEnd::None || view.blocks < blocks || recorder.Overruns() > 0 ? 1
                                                                                                             : 0;
}

}  // namespace nv::cli
