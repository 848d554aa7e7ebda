// The detector's sound block by block: against the plain reference model,
// the block plan (how much sound one block covers, where the line moves),
// the oscillator's frequency in recorded Hz, the level, limiting, 8-bit and
// stereo sound, retuning between blocks, what the filter sum takes from
// before the range and the file, and the refusals.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "TestSupport.h"
#include "audio/DetectorStream.h"
#include "core/audio/DetectorReference.h"
#include "filter/FilterDesign.h"

namespace nv {
namespace {

using test::ReferenceInput;
using test::ReferenceOutput;

// A sound of `frames` frames: a tone plus noise on the left channel, other
// noise on the right, as raw values and as stored bytes.
struct TestSound {
  int channels = 1;
  int bits = 16;
  int64_t rateHz = 44100;
  std::vector<int32_t> left, right;
  std::vector<uint8_t> bytes;

  TestSound(int64_t frames, int ch, int b, int64_t rate, double toneHz, double amplitude, unsigned seed = 1)
      : channels(ch), bits(b), rateHz(rate) {
    std::mt19937 gen(seed);
    const double full = bits == 8 ? 127.0 : 32767.0;
    std::uniform_real_distribution<double> noise(-0.1 * amplitude, 0.1 * amplitude);
    for (int64_t i = 0; i < frames; ++i) {
      const double v = amplitude * std::sin(2 * std::numbers::pi * toneHz * static_cast<double>(i) / static_cast<double>(rate)) + noise(gen);
      left.push_back(static_cast<int32_t>(std::lround(std::clamp(v, -full, full))));
      right.push_back(static_cast<int32_t>(std::lround(std::clamp(noise(gen) * 5, -full, full))));
    }
    bytes.resize(static_cast<size_t>(frames * channels * bits / 8));
    uint8_t* p = bytes.data();
    for (int64_t i = 0; i < frames; ++i) {
      for (int c = 0; c < channels; ++c) {
        StoreRaw(p, bits, c == 0 ? left[static_cast<size_t>(i)] : right[static_cast<size_t>(i)]);
        p += bits / 8;
      }
    }
  }
  WaveFormatEx Format() const {
    WaveFormatEx f;
    f.SetFormat(channels, bits, rateHz);
    return f;
  }
  SampleSource Source() const { return SampleSource(bytes.data(), static_cast<int64_t>(left.size()), channels, bits); }
};

FilterDescription Designed(int band, int order, int edgeHz, int64_t nyquistHz, int edge2 = 0) {
  FilterDescription d;
  d.filterType = FilterType::Butterworth;
  d.bandType = band;
  d.order = order;
  if (band == BandType::LowPass) d.lowPassHz = edgeHz;
  if (band == BandType::HighPass) d.highPassHz = edgeHz;
  if (band == BandType::BandPass) {
    d.bandPassLowHz = edgeHz;
    d.bandPassHighHz = edge2;
  }
  EXPECT_TRUE(DesignFilter(d, nyquistHz));
  return d;
}

// A user-defined filter with the given b (a = 1, 0, ...).
FilterDescription Fir(std::vector<double> b) {
  FilterDescription d;
  d.filterType = FilterType::UserDefined;
  d.order = static_cast<int>(b.size()) - 1;
  d.a[0] = 1.0;
  for (size_t i = 0; i < b.size(); ++i) d.b[i] = b[i];
  return d;
}

// Reads the played values of the left slots of a block.
std::vector<int32_t> LeftValues(const std::vector<uint8_t>& block, uint32_t bytes, int channels, int bits) {
  std::vector<int32_t> v;
  const SampleSource s(block.data(), bytes / (channels * bits / 8), channels, bits);
  for (int64_t i = 0; i < s.Frames(); ++i) v.push_back(s.Raw(i, 0));
  return v;
}

struct Played {
  std::vector<int32_t> left;
  std::vector<uint32_t> blockBytes;
};

// Runs `stream` for `blocks` blocks (or until it gives nothing), calling
// `between(n)` before block n (from 0).
template <class Between>
Played Play(DetectorStream& stream, int channels, int bits, int64_t blocks, Between between) {
  Played p;
  std::vector<uint8_t> block(stream.BlockBytes());
  for (int64_t n = 0; n < blocks; ++n) {
    between(n);
    const uint32_t got = stream.FillBlock(block.data());
    if (got == 0) break;
    p.blockBytes.push_back(got);
    auto v = LeftValues(block, got, channels, bits);
    p.left.insert(p.left.end(), v.begin(), v.end());
  }
  return p;
}
Played Play(DetectorStream& stream, int channels, int bits, int64_t blocks) {
  return Play(stream, channels, bits, blocks, [](int64_t) {});
}

// Values equal to the reference; a value may differ by one where it lies
// within rounding of a half (a handful at most).
void ExpectMatchesReference(const std::vector<int32_t>& got, const std::vector<int32_t>& want) {
  ASSERT_EQ(got.size(), want.size());
  size_t off = 0;
  for (size_t i = 0; i < got.size(); ++i) {
    if (got[i] == want[i]) continue;
    ++off;
    EXPECT_LE(std::abs(got[i] - want[i]), 1) << "output " << i;
  }
  EXPECT_LE(off, got.size() / 2000 + 1) << "outputs off by one step";
}

DetectorRequest RequestFor(const TestSound& s, int k, int64_t first, int64_t end, int32_t realHz,
                           int32_t timeExpansion = 1000) {
  DetectorRequest r;
  r.sound = s.Source();
  r.format = s.Format();
  r.timeExpansion = timeExpansion;
  r.firstFrame = first;
  r.endFrame = end;
  r.speedFactor = k;
  r.blockBytes = ComputeBufferSize(r.format);
  r.frequencyHz = realHz;
  return r;
}

TEST(DetectorStream, PlaysAtRealSpeedWithTimeExpansionTenAndSpeedFactorTen) {
  // 44 100 Hz, time expansion 10, speed factor 10: each output block of
  // BufferSize bytes (5504 for 16-bit mono) comes from ten blocks of sound,
  // so one second of output holds ten seconds of recording, one real second.
  test::ScopedSink sink;
  TestSound s(44100 * 12, 1, 16, 44100, 3000, 5000);
  DetectorRequest r = RequestFor(s, 10, 0, 44100 * 12, 40000, 10000);
  ASSERT_EQ(r.blockBytes, 5504u);
  DetectorStream d;
  ASSERT_EQ(d.Start(r, Designed(BandType::LowPass, 4, 5000, 220500)), DetectorStartResult::Started);
  EXPECT_EQ(d.InputFramesPerBlock(), 10 * 5504 / 2);
  std::vector<uint8_t> block(d.BlockBytes());
  int64_t outputBytes = 0;
  while (uint32_t got = d.FillBlock(block.data())) outputBytes += got;
  // 529 200 frames of sound give 52 920 output frames: 1.2 s at 44 100 Hz,
  // the 1.2 real seconds of the recording.
  EXPECT_EQ(outputBytes, 52920 * 2);
  EXPECT_EQ(d.PositionAfter(1), 27520);
  EXPECT_EQ(d.PositionAfter(3), 3 * 27520);
  EXPECT_TRUE(sink.texts().empty());
}

TEST(DetectorStream, OscillatorRunsInRecordedHertz) {
  // 40 000 Hz real on a tenfold time-expanded sound is a 4 000 Hz oscillator.
  EXPECT_EQ(OscillatorFrequencyHz(40000, 10000), 4000);
  EXPECT_EQ(OscillatorFrequencyHz(40000, 1000), 40000);
  EXPECT_EQ(OscillatorFrequencyHz(45999, 10000), 4599);  // integer division
  EXPECT_EQ(OscillatorFrequencyHz(40000, 0), 40000);     // no factor: none
  TestSound s(50000, 1, 16, 44100, 3000, 5000);
  DetectorStream d;
  ASSERT_EQ(d.Start(RequestFor(s, 10, 0, 50000, 40000, 10000), Fir({1.0})), DetectorStartResult::Started);
  EXPECT_EQ(d.OscillatorHz(), 4000);
  // b = (1, 0) passes the mixed input: twice x[j] sin(j x 4000 x 6.283185526 / 44100) is played.
  DetectorStream e;
  ASSERT_EQ(e.Start(RequestFor(s, 1, 0, 50000, 40000, 10000), Fir({1.0, 0.0})), DetectorStartResult::Started);
  Played p = Play(e, 1, 16, 1);
  const double theta = 4000 * 6.283185526 / 44100;
  for (size_t j = 0; j < 500; ++j)
    EXPECT_EQ(p.left[j], std::lround(2 * s.left[j] * std::sin(theta * static_cast<double>(j)))) << j;
}

TEST(DetectorStream, LevelIsTwiceTheFilterOutputWhateverTheOrder) {
  // The mixing halves a call; twice the filter's output brings it back to
  // its recorded level, for every order.
  EXPECT_EQ(kDetectorGain, 2.0);
  EXPECT_EQ(DetectorOutputValue(1000.2, 16), 2000);
  EXPECT_EQ(DetectorOutputValue(-1000.3, 16), -2001);
  EXPECT_EQ(DetectorOutputValue(30.2, 8), 60);
  // Through the stream: b = (1, 0, ..., 0) passes the mixed input; the
  // played value is twice the mixed input, rounded.
  TestSound s(20000, 1, 16, 44100, 1000, 2000);
  for (int order : {2, 4, 8}) {
    std::vector<double> b(static_cast<size_t>(order + 1), 0.0);
    b[0] = 1.0;
    DetectorStream d;
    ASSERT_EQ(d.Start(RequestFor(s, 1, 0, 20000, 5000), Fir(b)), DetectorStartResult::Started);
    Played p = Play(d, 1, 16, 1);
    const double theta = 5000 * 6.283185526 / 44100;
    for (size_t j = 0; j < 300; ++j)
      EXPECT_EQ(p.left[j], std::lround(2 * s.left[j] * std::sin(theta * static_cast<double>(j))))
          << "order " << order << " frame " << j;
  }
}

TEST(DetectorStream, MatchesTheReferenceModel) {
  struct Case {
    const char* name;
    int channels, bits, k, order;
    int64_t frames, first, end;
    int band;
  };
  const Case cases[] = {
      {"mono16 k10 order4 from 0", 1, 16, 10, 4, 200000, 0, 200000, BandType::LowPass},
      {"mono16 k10 order4 mid-file", 1, 16, 10, 4, 200000, 33333, 150000, BandType::LowPass},
      {"mono16 k1 order2", 1, 16, 1, 2, 30000, 1000, 30000, BandType::LowPass},
      {"mono16 k3 order8", 1, 16, 3, 8, 60000, 7, 60000, BandType::LowPass},
      {"mono16 k7 order6 high-pass", 1, 16, 7, 6, 80000, 2, 80000, BandType::HighPass},
      {"mono16 k5 band-pass order 8", 1, 16, 5, 8, 80000, 100, 80000, BandType::BandPass},
      {"stereo16 k4 order4", 2, 16, 4, 4, 90000, 500, 90000, BandType::LowPass},
      {"mono8 k10 order4", 1, 8, 10, 4, 90000, 0, 90000, BandType::LowPass},
      {"stereo8 k2 order2", 2, 8, 2, 2, 40000, 3, 40000, BandType::LowPass},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::ScopedSink sink;
    const double amplitude = c.bits == 8 ? 100 : 12000;
    TestSound s(c.frames, c.channels, c.bits, 96000, 21000, amplitude, 7);
    const FilterDescription f = Designed(c.band, c.order, c.band == BandType::HighPass ? 20000 : 6000, 48000,
                                         c.band == BandType::BandPass ? 12000 : 0);
    DetectorRequest r = RequestFor(s, c.k, c.first, c.end, 18000);
    DetectorStream d;
    ASSERT_EQ(d.Start(r, f), DetectorStartResult::Started);
    Played p = Play(d, c.channels, c.bits, 1000);
    ReferenceInput in;
    in.left = s.left;
    in.rateHz = 96000;
    in.first = c.first;
    in.k = c.k;
    in.bits = c.bits;
    in.framesPerBlock = d.InputFramesPerBlock();
    in.blocks = static_cast<int64_t>(p.blockBytes.size());
    in.hzFromBlock[0] = 18000;
    ExpectMatchesReference(p.left, ReferenceOutput(in, f));
    // The range's end lies in the last block, which is played to its end.
    EXPECT_GE(c.first + in.blocks * in.framesPerBlock, c.end);
    EXPECT_LT(c.first + (in.blocks - 1) * in.framesPerBlock, c.end);
    EXPECT_TRUE(sink.texts().empty());
  }
}

TEST(DetectorStream, RandomRequestsMatchTheReference) {
  // Formats, rates, ranges (also outside the sound), speed factors, filters
  // and retunings drawn at random; blocks and values against the model.
  std::mt19937 gen(2024);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen); };
  const int rates[] = {8000, 11025, 22050, 44100, 96000};
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    test::ScopedSink sink;
    const int channels = pick(1, 2), bits = pick(0, 1) ? 16 : 8;
    const int rate = rates[pick(0, 4)];
    const int64_t frames = pick(1, 30000);
    TestSound s(frames, channels, bits, rate, pick(100, rate / 2 - 1), bits == 8 ? 90 : 15000,
                static_cast<unsigned>(round));
    FilterDescription f;
    if (pick(0, 2) == 0) {
      f = Fir({0.2, -0.1, 0.3});
      f.order = pick(2, 4);
      f.a[1] = -0.4;
      f.a[2] = 0.05;
    } else {
      f = Designed(BandType::LowPass, 2 * pick(1, 4), pick(rate / 40, rate / 3), rate / 2);
    }
    const int k = pick(1, 30);
    const int64_t first = pick(-10, static_cast<int>(frames) + 10), end = pick(-10, static_cast<int>(frames) + 10);
    const int32_t hz0 = pick(1, rate / 2);
    DetectorRequest r = RequestFor(s, k, first, end, hz0);
    DetectorStream d;
    const DetectorStartResult started = d.Start(r, f);
    const int64_t lo = std::max<int64_t>(std::min(first, end), 0), hi = std::min<int64_t>(std::max(first, end), frames);
    if (lo >= frames || lo >= hi) {
      EXPECT_EQ(started, DetectorStartResult::EmptyRange);
      continue;
    }
    ASSERT_EQ(started, DetectorStartResult::Started);
    EXPECT_EQ(d.FirstFrame(), lo);
    EXPECT_EQ(d.EndFrame(), hi);
    ReferenceInput in;
    in.left = s.left;
    in.rateHz = rate;
    in.first = lo;
    in.k = k;
    in.bits = bits;
    in.framesPerBlock = d.InputFramesPerBlock();
    in.hzFromBlock[0] = hz0;
    Played p = Play(d, channels, bits, 100000, [&](int64_t n) {
      if (n > 0 && pick(0, 3) == 0) {
        const int32_t hz = pick(1, rate / 2);
        d.SetFrequencyHz(hz);
        in.hzFromBlock[n] = hz;
      }
    });
    in.blocks = static_cast<int64_t>(p.blockBytes.size());
    // Whole blocks until the range's end lies in one; a short one only at the sound's end.
    EXPECT_EQ(in.blocks, (hi - lo + in.framesPerBlock - 1) / in.framesPerBlock);
    for (size_t b = 0; b + 1 < p.blockBytes.size(); ++b) EXPECT_EQ(p.blockBytes[b], d.BlockBytes());
    ExpectMatchesReference(p.left, ReferenceOutput(in, f));
    EXPECT_TRUE(sink.texts().empty());
  }
}

