#include "views/SweepDisplay.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "audio/SweepRules.h"
#include "base/SampleSource.h"
#include "base/TimeBase.h"
#include "dsp/BinPower.h"
#include "dsp/RealFft.h"
#include "plot/ColorSchemes.h"

namespace {

constexpr int kTitleHeight = 13;
constexpr int kAxisHeight = 14;    // the time axis below the strips
constexpr int kRightMargin = 64;   // the frequency labels
const QColor kBackground(Qt::white);

QFont LabelFont() {
  QFont f(QStringLiteral("Helvetica"));
  f.setPointSize(8);
  return f;
}

}  // namespace

SweepDisplay::SweepDisplay(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(200, 120);
}

void SweepDisplay::Reset(const nv::WaveFormatEx& format, int32_t expansion, const nv::RecordViewSettings& s) {
  format_ = format;
  expansion_ = nv::TimeBase::RepairedExpansion(expansion);
  settings_ = s;
  for (Slot& slot : ring_) {
    slot.bytes.clear();
    slot.number = -1;
  }
  pending_.clear();
  previousNumber_ = -2;
  for (auto& p : previous_) p.clear();
  for (auto& r : pendingColumn_) r = ColumnRange{};
  fftSize_ = 0;
  Layout();
  update();
}

void SweepDisplay::AddBlock(int64_t number, const uint8_t* bytes, uint32_t count) {
  const int i = static_cast<int>(number % nv::kSweepRingSlots);
  Slot& slot = ring_[static_cast<size_t>(i)];
  // A slot still waiting is reused: the oldest block is dropped undrawn.
  pending_.erase(std::remove(pending_.begin(), pending_.end(), i), pending_.end());
  slot.bytes.assign(bytes, bytes + count);
  slot.number = number;
  pending_.push_back(i);
  update();
}

void SweepDisplay::resizeEvent(QResizeEvent*) {
  // Only a real change of size starts the picture again.
  if (image_.size() != QSize(std::max(1, width()), std::max(1, height()))) Layout();
}

void SweepDisplay::Layout() {
  image_ = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
  image_.fill(kBackground);
  plotWidth_ = std::max(0, width() - nv::kSweepLeftPx - kRightMargin);
  strips_.clear();
  std::vector<int> channels;
  if (format_.nChannels == 2) {
    if (settings_.leftChannel) channels.push_back(0);
    if (settings_.rightChannel) channels.push_back(1);
    if (channels.empty()) channels.push_back(0);
  } else {
    channels.push_back(0);
  }
  std::vector<bool> kinds;
  if (settings_.amplitudePlot) kinds.push_back(false);
  if (settings_.spectrogramPlot) kinds.push_back(true);
  if (kinds.empty()) kinds.push_back(false);
  const int rows = static_cast<int>(channels.size());
  const int areaHeight = std::max(0, height() - kAxisHeight);
  for (int r = 0; r < rows; ++r) {
    const int top = areaHeight * r / rows, bottom = areaHeight * (r + 1) / rows;
    // The spectrogram takes two thirds when both strips are shown.
    const int split = kinds.size() == 2 ? top + (bottom - top) / 3 : bottom;
    for (size_t k = 0; k < kinds.size(); ++k) {
      Strip s;
      s.channel = channels[static_cast<size_t>(r)];
      s.spectrogram = kinds[k];
      const int st = k == 0 ? top : split, sb = k == 0 ? split : bottom;
      s.body = QRect(nv::kSweepLeftPx, st + kTitleHeight, plotWidth_, std::max(1, sb - st - kTitleHeight - 2));
      const QString chan = format_.nChannels == 2
                               ? (s.channel == 0 ? QStringLiteral(" - Left channel.") : QStringLiteral(" - Right channel."))
                               : QString();
      s.title = s.spectrogram ? QString() : QStringLiteral("Amplitude") + chan;
      strips_.push_back(s);
    }
  }
  DrawFrame();
}

int SweepDisplay::SamplesPerChannel(const Slot& slot) const {
  const int align = std::max<int>(1, format_.nBlockAlign);
  return static_cast<int>(slot.bytes.size()) / align;
}

double SweepDisplay::Sample(const Slot& slot, int channel, int i) const {
  const int align = std::max<int>(1, format_.nBlockAlign);
  const nv::SampleSource block(slot.bytes.data(), static_cast<int64_t>(slot.bytes.size()) / align, format_);
  return block.Value16(i, channel);
}

