#include "plot/SpectrogramPeaks.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <map>
#include <thread>
#include <utility>

#include "dsp/BinPower.h"
#include "dsp/RealFft.h"

namespace nv {

namespace {

// The smallest block of the level cache, in frames (2^4), and the most
// memory its smallest blocks may take; longer sounds get larger blocks.
constexpr int kBaseBlockLog2 = 4;
constexpr int64_t kMaxBaseBlockBytes = int64_t{48} << 20;
// Columns whose values are kept; more are forgotten at once.
constexpr size_t kMaxKeptColumns = 16384;

int64_t CeilDiv(int64_t a, int64_t b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }

// Everything the cached values depend on besides the samples themselves.
struct StoreKey {
  int32_t fftSize = 0, advance = 0, windowCode = 0;  // the frames
  int32_t frameCount = 0, channels = 0, bits = 0;    // the sound
  bool userScheme = false;                           // powers kept, not levels
  double floor = 0;                                  // the level scale
  int32_t contrast = 0;
  bool operator==(const StoreKey&) const = default;
};

// The values of one column over every bin 1 ... N/2 - 1: levels (built-in
// schemes) or the largest powers (user scheme).
struct ColumnRow {
  std::vector<int8_t> levels;
  std::vector<double> power;
};

using FrameRange = std::pair<int64_t, int64_t>;  // frames [first, end) of the grid

}  // namespace

class SpectrogramPeaks::Store {
 public:
  Store(const StoreKey& key, const SpectrogramSetup& setup) : key_(key), levels_(setup.levels) {
    bins_ = key.fftSize / 2 - 1;
    gridFrames_ = CeilDiv(key.frameCount, key.advance);
    if (key.userScheme || bins_ <= 0) return;  // pens are not cached in blocks
    blockLog2_ = kBaseBlockLog2;
    while ((gridFrames_ >> blockLog2_) * bins_ > kMaxBaseBlockBytes) ++blockLog2_;
    for (int64_t blocks = gridFrames_ >> blockLog2_; blocks > 0; blocks /= 2) {
      // Left uninitialised: only the blocks computed are ever touched.
      blockLevels_.emplace_back(new int8_t[static_cast<size_t>(blocks * bins_)]);
      filled_.emplace_back(static_cast<size_t>(blocks), uint8_t{0});
    }
  }

  const StoreKey& key() const { return key_; }
  int bins() const { return bins_; }
  int blockLog2() const { return blockLog2_; }
  int blockSizes() const { return static_cast<int>(filled_.size()); }
  const LevelScale& levels() const { return levels_; }
  std::map<FrameRange, ColumnRow>& kept() { return kept_; }

  // The storage of block i of size 2^(blockLog2 + l) frames and whether it
  // holds its levels. Blocks lying in different columns are different
  // memory, so threads working on different columns never share one.
  int8_t* Block(int l, int64_t i) { return blockLevels_[l].get() + i * bins_; }
  uint8_t& Filled(int l, int64_t i) { return filled_[l][static_cast<size_t>(i)]; }

 private:
  StoreKey key_;
  LevelScale levels_;
  int bins_ = 0;
  int64_t gridFrames_ = 0;
  int blockLog2_ = 0;
  std::vector<std::unique_ptr<int8_t[]>> blockLevels_;
  std::vector<std::vector<uint8_t>> filled_;
  std::map<FrameRange, ColumnRow> kept_;
};

namespace {

// Computes the values of columns from their frames, through the blocks of
// the store.
class PeakWorker {
 public:
  PeakWorker(SpectrogramPeaks::Store& store, const SpectrogramSetup& setup,
             const SampleSource& sound, int channel, int32_t advance)
      : store_(store),
        setup_(setup),
        sound_(sound),
        channel_(channel),
        advance_(advance),
        n_(setup.fftSize),
        bins_(store.bins()),
        frame_(static_cast<size_t>(n_)),
        columnPower_(static_cast<size_t>(bins_)),
        blockPower_(static_cast<size_t>(bins_)),
        columnLevels_(static_cast<size_t>(bins_)) {}

  // The values of the column of frames r; returns the number of frames
  // read.
  int64_t Column(const FrameRange& r, ColumnRow& row) {
    frames_ = 0;
    std::fill(columnPower_.begin(), columnPower_.end(), 0.0);
    if (store_.key().userScheme) {
      for (int64_t j = r.first; j < r.second; ++j) AddFrame(j, columnPower_.data());
      row.power = columnPower_;
      return frames_;
    }
    row.levels.assign(static_cast<size_t>(bins_), static_cast<int8_t>(kNoLevel));
    const int64_t size = int64_t{1} << store_.blockLog2();
    const int64_t b0 = CeilDiv(r.first, size), b1 = r.second / size;
    if (store_.blockSizes() == 0 || b1 <= b0) {
      for (int64_t j = r.first; j < r.second; ++j) AddFrame(j, columnPower_.data());
    } else {
      // The frames before the first and after the last whole block, then
      // the blocks, as few and as large as their alignment allows.
      for (int64_t j = r.first; j < b0 * size; ++j) AddFrame(j, columnPower_.data());
      for (int64_t j = b1 * size; j < r.second; ++j) AddFrame(j, columnPower_.data());
      for (int64_t b = b0; b < b1;) {
        int l = 0;
        while (l + 1 < store_.blockSizes() && b % (int64_t{2} << l) == 0 &&
               b + (int64_t{2} << l) <= b1)
          ++l;
        MaxInto(BlockLevels(l, b >> l), row.levels.data());
        b += int64_t{1} << l;
      }
    }
    store_.levels().Levels(columnPower_.data(), bins_, columnLevels_.data());
    MaxInto(columnLevels_.data(), row.levels.data());
    return frames_;
  }