TEST(DetectorStream, OrdersAboveEightUseTheGeneralLoop) {
  TestSound s(40000, 1, 16, 44100, 9000, 8000, 3);
  FilterDescription f = Fir({0.1, -0.2, 0.3, 0.05, 0.4, -0.1, 0.2, 0.1, -0.3, 0.25, 0.1, 0.05, 0.02});
  f.a[1] = -0.5;
  f.a[2] = 0.1;
  f.a[12] = 0.01;
  DetectorStream d;
  ASSERT_EQ(d.Start(RequestFor(s, 3, 100, 40000, 7000), f), DetectorStartResult::Started);
  Played p = Play(d, 1, 16, 100);
  ReferenceInput in;
  in.left = s.left;
  in.first = 100;
  in.k = 3;
  in.framesPerBlock = d.InputFramesPerBlock();
  in.blocks = static_cast<int64_t>(p.blockBytes.size());
  in.hzFromBlock[0] = 7000;
  ExpectMatchesReference(p.left, ReferenceOutput(in, f));
}

TEST(DetectorStream, RetuningTakesEffectWithTheNextBlockWithoutAJump) {
  TestSound s(200000, 1, 16, 44100, 5000, 10000, 5);
  const FilterDescription f = Designed(BandType::LowPass, 4, 2000, 22050);
  DetectorStream d;
  ASSERT_EQ(d.Start(RequestFor(s, 2, 0, 200000, 4000), f), DetectorStartResult::Started);
  std::vector<int32_t> hzSeen;
  Played p = Play(d, 1, 16, 1000, [&](int64_t n) {
    if (n == 2) d.SetFrequencyHz(4500);
    if (n == 5) d.SetFrequencyHz(3900);
    if (n > 0) hzSeen.push_back(d.OscillatorHz());
  });
  // The oscillator of blocks 1, 2 (the one filled before the change), then the new ones.
  ASSERT_GE(hzSeen.size(), 6u);
  EXPECT_EQ(hzSeen[0], 4000);
  EXPECT_EQ(hzSeen[1], 4000);
  EXPECT_EQ(hzSeen[2], 4500);
  EXPECT_EQ(hzSeen[5], 3900);
  ReferenceInput in;
  in.left = s.left;
  in.k = 2;
  in.framesPerBlock = d.InputFramesPerBlock();
  in.blocks = static_cast<int64_t>(p.blockBytes.size());
  in.hzFromBlock = {{0, 4000}, {2, 4500}, {5, 3900}};
  ExpectMatchesReference(p.left, ReferenceOutput(in, f));
}