void SweepDisplay::DrawFrame() {
  QPainter p(&image_);
  p.setFont(LabelFont());
  p.setPen(Qt::black);
  const int64_t seconds = std::max<int64_t>(1, settings_.secondsPerPlot);
  const nv::SweepGeometry g = nv::SweepGeometry::For(plotWidth_, seconds);
  const int samplesPerBlock = std::max(1, static_cast<int>(format_.nSamplesPerSec / nv::kSweepBlocksPerSecond));
  const int fftSize = nv::SweepFftSize(settings_.fftSize, g.SamplesPerColumn(samplesPerBlock),
                                       strips_.empty() ? 128 : strips_.back().body.height(), samplesPerBlock);
  windowSuffix_ = QString::fromStdString(nv::WindowTitleSuffix(nv::StoredWindow(settings_.window)));
  for (Strip& s : strips_) {
    if (s.spectrogram) {
      const QString chan = format_.nChannels == 2
                               ? (s.channel == 0 ? QStringLiteral(" - Left channel.") : QStringLiteral(" - Right channel."))
                               : QString();
      s.title = QStringLiteral("Spectrogram, FFT size %1%2").arg(fftSize).arg(windowSuffix_) + chan;
    }
    p.drawText(QPoint(s.body.left(), s.body.top() - 3), s.title);
    p.drawRect(s.body.adjusted(-1, -1, 0, 0));
    const int x = s.body.right() + 4;
    if (s.spectrogram) {
      // Frequency labels at S, 2S and 3S of the top real frequency.
      const double topReal = nv::TimeBase(format_.nSamplesPerSec, expansion_).NyquistHzExact();
      for (const nv::AxisLabel& l : nv::SweepFrequencyLabels(topReal)) {
        const int y = s.body.bottom() - static_cast<int>(std::floor((s.body.height() - 2) * l.realHz / topReal + 0.5));
        p.drawLine(s.body.right() + 1, y, s.body.right() + 3, y);
        p.drawText(QPoint(x, y + 4), QString::fromStdString(l.text));
      }
    } else {
      p.drawLine(s.body.right() + 1, s.body.center().y(), s.body.right() + 3, s.body.center().y());
      p.drawText(QPoint(x, s.body.center().y() + 4), QStringLiteral("0"));
    }
  }
  // The time axis: a tick per second and the sweep's length at its end.
  const int axisY = height() - kAxisHeight + 2;
  p.drawLine(nv::kSweepLeftPx, axisY, nv::kSweepLeftPx + plotWidth_, axisY);
  for (int64_t sec = 0; sec <= seconds; ++sec) {
    const int x = g.SecondX(sec);
    p.drawLine(x, axisY, x, axisY + 3);
  }
  const QString label = QString::fromStdString(nv::SweepSecondsText(seconds));
  p.drawText(QPoint(nv::kSweepLeftPx + plotWidth_ - p.fontMetrics().horizontalAdvance(label), height() - 1), label);
}

