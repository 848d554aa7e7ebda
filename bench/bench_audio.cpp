// Playback costs: the time from "&Play sound" to the first block queued at
// the device (for short and long sounds, direct and through the resampler),
// and the work of resampling at speed 1/32 per second of sound heard. The
// device is the simulated one, so the figures are the program's own work.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "audio/PlaybackEngine.h"
#include "audio/pulse/PulseAudioBackend.h"
#include "audio/SimulatedAudioBackend.h"
#include "audio/TaskQueue.h"
#include "base/MessageSink.h"
#include "document/CNorvaneDoc.h"

namespace {

class QuietView : public nv::PlaybackView {
 public:
  void ShowPlaybackStatus(const std::string&) override {}
  void SetPlaybackCursor(int64_t) override {}
  void Beep() override {}
};

// A 44 100 Hz 16-bit mono document of `seconds` of a tone with noise.
void FillTone(nv::CNorvaneDoc& doc, int64_t seconds) {
  doc.SetFormat(1, 16, 44100);
  doc.RecomputeBufferSize();
  const int64_t frames = seconds * 44100;
  std::vector<uint8_t> chunk(44100 * 2);
  uint32_t noise = 1;
  doc.WritableWorkFile().Truncate(0);
  for (int64_t s = 0; s < seconds; ++s) {
    for (int i = 0; i < 44100; ++i) {
      noise = noise * 1664525u + 1013904223u;
      const int v = static_cast<int>(10000 * std::sin(0.3 * i)) + static_cast<int>(noise >> 22) - 512;
      chunk[2 * i] = static_cast<uint8_t>(v);
      chunk[2 * i + 1] = static_cast<uint8_t>(v >> 8);
    }
    doc.WritableWorkFile().WriteAt(s * 88200, chunk.data(), chunk.size());
  }
  doc.SetLength(frames);
}

// Play from the middle of the sound until its blocks are queued; range(0) is
// the sound's length in seconds, range(1) 1 for speed 1/32 through the
// resampler (device at 48 kHz only), 0 for speed 1 straight to the device.
void BM_StartLatency(benchmark::State& state) {
  nv::DocumentContext documents;
  nv::RecordingMessageSink sink;
  nv::SetMessageSink(&sink);
  nv::CNorvaneDoc doc(documents);
  FillTone(doc, state.range(0));
  const bool resample = state.range(1) != 0;
  doc.SetPlaySpeed(resample ? 1.0 / 32 : 1.0);
  nv::TaskQueue queue;
  nv::SimulatedAudioBackend backend(queue);
  if (resample) backend.accepts = [](const nv::WaveFormatEx& f) { return f.nSamplesPerSec == 48000; };
  bool playing = false;
  QuietView view;
  nv::PlaybackEngine engine(doc, backend, playing, view);
  nv::PlaybackRequest request;
  request.cursor = doc.FrameCount() / 2;
  for (auto _ : state) {
    engine.Play(request);
    state.PauseTiming();
    const bool started = engine.Active();
    engine.Abort();
    queue.RunPending();
    state.ResumeTiming();
    if (!started) {
      state.SkipWithError("not started");
      break;
    }
  }
  nv::SetMessageSink(nullptr);
}
BENCHMARK(BM_StartLatency)->Args({10, 0})->Args({3600, 0})->Args({10, 1})->Args({3600, 1})->Unit(benchmark::kMillisecond);

// The same start on the sound server (skipped when none answers): opening a
// stream adds the server's round trips. range(0) 1 for speed 1/32.
void BM_StartLatencyServer(benchmark::State& state) {
  nv::DocumentContext documents;
  nv::RecordingMessageSink sink;
  nv::SetMessageSink(&sink);
  nv::CNorvaneDoc doc(documents);
  FillTone(doc, 600);
  doc.SetPlaySpeed(state.range(0) ? 1.0 / 32 : 1.0);
  nv::TaskQueue queue;
  nv::PulseAudioBackend backend(queue, "norvane-bench");
  if (!backend.Connected()) {
    state.SkipWithError("no sound server");
    nv::SetMessageSink(nullptr);
    return;
  }
  bool playing = false;
  QuietView view;
  nv::PlaybackEngine engine(doc, backend, playing, view);
  nv::PlaybackRequest request;
  request.cursor = doc.FrameCount() / 2;
  for (auto _ : state) {
    engine.Play(request);
    state.PauseTiming();
    const bool started = engine.Active();
    engine.Abort();
    queue.RunPending();
    state.ResumeTiming();
    if (!started) {
      state.SkipWithError("not started");
      break;
    }
  }
  nv::SetMessageSink(nullptr);
}
BENCHMARK(BM_StartLatencyServer)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One block handed back and refilled through the resampler at speed 1/32
// (1378 Hz to 48 kHz): each block is 1/16 s of the sound and 2 s heard.
void BM_Resample1of32(benchmark::State& state) {
  nv::DocumentContext documents;
  nv::RecordingMessageSink sink;
  nv::SetMessageSink(&sink);
  nv::CNorvaneDoc doc(documents);
  FillTone(doc, 600);
  doc.SetPlaySpeed(1.0 / 32);
  nv::TaskQueue queue;
  nv::SimulatedAudioBackend backend(queue);
  backend.accepts = [](const nv::WaveFormatEx& f) { return f.nSamplesPerSec == 48000; };
  bool playing = false;
  QuietView view;
  nv::PlaybackEngine engine(doc, backend, playing, view);
  engine.Play({});
  int64_t blocks = 0;
  for (auto _ : state) {
    if (!engine.Active()) {
      state.PauseTiming();
      queue.RunPending();
      engine.Play({});
      state.ResumeTiming();
    }
    backend.last->Complete(1);
    queue.RunPending();
    ++blocks;
  }
  const double heardSeconds = static_cast<double>(doc.BufferSize()) / 2 / 44100 * 32;
  state.counters["heard_s_per_block"] = heardSeconds;
  // Seconds of work per second heard: the share of one core it keeps busy.
  state.counters["core_fraction"] = benchmark::Counter(
      static_cast<double>(blocks) * heardSeconds, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  engine.Abort();
  nv::SetMessageSink(nullptr);
}
BENCHMARK(BM_Resample1of32)->Unit(benchmark::kMicrosecond);

}  // namespace