TEST(DetectorStream, EachEarlierSampleIsMixedWithItsOwnPhase) {
  // b = (0, 1): the output is the mixed input of the frame before, x[j - 1]
  // sin(angle[j - 1]); the oscillator value belongs to the earlier frame.
  TestSound s(5000, 1, 16, 44100, 700, 20000, 9);
  DetectorStream d;
  ASSERT_EQ(d.Start(RequestFor(s, 1, 1000, 5000, 6000), Fir({0.0, 1.0})), DetectorStartResult::Started);
  Played p = Play(d, 1, 16, 1);
  const double theta = 6000 * 6.283185526 / 44100;
  for (int64_t i = 0; i < 2000; ++i) {
    const int64_t j = 1000 + i;
    const double want = s.left[static_cast<size_t>(j - 1)] * std::sin(theta * static_cast<double>(i - 1));
    EXPECT_EQ(p.left[static_cast<size_t>(i)], test::ReferenceLevel(want, -32768, 32767)) << i;
  }
  // In particular the first output comes from the frame before the range,
  // with the angle one step before the range's 0.
  EXPECT_NE(p.left[0], 0);
}

TEST(DetectorStream, FramesBeforeTheFileStartDropOutOfTheSum) {
  // b = (0, 0, 1): two frames back. From the file's start the first two
  // outputs have nothing to take; from frame 1 the first output has nothing
  // and the second takes frame 0.
  TestSound s(3000, 1, 16, 44100, 700, 20000, 11);
  const double theta = 6000 * 6.283185526 / 44100;
  {
    DetectorStream d;
    ASSERT_EQ(d.Start(RequestFor(s, 1, 0, 3000, 6000), Fir({0.0, 0.0, 1.0})), DetectorStartResult::Started);
    Played p = Play(d, 1, 16, 1);
    EXPECT_EQ(p.left[0], 0);
    EXPECT_EQ(p.left[1], 0);
    EXPECT_EQ(p.left[2], test::ReferenceLevel(s.left[0] * std::sin(0.0), -32768, 32767));
    EXPECT_EQ(p.left[5], test::ReferenceLevel(s.left[3] * std::sin(3 * theta), -32768, 32767));
  }
  {
    DetectorStream d;
    ASSERT_EQ(d.Start(RequestFor(s, 1, 1, 3000, 6000), Fir({0.0, 0.0, 1.0})), DetectorStartResult::Started);
    Played p = Play(d, 1, 16, 1);
    EXPECT_EQ(p.left[0], 0);
    EXPECT_EQ(p.left[1], test::ReferenceLevel(s.left[0] * std::sin(-theta), -32768, 32767));
    EXPECT_NE(p.left[1], 0);
  }
}