void SweepDisplay::DrawBlock(const Slot& slot) {
  const nv::SweepGeometry g = nv::SweepGeometry::For(plotWidth_, settings_.secondsPerPlot);
  if (g.plotWidthPx <= 0 || strips_.empty()) return;
  const int spc = SamplesPerChannel(slot);
  if (spc <= 0) return;
  // The columns whose last sample is in this block, and where the block
  // lies in the sweep (samples per channel from the sweep's start).
  int first = 0, end = 0;
  g.BlockColumns(slot.number, first, end);
  const int64_t blockStart = ((slot.number % g.blocksPerPlot) + g.blocksPerPlot) % g.blocksPerPlot * spc;
  const nv::LevelPalette palette = nv::LevelColors(settings_.colorScheme, false);
  const double threshold = nv::SweepThresholdPower(settings_.threshold);
  const int channels = std::max<int>(1, format_.nChannels);
  const bool follows = slot.number == previousNumber_ + 1;
  if (!follows)
    for (auto& r : pendingColumn_) r = ColumnRange{};
  QPainter p(&image_);
  for (const Strip& s : strips_) {
    const int ch = std::min(s.channel, channels - 1);
    const QRect& b = s.body;
    int n = 0, m = 0;
    if (s.spectrogram) {
      n = nv::SweepFftSize(settings_.fftSize, g.SamplesPerColumn(spc), b.height(), spc);
      fftSize_ = n;
      while ((1 << m) < n) ++m;
      if (windowSize_ != n || static_cast<int>(window_.size()) != n) {
        nv::BuildWindowTable(nv::StoredWindow(settings_.window), n, window_);
        windowSize_ = n;
      }
      frame_.assign(static_cast<size_t>(n), 0.0);
    }
    const std::vector<double>& prev = previous_[static_cast<size_t>(ch)];
    for (int c = first; c < end; ++c) {
      const int x = nv::kSweepLeftPx + c;
      // Clear the column and the one after it: the moving gap.
      p.fillRect(QRect(x, b.top(), 2, b.height()).intersected(b), kBackground);
      // The column's samples in this block; an earlier part came before.
      const int64_t columnStart = g.ColumnStart(c, spc) - blockStart;
      const int from = static_cast<int>(std::max<int64_t>(0, columnStart));
      const int to = static_cast<int>(std::min<int64_t>(spc, g.ColumnStart(c + 1, spc) - blockStart));
      if (!s.spectrogram) {
        const ColumnRange& earlier = pendingColumn_[static_cast<size_t>(ch)];
        bool have = columnStart < 0 && earlier.valid;
        double lo = have ? earlier.lo : 0, hi = have ? earlier.hi : 0;
        for (int i = from; i < to; ++i) {
          const double v = Sample(slot, ch, i);
          lo = have ? std::min(lo, v) : v;
          hi = have ? std::max(hi, v) : v;
          have = true;
        }
        if (!have) continue;
        const int half = b.height() / 2, centre = b.top() + half;
        // On the 16-bit scale an 8-bit sample lands on the same row.
        const int y1 = nv::SweepSampleY(static_cast<int>(lo), 16, centre, half);
        const int y2 = nv::SweepSampleY(static_cast<int>(hi), 16, centre, half);
        p.setPen(QColor(0, 0, 128));
        p.drawLine(x, std::clamp(y1, b.top(), b.bottom()), x, std::clamp(y2, b.top(), b.bottom()));
        continue;
      }
      if (to <= 0 || to <= columnStart) continue;
      // The n samples ending at the column's last one, reaching back into
      // the previous block (silence when there is none).
      for (int j = 0; j < n; ++j) {
        const int i = to - n + j;
        double v = 0;
        if (i >= 0) {
          v = Sample(slot, ch, i);
        } else if (follows && static_cast<int>(prev.size()) + i >= 0) {
          v = prev[prev.size() + static_cast<size_t>(i)];
        }
        frame_[static_cast<size_t>(j)] = v * window_[static_cast<size_t>(j)];
      }
      nv::RealFft(frame_.data(), m);
      int lastY = b.bottom();
      for (int k = 1; k < n / 2; ++k) {
        const int y = nv::SweepBinY(k, n, b.bottom(), b.height());
        const double pw = nv::BinPower(frame_.data(), n, k);
        if (pw > threshold) {
          const uint32_t col = palette[static_cast<size_t>(nv::SweepLevel(pw, threshold))];
          p.setPen(QColor(nv::RedOf(col), nv::GreenOf(col), nv::BlueOf(col)));
          // Down to just above the previous bin's row.
          const int yEnd = lastY > y ? lastY - 1 : y;
          p.drawLine(x, std::max(y, b.top()), x, std::max(yEnd, b.top()));
        }
        lastY = y;
      }
    }
  }
  // The samples after the last column drawn belong to a column that ends in
  // a later block: keep their range; and keep this block's samples for the
  // next block's first frames.
  const int tail = end > first ? static_cast<int>(std::clamp<int64_t>(g.ColumnStart(end, spc) - blockStart, 0, spc)) : 0;
  for (int ch = 0; ch < channels && ch < 2; ++ch) {
    ColumnRange& r = pendingColumn_[static_cast<size_t>(ch)];
    if (end > first) r = ColumnRange{};
    std::vector<double>& keep = previous_[static_cast<size_t>(ch)];
    keep.resize(static_cast<size_t>(spc));
    for (int i = 0; i < spc; ++i) {
      const double v = Sample(slot, ch, i);
      if (i >= tail) {
        r.lo = r.valid ? std::min(r.lo, v) : v;
        r.hi = r.valid ? std::max(r.hi, v) : v;
        r.valid = true;
      }
      keep[static_cast<size_t>(i)] = v;
    }
  }
  previousNumber_ = slot.number;
}

void SweepDisplay::paintEvent(QPaintEvent*) {
  for (int i : pending_) {
    Slot& slot = ring_[static_cast<size_t>(i)];
    DrawBlock(slot);
    slot.bytes.clear();
    slot.bytes.shrink_to_fit();
    slot.number = -1;
  }
  pending_.clear();
  QPainter p(this);
  p.drawImage(0, 0, image_);
}
