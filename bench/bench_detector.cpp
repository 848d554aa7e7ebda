// Speed of the virtual detector: the whole detector sound of 60 s of
// 384 kHz 16-bit mono (speed factor 10, 4th-order Butterworth low-pass),
// block by block as the playback fills them; and the start of a playback
// (Start plus the first block, and the four blocks queued before the device
// starts) on documents from 1 MiB to 2 GiB of sound, which must cost the same
// for any size. The comparison with a numpy/scipy model of the same
// processing is bench/detector_bench.sh.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "audio/DetectorDocument.h"
#include "audio/DetectorStream.h"
#include "document/CNorvaneDoc.h"
#include "filter/FilterDesign.h"

namespace {

constexpr int64_t kRate = 384000;
constexpr int64_t kFrames = 60 * kRate;

nv::FilterDescription LowPass(int64_t nyquistHz) {
  nv::FilterDescription d;
  d.filterType = nv::FilterType::Butterworth;
  d.bandType = nv::BandType::LowPass;
  d.order = 4;
  d.lowPassHz = 5000;
  nv::DesignFilterQuietly(d, nyquistHz);
  return d;
}

const std::vector<uint8_t>& SixtySeconds() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> b(static_cast<size_t>(kFrames) * 2);
    uint32_t noise = 12345;
    for (int64_t i = 0; i < kFrames; ++i) {
      noise = noise * 1664525u + 1013904223u;
      const double v = 12000.0 * std::sin(0.7 * static_cast<double>(i)) + static_cast<double>(noise >> 20) - 2048.0;
      nv::StoreRaw(&b[static_cast<size_t>(2 * i)], 16, static_cast<int32_t>(v));
    }
    return b;
  }();
  return bytes;
}

nv::DetectorRequest Request(const uint8_t* bytes, int64_t frames) {
  nv::DetectorRequest r;
  r.sound = nv::SampleSource(bytes, frames, 1, 16);
  r.format.SetFormat(1, 16, kRate);
  r.firstFrame = 0;
  r.endFrame = frames;
  r.speedFactor = 10;
  r.blockBytes = nv::ComputeBufferSize(r.format);
  r.frequencyHz = 40000;
  return r;
}

void BM_DetectorSixtySeconds(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = SixtySeconds();
  const nv::FilterDescription f = LowPass(kRate / 2);
  const nv::DetectorRequest r = Request(bytes.data(), kFrames);
  std::vector<uint8_t> block(r.blockBytes);
  for (auto _ : state) {
    nv::DetectorStream d;
    d.Start(r, f);
    while (d.FillBlock(block.data()) > 0) benchmark::DoNotOptimize(block.data());
  }
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(kFrames), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DetectorSixtySeconds)->Unit(benchmark::kMillisecond);

// A document whose work file holds `mib` MiB of sound (a sparse file: its
// pages read as silence), mapped as the playback maps it.
struct SparseDocument {
  nv::DocumentContext documents;
  nv::CNorvaneDoc doc{documents};
  explicit SparseDocument(int64_t mib) {
    doc.SetFormat(1, 16, kRate);
    doc.RecomputeBufferSize();
    doc.WritableWorkFile().Truncate(mib << 20);
    doc.SetLength(doc.BytesToFrames(mib << 20));
  }
};

// Start and the first block (atEnd 0: the first block of the sound; 1: the
// last stretch of the sound), or the four blocks a playback queues before
// the device starts (blocks 4), at speed factor k (one block covers k x
// BufferSize bytes of sound).
void BM_DetectorStart(benchmark::State& state) {
  SparseDocument s(state.range(0));
  const int blocks = static_cast<int>(state.range(2));
  const int k = static_cast<int>(state.range(3));
  const nv::FilterDescription f = LowPass(kRate / 2);
  const int64_t frames = s.doc.FrameCount();
  const int64_t first = state.range(1) ? frames - 4 * k * int64_t{s.doc.BufferSize()} / 2 : 0;
  std::vector<uint8_t> block(s.doc.BufferSize());
  for (auto _ : state) {
    nv::DetectorStream d;
    nv::DetectorSoundMapping map;
    map.Map(s.doc);
    d.Start(nv::MakeDetectorRequest(s.doc, map.Samples(), first, frames, k, 40000), f);
    for (int i = 0; i < blocks; ++i) benchmark::DoNotOptimize(d.FillBlock(block.data()));
  }
}
BENCHMARK(BM_DetectorStart)
    ->ArgNames({"MiB", "atEnd", "blocks", "k"})
    ->Args({1, 0, 1, 10})
    ->Args({64, 0, 1, 10})
    ->Args({2047, 0, 1, 10})
    ->Args({2047, 1, 1, 10})
    ->Args({2047, 0, 4, 10})
    ->Args({2047, 0, 1, 1})
    ->Args({2047, 0, 1, 200})
    ->Unit(benchmark::kMillisecond);

}  // namespace