TEST(DetectorStream, OutputIsLimitedAndStoredInTheSoundsFormat) {
  // A filter with a large gain drives the output far beyond full scale.
  const FilterDescription f = Fir({40.0, 0.0, 0.0, 0.0});
  for (int bits : {8, 16}) {
    SCOPED_TRACE(bits);
    TestSound s(20000, 2, bits, 44100, 200, bits == 8 ? 120 : 30000, 13);
    DetectorStream d;
    ASSERT_EQ(d.Start(RequestFor(s, 1, 0, 20000, 11025), f), DetectorStartResult::Started);
    std::vector<uint8_t> block(d.BlockBytes());
    const uint32_t got = d.FillBlock(block.data());
    ASSERT_EQ(got, d.BlockBytes());
    const SampleSource out(block.data(), got / (2 * bits / 8), 2, bits);
    int32_t lo = 0, hi = 0;
    bool sawMax = false, sawMin = false;
    for (int64_t i = 0; i < out.Frames(); ++i) {
      const int32_t v = out.Raw(i, 0);
      EXPECT_EQ(out.Raw(i, 1), v) << "the right channel carries the left";
      lo = std::min(lo, v);
      hi = std::max(hi, v);
      sawMax |= v == (bits == 8 ? 127 : 32767);
      sawMin |= v == (bits == 8 ? -128 : -32768);
    }
    EXPECT_TRUE(sawMax);
    EXPECT_TRUE(sawMin);
  }
}

