// SoundPlot drawn into images: spectrogram rows and colours, colour
// schemes, stereo halves, exclusive-or cursors, repeated columns, the
// zero-crossing diagram and the repaint coalescing.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "plot/ColorSchemes.h"
#include "plot/SoundPlot.h"
#include "plot/SpectrogramColumns.h"
#include "TestSupport.h"
#include "document/CNorvaneDoc.h"

namespace nv {
namespace {

constexpr int64_t kRate = 44100;

std::vector<int16_t> Sine(double hz, int frames, double amp = 32767.0, int channels = 1) {
  std::vector<int16_t> v(static_cast<size_t>(frames) * channels);
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      v[static_cast<size_t>(i) * channels + c] =
          static_cast<int16_t>(std::lround(amp * std::sin(2 * M_PI * hz * i / kRate)));
  return v;
}

SoundSource Source(const std::vector<int16_t>& v, int channels = 1) {
  SoundSource s;
  s.samples = reinterpret_cast<const uint8_t*>(v.data());
  s.channels = channels;
  s.frameCount = static_cast<int32_t>(v.size() / channels);
  s.rateHz = kRate;
  return s;
}

AnalysisSettings SpectrogramOnly() {
  AnalysisSettings s;
  s.oscillogramShown = 0;
  s.spectrogramShown = 1;
  s.colorBar = 0;
  s.timePerPlotUs = 1000000;
  return s;
}

QImage Render(SoundPlot& plot, int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.setDotsPerMeterX(3780);
  img.setDotsPerMeterY(3780);
  EXPECT_TRUE(plot.RenderTo(img, img.size(), true));
  return img;
}

// The set-up a RenderTo of w x h pixels uses.
PlotSetup SetupFor(const SoundSource& src, AnalysisSettings s, int w, int h) {
  return MakePlotSetup(src, s, PixelScaleFromDevice(-15000, false), w, h);
}

int Row(int32_t y) { return static_cast<int>(std::lround(-y / 15.0)); }
int Col(int32_t x) { return static_cast<int>(std::lround(x / 15.0)); }

TEST(SoundPlotDrawing, SineBandAtItsRow) {
  const auto v = Sine(8000, 44100);
  AnalysisSettings s = SpectrogramOnly();
  s.colorScheme = 1;  // black on white
  s.threshold = 28;   // only the strongest bins
  s.fftSize = 512;
  SoundPlot plot;
  plot.SetSound(Source(v));
  plot.SetSettings(&s);
  const QImage img = Render(plot, 800, 400);
  const PlotSetup p = SetupFor(Source(v), s, 800, 400);
  const int expected = Row(p.FrequencyToY(8000));
  const int x = Col(p.layout.plotLeft + p.layout.plotWidth / 2);
  int first = -1, last = -1;
  for (int y = Row(p.layout.spect.top) + 2; y < Row(p.layout.spect.bottom) - 1; ++y) {
    if (qGray(img.pixel(x, y)) < 64) {
      if (first < 0) first = y;
      last = y;
    }
  }
  ASSERT_GE(first, 0);
  EXPECT_NEAR((first + last) / 2.0, expected, 3.0);
  EXPECT_LT(last - first, 20);
}

TEST(SoundPlotDrawing, KnownLevelColours) {
  // A full-scale sine at the centre of bin 58 of N = 512 reaches level 63.
  const double hz = 58.0 * kRate / 512;
  const auto v = Sine(hz, 44100);
  AnalysisSettings s = SpectrogramOnly();
  s.colorScheme = 7;
  s.fftSize = 512;
  s.window = 2;
  s.colorBar = 1;
  SoundPlot plot;
  plot.SetSound(Source(v));
  plot.SetSettings(&s);
  const QImage img = Render(plot, 800, 400);
  const PlotSetup p = SetupFor(Source(v), s, 800, 400);
  const LevelPalette pal = LevelColors(7, false);
  const QRgb top = qRgb(RedOf(pal[63]), GreenOf(pal[63]), BlueOf(pal[63]));
  const int x = Col(p.layout.plotLeft + p.layout.plotWidth / 2);
  const int y = Row(p.FrequencyToY(static_cast<int64_t>(hz)));
  bool found = false;
  for (int dy = -2; dy <= 2; ++dy) found |= (img.pixel(x, y + dy) & 0xffffff) == (top & 0xffffff);
  EXPECT_TRUE(found);
  // Far from the sine nothing reaches the threshold: background.
  EXPECT_EQ(img.pixel(x, Row(p.FrequencyToY(20000))) & 0xffffff, 0xffffffu);
  // The colour bar's right end is level 63, its left end (-100 dB) empty.
  const int by = Row(p.layout.bar.bottom) - 2;
  EXPECT_EQ(img.pixel(Col(p.layout.bar.right) - 2, by) & 0xffffff, top & 0xffffff);
  EXPECT_EQ(img.pixel(Col(p.layout.bar.left) + 2, by) & 0xffffff, 0xffffffu);
}

TEST(SoundPlotDrawing, BlackAndWhiteWithAndWithoutInvColors) {
  const auto v = Sine(8000, 44100);
  for (int inv = 0; inv <= 1; ++inv) {
    AnalysisSettings s = SpectrogramOnly();
    s.colorScheme = 1;
    s.invColors = inv;
    s.fftSize = 512;
    const SoundSource src = Source(v);
    const PlotSetup p = SetupFor(src, s, 600, 300);
    PlotRenderer r;
    r.Prepare(p, 96);
    QImage img(600, 300, QImage::Format_RGB32);
    QPainter painter(&img);
    r.Paint(painter, src, img.rect(), true, {}, QColor(0x80, 0x80, 0x80), 1);
    painter.end();
    const int x = Col(p.layout.plotLeft + p.layout.plotWidth / 2);
    const QRgb band = img.pixel(x, Row(p.FrequencyToY(8000)));
    EXPECT_EQ(band & 0xffffff, inv ? 0xffffffu : 0x000000u) << inv;
    for (int l = 0; l < 64; ++l) EXPECT_EQ(r.LevelColor(l), inv ? QColor(Qt::white) : QColor(Qt::black));
    // Bins under the threshold show the background.
    EXPECT_EQ(img.pixel(x, Row(p.FrequencyToY(18000))) & 0xffffff, 0x808080u);
  }
}

TEST(SoundPlotDrawing, StereoChannelsHaveIdenticalAxes) {
  const auto v = Sine(5000, 22050, 20000.0, 2);
  AnalysisSettings s;
  s.timePerPlotUs = 500000;
  SoundPlot plot;
  plot.SetSound(Source(v, 2));
  plot.SetSettings(&s);
  const int w = 700, h = 800;
  const QImage img = Render(plot, w, h);
  const PlotSetup p = SetupFor(Source(v, 2), s, w, h);
  ASSERT_TRUE(p.bothChannels);
  const int shift = Row(-p.layout.channelShift);
  ASSERT_EQ(shift, 400);
  // Title rows differ (" - Left." and " - Right."); everything else matches.
  auto titleRow = [&](int y) {
    for (int32_t top : {p.layout.osc.top, p.layout.spect.top}) {
      const int base = Row(top + 20);
      if (y >= base - 20 && y <= base + 1) return true;
    }
    return false;
  };
  int differing = 0;
  for (int y = 0; y < shift; ++y) {
    if (titleRow(y)) continue;
    for (int x = 0; x < w; ++x) differing += img.pixel(x, y) != img.pixel(x, y + shift);
  }
  EXPECT_EQ(differing, 0);
}

TEST(SoundPlotDrawing, ExclusiveOrCursorDrawnTwiceLeavesTheImage) {
  const auto v = Sine(3000, 44100);
  AnalysisSettings s;
  const SoundSource src = Source(v);
  const PlotSetup p = SetupFor(src, s, 800, 600);
  PlotRenderer r;
  r.Prepare(p, 96);
  QImage img(800, 600, QImage::Format_ARGB32_Premultiplied);
  {
    QPainter painter(&img);
    r.Paint(painter, src, img.rect(), true, {}, Qt::white, 1);
  }
  const QImage before = img.copy();
  for (CursorKind kind : {CursorKind::Marking, CursorKind::Measurement, CursorKind::LargeMeasurement, CursorKind::Level,
                   CursorKind::MarkingStereo}) {
    CursorRecord c;
    c.position = 20000;
    c.kind = kind;
    c.value = kind == CursorKind::Level ? 3000 : 5000;
    c.inSpectrogram = kind == CursorKind::Measurement;
    c.rangeStart = 10000;
    c.rangeEnd = 30000;
    c.pen = static_cast<int32_t>(kind) % 2;
    {
      QPainter painter(&img);
      r.DrawCursor(painter, c);
    }
    EXPECT_NE(img, before) << static_cast<int>(kind);
    {
      QPainter painter(&img);
      r.DrawCursor(painter, c);
    }
    EXPECT_EQ(img, before) << static_cast<int>(kind);
  }
  // A cursor outside the visible samples draws nothing.
  CursorRecord out;
  out.position = 10000000;
  QPainter painter(&img);
  r.DrawCursor(painter, out);
  painter.end();
  EXPECT_EQ(img, before);
}

TEST(SoundPlotDrawing, ColumnWithoutNewFrameRepeatsThePrevious) {
  // A rising sweep, so that every new frame changes the column.
  std::vector<int16_t> v(44100);
  double phase = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    phase += 2 * M_PI * (1000.0 + 15000.0 * i / v.size()) / kRate;
    v[i] = static_cast<int16_t>(std::lround(20000 * std::sin(phase)));
  }
  AnalysisSettings s = SpectrogramOnly();
  s.fftSize = 512;
  s.fftOverlap = 50;      // frames 256 samples apart
  s.timePerPlotUs = 200000;  // 8820 samples over about 670 columns
  const SoundSource src = Source(v);
  SoundPlot plot;
  plot.SetSound(src);
  plot.SetSettings(&s);
  const QImage img = Render(plot, 800, 300);
  const PlotSetup p = SetupFor(src, s, 800, 300);
  const ColumnStretch st = StretchForClip(p, p.layout.plotLeft - 15, p.layout.plotRight + 15, 0);
  const std::vector<int32_t> xs = ColumnPositions(p.spect, st);
  const std::vector<ColumnFrames> plan = PlanColumnFrames(p.spect, src.frameCount, st, xs);
  int repeats = 0, changes = 0;
  // Clear of the frame and of the time-axis ticks at the bottom.
  const int y0 = Row(p.layout.spect.top) + 2, y1 = Row(p.layout.spect.bottom) - 4;
  // The first columns carry the frequency ticks (100 units into the plot).
  for (size_t c = 8; c + 1 < xs.size(); ++c) {
    bool same = true;
    for (int y = y0; y <= y1; ++y) same &= img.pixel(Col(xs[c]), y) == img.pixel(Col(xs[c - 1]), y);
    if (plan[c].repeatOf >= 0) {
      ++repeats;
      EXPECT_TRUE(same) << c;
    } else {
      changes += !same;
    }
  }
  EXPECT_GT(repeats, 400);
  EXPECT_GT(changes, 10);
}

TEST(SoundPlotDrawing, ZeroCrossingOfA1kHzSine) {
  const auto v = Sine(1000, 44100);
  AnalysisSettings s;
  s.freqPlot = 1;
  s.oscillogramShown = 0;
  s.freqSize = 1000;
  s.freqThreshold = 5;
  s.maxFrequencyHz = 4000;
  s.timePerPlotUs = 1000000;
  const SoundSource src = Source(v);
  SoundPlot plot;
  plot.SetSound(src);
  plot.SetSettings(&s);
  const QImage img = Render(plot, 800, 400);
  const PlotSetup p = SetupFor(src, s, 800, 400);
  const int x = Col(p.layout.plotLeft + p.layout.plotWidth / 2);
  const int expected = Row(p.FrequencyToY(1000));
  int dark = -1;
  for (int y = Row(p.layout.spect.top) + 2; y < Row(p.layout.spect.bottom) - 1; ++y)
    if (qGray(img.pixel(x, y)) < 64) dark = y;
  ASSERT_GE(dark, 0);
  // 1000 Hz and a little more: the marks sit one pixel above the 1 kHz row at most.
  EXPECT_NEAR(dark, expected, 2);
}

TEST(SoundPlotDrawing, EightBitOscillogram) {
  std::vector<uint8_t> b(44100);
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>((i / 20) % 2 ? 64 : 192);
  SoundSource src;
  src.samples = b.data();
  src.bitsPerSample = 8;
  src.frameCount = static_cast<int32_t>(b.size());
  src.rateHz = kRate;
  AnalysisSettings s;
  s.spectrogramShown = 0;
  s.timePerPlotUs = 1000000;
  SoundPlot plot;
  plot.SetSound(src);
  plot.SetSettings(&s);
  const QImage img = Render(plot, 600, 300);
  const PlotSetup p = SetupFor(src, s, 600, 300);
  const int x = Col(p.layout.plotLeft + p.layout.plotWidth / 2);
  // +-50 %: the trace reaches the rows of both amplitudes.
  EXPECT_LT(qGray(img.pixel(x, Row(p.AmplitudeToY(4900)))), 64);
  EXPECT_LT(qGray(img.pixel(x, Row(p.AmplitudeToY(-4900)))), 64);
  EXPECT_GT(qGray(img.pixel(x, Row(p.AmplitudeToY(7500)))), 192);
}

void Wait(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(SoundPlotDrawing, RepaintsAreCoalesced) {
  const auto v = Sine(3000, 44100);
  AnalysisSettings s;
  SoundPlot plot;
  plot.SetSound(Source(v));
  plot.SetSettings(&s);
  plot.resize(400, 300);
  // A new (or resized) plot waits 500 ms before it draws.
  EXPECT_TRUE(plot.Repaints().Pending());
  EXPECT_TRUE(plot.Repaints().Active());
  EXPECT_EQ(plot.Repaints().IntervalMs(), 500);
  plot.Recompute();
  plot.show();
  Wait(1200);
  // The timer has fired and the plot was drawn at once, which sets the flag.
  EXPECT_FALSE(plot.Repaints().Active());
  EXPECT_TRUE(plot.Repaints().Pending());
  // A request while the flag is set waits for the timer.
  plot.SetFirstSample(100);
  plot.repaint();
  EXPECT_TRUE(plot.Repaints().Active());
  EXPECT_EQ(plot.Repaints().IntervalMs(), 500);  // with a spectrogram
  Wait(700);
  EXPECT_FALSE(plot.Repaints().Active());
  // Without a spectrogram the wait is 62 ms.
  s.spectrogramShown = 0;
  plot.Recompute();
  plot.repaint();
  EXPECT_TRUE(plot.Repaints().Active());
  EXPECT_EQ(plot.Repaints().IntervalMs(), 62);
}

TEST(SoundPlotDrawing, CursorOnTheScreenImageIsErasedWhenMoved) {
  const auto v = Sine(3000, 44100);
  AnalysisSettings s;
  SoundPlot plot;
  plot.SetSound(Source(v));
  plot.SetSettings(&s);
  plot.resize(400, 300);
  plot.Recompute();
  const QImage bare = plot.Grab().copy();
  CursorRecord c;
  c.position = 5000;
  plot.SetCursor(c);
  const QImage with = plot.Grab().copy();
  EXPECT_NE(with, bare);
  c.position = -1;
  plot.SetCursor(c);
  EXPECT_EQ(plot.Grab(), bare);
}

}  // namespace
}  // namespace nv