 private:
  void MaxInto(const int8_t* from, int8_t* to) const {
    for (int i = 0; i < bins_; ++i) to[i] = std::max(to[i], from[i]);
  }

  // The levels of block i of size l, computed when not yet cached.
  const int8_t* BlockLevels(int l, int64_t i) {
    int8_t* row = store_.Block(l, i);
    uint8_t& filled = store_.Filled(l, i);
    if (filled) return row;
    if (l == 0) {
      std::fill(blockPower_.begin(), blockPower_.end(), 0.0);
      const int64_t size = int64_t{1} << store_.blockLog2();
      for (int64_t j = i * size; j < (i + 1) * size; ++j) AddFrame(j, blockPower_.data());
      store_.levels().Levels(blockPower_.data(), bins_, row);
    } else {
      const int8_t* a = BlockLevels(l - 1, 2 * i);
      const int8_t* b = BlockLevels(l - 1, 2 * i + 1);
      for (int k = 0; k < bins_; ++k) row[k] = std::max(a[k], b[k]);
    }
    filled = 1;
    return row;
  }

  // power[k - 1] = max(power[k - 1], power of bin k of frame j). A frame of
  // silence has power 0 in every bin and is not transformed.
  void AddFrame(int64_t j, double* power) {
    ++frames_;
    double* x = frame_.data();
    sound_.ReadWindowed(j * advance_ - n_ / 2, n_, channel_, setup_.windowTable.data(), x);
    if (std::all_of(x, x + n_, [](double v) { return v == 0.0; })) return;
    RealFft(x, setup_.log2Fft);
    for (int k = 1; k <= bins_; ++k) power[k - 1] = std::max(power[k - 1], BinPower(x, n_, k));
  }