TEST(DetectorStream, ShortRangesAndTheEndOfTheSound) {
  TestSound s(100000, 1, 16, 44100, 2000, 8000, 17);
  const FilterDescription f = Designed(BandType::LowPass, 4, 3000, 22050);
  {
    // A selection shorter than one block of k x BufferSize still plays: its
    // block, to the block's end.
    DetectorStream d;
    ASSERT_EQ(d.Start(RequestFor(s, 10, 5000, 6000, 4000), f), DetectorStartResult::Started);
    std::vector<uint8_t> block(d.BlockBytes());
    EXPECT_EQ(d.FillBlock(block.data()), d.BlockBytes());
    EXPECT_TRUE(d.Exhausted());
    EXPECT_EQ(d.FillBlock(block.data()), 0u);
    EXPECT_EQ(d.BlocksRead(), 2);
  }
  {
    // The last block ends with the sound: 100 000 - 90 000 frames left, one
    // output frame for every tenth of them.
    DetectorStream d;
    ASSERT_EQ(d.Start(RequestFor(s, 10, 90000, 100000, 4000), f), DetectorStartResult::Started);
    std::vector<uint8_t> block(d.BlockBytes());
    EXPECT_EQ(d.FillBlock(block.data()), 1000u * 2);
    EXPECT_EQ(d.FillBlock(block.data()), 0u);
  }
  {
    // 10 001 frames from the range start: 1 001 output frames (frames 0, 10, ..., 10 000).
    DetectorStream d;
    ASSERT_EQ(d.Start(RequestFor(s, 10, 89999, 100000, 4000), f), DetectorStartResult::Started);
    std::vector<uint8_t> block(d.BlockBytes());
    EXPECT_EQ(d.FillBlock(block.data()), 1001u * 2);
  }
  {
    // Reversed bounds are ordered, an end past the sound is clamped.
    DetectorStream d;
    ASSERT_EQ(d.Start(RequestFor(s, 10, 200000, 95000, 4000), f), DetectorStartResult::Started);
    EXPECT_EQ(d.FirstFrame(), 95000);
    EXPECT_EQ(d.EndFrame(), 100000);
  }
  // Nothing to play: a start at or after the sound's end, an empty range.
  for (auto [a, b] : {std::pair<int64_t, int64_t>{100000, 100001}, {500, 500}, {-50, 0}}) {
    DetectorStream d;
    test::ScopedSink sink;
    EXPECT_EQ(d.Start(RequestFor(s, 10, a, b, 4000), f), DetectorStartResult::EmptyRange);
    EXPECT_TRUE(sink.texts().empty());
    std::vector<uint8_t> block(d.BlockBytes());
    EXPECT_EQ(d.FillBlock(block.data()), 0u);
  }
}