namespace nv {
namespace {

// The widget's own picture of a document (the path a sound view takes) shows
// the spectrogram as a picture rendered for a device does.
TEST(SoundPlotDrawing, ScreenPictureOfADocumentShowsTheSpectrogram) {
  DocumentContext documents;
  test::ScopedSink sink;
  {
    CNorvaneDoc doc(documents);
    const auto v = Sine(8000, 44100);
    doc.SetFormat(1, 16, kRate);
    doc.RecomputeBufferSize();
    doc.WritableWorkFile().Truncate(0);
    doc.WritableWorkFile().WriteAt(0, v.data(), v.size() * 2);
    doc.SetLength(static_cast<int64_t>(v.size()));
    AnalysisSettings s = SpectrogramOnly();
    s.colorScheme = 1;
    SoundPlot plot;
    plot.SetSettings(&s);
    plot.SetDocument(&doc);
    plot.resize(600, 300);
    plot.Recompute();
    const QImage img = plot.Grab();
    const PlotRect& r = plot.Setup().layout.spect;
    int dark = 0;
    for (int y = Row(r.top) + 3; y < Row(r.bottom) - 3; ++y)
      for (int x = Col(r.left) + 3; x < Col(r.right) - 3; ++x) dark += qGray(img.pixel(x, y)) < 64;
    // Inside the frame: the band of the sine across the plot.
    EXPECT_GT(dark, (Col(r.right) - Col(r.left)) / 2);
    doc.UnmapSamples();
  }
}

}  // namespace
}  // namespace nv