  SpectrogramPeaks::Store& store_;
  const SpectrogramSetup& setup_;
  const SampleSource& sound_;
  int channel_;
  int64_t advance_;
  int n_;
  int bins_;
  int64_t frames_ = 0;
  std::vector<double> frame_;
  std::vector<double> columnPower_;
  std::vector<double> blockPower_;
  std::vector<int8_t> columnLevels_;
};

// The frames of the column of samples [s0, s1): those centred in it, at
// least one when the column holds samples of the sound.
FrameRange FramesOf(int64_t s0, int64_t s1, int64_t frameCount, int64_t advance) {
  s0 = std::max<int64_t>(s0, 0);
  s1 = std::min(s1, frameCount);
  if (s1 <= s0) return {0, 0};
  FrameRange r{CeilDiv(s0, advance), CeilDiv(s1, advance)};
  if (r.second <= r.first) r.second = r.first + 1;
  return r;
}

}  // namespace

SpectrogramPeaks::SpectrogramPeaks() = default;
SpectrogramPeaks::~SpectrogramPeaks() = default;

int32_t SpectrogramPeaks::FrameAdvance(const SpectrogramSetup& setup) {
  return setup.overlapPercent < 0 ? std::max(setup.fftSize / 2, 1) : std::max(setup.frameAdvance, 1);
}

bool SpectrogramPeaks::Applies(const SpectrogramSetup& setup) {
  // With automatic overlap the single frame of a column reaches the next
  // column's start up to a column of the FFT size; a set overlap's frames
  // are shared out once a column holds more than one advance.
  const int32_t reach = setup.overlapPercent < 0 ? setup.fftSize : FrameAdvance(setup);
  return setup.drawable && setup.samplesPerColumn > reach;
}

void SpectrogramPeaks::Clear() {
  for (std::unique_ptr<Store>& s : stores_) s.reset();
}

bool SpectrogramPeaks::Compute(const SpectrogramSetup& setup, const SoundSource& sound,
                               const ColumnStretch& stretch, SpectrogramColumns& out,
                               unsigned maxThreads, int64_t frameBudget) {
  std::vector<int32_t> xs = ColumnPositions(setup, stretch);
  const std::vector<int64_t> bounds = ColumnSampleBounds(setup, stretch, xs);
  return Compute(setup, sound, stretch.channel, std::move(xs), bounds, out, maxThreads, frameBudget);
}

bool SpectrogramPeaks::Compute(const SpectrogramSetup& setup, const SoundSource& sound,
                               int channelIndex, std::vector<int32_t> xs,
                               const std::vector<int64_t>& bounds, SpectrogramColumns& out,
                               unsigned maxThreads, int64_t frameBudget) {
  out.x.clear();
  out.rowOf.clear();
  out.firstBin = setup.firstVisibleBin;
  out.binCount = 0;
  out.userScheme = setup.userScheme;
  missing_ = XRange{};
  if (!setup.drawable || sound.frameCount <= 0 || !sound.samples) return true;
  const int channel = (sound.channels == 2 && channelIndex == 1) ? 1 : 0;
  const SampleSource samples = sound.Samples();
  const int32_t advance = FrameAdvance(setup);
  StoreKey key;
  key.fftSize = setup.fftSize;
  key.advance = advance;
  key.windowCode = setup.windowCode;
  key.frameCount = sound.frameCount;
  key.channels = sound.channels;
  key.bits = sound.bitsPerSample;
  key.userScheme = setup.userScheme;
  key.floor = setup.levels.floor();
  key.contrast = setup.levels.contrast();
  std::unique_ptr<Store>& store = stores_[channel];
  if (!store || !(store->key() == key)) store = std::make_unique<Store>(key, setup);
  std::map<FrameRange, ColumnRow>& kept = store->kept();
  if (kept.size() > kMaxKeptColumns) kept.clear();

  if (bounds.size() != xs.size() + 1) return true;
  out.x = std::move(xs);
  const size_t columns = out.x.size();
  out.binCount = std::max(setup.lastVisibleBin - setup.firstVisibleBin + 1, 0);
  out.rowOf.resize(columns);
  for (size_t c = 0; c < columns; ++c) out.rowOf[c] = static_cast<uint32_t>(c);
  const size_t values = columns * static_cast<size_t>(out.binCount);
  if (out.userScheme)
    out.pens.resize(values);
  else
    out.levels.resize(values);

  // The columns computed before are taken as they are; the others are
  // computed, in order, while the budget lasts.
  std::vector<FrameRange> ranges(columns);
  std::vector<const ColumnRow*> rows(columns, nullptr);
  std::vector<size_t> todo;
  for (size_t c = 0; c < columns; ++c) {
    ranges[c] = FramesOf(bounds[c], bounds[c + 1], sound.frameCount, advance);
    const auto it = kept.find(ranges[c]);
    if (it != kept.end())
      rows[c] = &it->second;
    else
      todo.push_back(c);
  }
  std::vector<ColumnRow> fresh(todo.size());
  std::vector<uint8_t> done(todo.size(), 0);
  // The threads take the columns in order, so that the columns left out
  // are the last ones.
  std::atomic<int64_t> budget(frameBudget > 0 ? frameBudget : std::numeric_limits<int64_t>::max());
  std::atomic<size_t> next(0);
  auto work = [&] {
    PeakWorker worker(*store, setup, samples, channel, advance);
    while (budget.load(std::memory_order_relaxed) > 0) {
      const size_t t = next.fetch_add(1, std::memory_order_relaxed);
      if (t >= todo.size()) break;
      budget.fetch_sub(worker.Column(ranges[todo[t]], fresh[t]), std::memory_order_relaxed);
      done[t] = 1;
    }
  };
  constexpr size_t kMinColumnsPerThread = 4;
  unsigned threads = maxThreads != 0 ? maxThreads : std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(
      std::min<size_t>(threads, std::max<size_t>(todo.size() / kMinColumnsPerThread, 1)));
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (std::thread& th : pool) th.join();
  for (size_t t = 0; t < todo.size(); ++t)
    if (done[t]) rows[todo[t]] = &(kept[ranges[todo[t]]] = std::move(fresh[t]));

  // Bin 0 is never filled, as in the column walk.
  const int first = setup.firstVisibleBin;
  const int kLo = std::max(first, 1);
  const int kHi = std::min(setup.lastVisibleBin, setup.fftSize / 2 - 1);
  const int32_t zeroPen = out.userScheme ? setup.userPens.FindPen(UserLevelKey(0.0)) : kNoPen;
  bool complete = true;
  for (size_t c = 0; c < columns; ++c) {
    const size_t at = out.rowStart(c);
    const ColumnRow* row = rows[c];
    if (!row) {
      if (complete) missing_.first = out.x[c];
      missing_.last = out.x[c];
      complete = false;
    }
    if (out.userScheme) {
      int32_t* v = out.pens.data() + at - first;
      for (int k = first; k <= setup.lastVisibleBin; ++k)
        v[k] = !row ? kNoPen
               : k < kLo || k > kHi ? zeroPen
                                    : setup.userPens.FindPen(UserLevelKey(row->power[k - 1]));
    } else {
      int8_t* v = out.levels.data() + at - first;
      for (int k = first; k <= setup.lastVisibleBin; ++k)
        v[k] = !row || k < kLo || k > kHi ? static_cast<int8_t>(kNoLevel) : row->levels[k - 1];
    }
  }
  return complete;
}

}  // namespace nv