TEST(DetectorStream, RefusesWhatItCannotPlay) {
  TestSound s(1000, 1, 16, 44100, 2000, 8000);
  const FilterDescription f = Fir({1.0, 0.0});
  {
    test::ScopedSink sink;
    DetectorRequest r = RequestFor(s, 10, 0, 1000, 4000);
    r.format.wBitsPerSample = 24;
    DetectorStream d;
    EXPECT_EQ(d.Start(r, f), DetectorStartResult::Refused);
    ASSERT_EQ(sink.texts().size(), 1u);
    EXPECT_EQ(sink.last(), "Unknown data format, only 8 and 16 bits data supported.");
    EXPECT_EQ(sink.sink.icons.back(), MessageIcon::Exclamation);
  }
  for (int k : {0, 201, -3}) {
    test::ScopedSink sink;
    DetectorStream d;
    EXPECT_EQ(d.Start(RequestFor(s, k, 0, 1000, 4000), f), DetectorStartResult::Refused);
    EXPECT_EQ(sink.last(), "Please enter an integer between 1 and 200.");
  }
  for (int k : {1, 200}) {
    test::ScopedSink sink;
    DetectorStream d;
    EXPECT_EQ(d.Start(RequestFor(s, k, 0, 1000, 4000), f), DetectorStartResult::Started);
  }
  {
    test::ScopedSink sink;
    FilterDescription bad = f;
    bad.order = 50;
    DetectorStream d;
    EXPECT_EQ(d.Start(RequestFor(s, 10, 0, 1000, 4000), bad), DetectorStartResult::Refused);
    EXPECT_EQ(sink.last(), "Ilegal filter order!");
  }
  {
    test::ScopedSink sink;
    DetectorRequest r = RequestFor(s, 10, 0, 1000, 4000);
    r.blockBytes = 999;  // not whole frames
    DetectorStream d;
    EXPECT_EQ(d.Start(r, f), DetectorStartResult::Refused);
    EXPECT_EQ(sink.texts().size(), 1u);
  }
}

TEST(DetectorStream, StartAndFirstBlockReadOnlyTheirOwnFrames) {
  // A 1 GiB sound of which only the first pages are readable: starting and
  // filling the first block must touch nothing beyond that block's frames
  // (any other access would fault), so the start costs the same for any
  // length of sound.
  const size_t total = size_t{1} << 30;
  void* m = mmap(nullptr, total, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(m, MAP_FAILED);
  WaveFormatEx fmt;
  fmt.SetFormat(1, 16, 384000);
  const uint32_t blockBytes = ComputeBufferSize(fmt);
  const int k = 10;
  const size_t page = 4096;
  const size_t readable = (size_t{k} * blockBytes + page - 1) / page * page;
  ASSERT_EQ(mprotect(m, readable, PROT_READ | PROT_WRITE), 0);
  auto* bytes = static_cast<uint8_t*>(m);
  for (size_t i = 0; i + 1 < readable; i += 2) StoreRaw(bytes + i, 16, static_cast<int32_t>((i * 37) % 20000) - 10000);
  DetectorRequest r;
  r.sound = SampleSource(bytes, static_cast<int64_t>(total / 2), 1, 16);
  r.format = fmt;
  r.firstFrame = 0;
  r.endFrame = static_cast<int64_t>(total / 2);
  r.speedFactor = k;
  r.blockBytes = blockBytes;
  r.frequencyHz = 40000;
  DetectorStream d;
  ASSERT_EQ(d.Start(r, Designed(BandType::LowPass, 4, 5000, 192000)), DetectorStartResult::Started);
  std::vector<uint8_t> block(blockBytes);
  EXPECT_EQ(d.FillBlock(block.data()), blockBytes);
  munmap(m, total);
}

}  // namespace
}  // namespace nv
