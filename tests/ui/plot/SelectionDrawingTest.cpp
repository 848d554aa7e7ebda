// The selection as the sound view shows it: a marking selection inverts the
// stretch between its ends over every diagram, a measuring selection the box
// between its two values; one channel strip or both; and the picture stays
// right through scrolling, zooming and partial repaints.
#include <QApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "plot/SoundPlot.h"

namespace nv {
namespace {

constexpr int kRate = 44100;

std::vector<int16_t> Chirp(int frames, int channels) {
  std::vector<int16_t> v(static_cast<size_t>(frames) * channels);
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      v[static_cast<size_t>(i) * channels + c] = static_cast<int16_t>(
          std::lround(20000 * std::sin(2 * M_PI * (2000.0 + 8000.0 * i / frames) * i / kRate)));
  return v;
}

SoundSource Source(const std::vector<int16_t>& v, int channels) {
  SoundSource s;
  s.samples = reinterpret_cast<const uint8_t*>(v.data());
  s.channels = channels;
  s.frameCount = static_cast<int32_t>(v.size() / channels);
  s.rateHz = kRate;
  return s;
}

AnalysisSettings Combined() {
  AnalysisSettings s;
  s.oscillogramShown = 1;
  s.spectrogramShown = 1;
  s.colorBar = 0;
  s.timePerPlotUs = 1000000;
  return s;
}

int Col(const PlotSetup& p, int64_t sample) {
  return static_cast<int>(std::lround(p.SampleToX(static_cast<int32_t>(sample)) * 1000.0 /
                                      p.scale().unitsPer1000Pixels));
}
int Row(const PlotSetup& p, double y, int32_t shift = 0) {
  return static_cast<int>(std::lround(-(y - shift) * 1000.0 / p.scale().unitsPer1000Pixels));
}

CursorRecord Marking(int32_t position, int32_t channel = 1) {
  CursorRecord c;
  c.position = position;
  c.channel = channel;
  c.kind = CursorKind::Marking;
  return c;
}

// Counts the pixels of column x in rows [y0, y1) that differ between a and b.
int Differing(const QImage& a, const QImage& b, int x, int y0, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y) n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

struct Fixture {
  std::vector<int16_t> samples;
  AnalysisSettings settings = Combined();
  SoundPlot plot;
  Fixture(int channels = 1, int w = 800, int h = 600) : samples(Chirp(kRate, channels)) {
    plot.SetSound(Source(samples, channels));
    plot.SetSettings(&settings);
    plot.resize(w, h);
    plot.Recompute();
  }
};

TEST(SelectionDrawing, MarkingSelectionInvertsTheStretchInEveryDiagram) {
  Fixture f;
  const QImage bare = f.plot.Grab().copy();
  // As a drag leaves it: the cursor at the start, the selection from there.
  f.plot.SetCursor(Marking(10000));
  f.plot.SetSelection(Marking(10000), Marking(20000));
  const QImage sel = f.plot.Grab().copy();
  const PlotSetup& p = f.plot.Setup();
  const PlotLayout& l = p.layout;
  for (const PlotRect& r : {l.osc, l.spect}) {
    const int y0 = Row(p, r.top) + 1, y1 = Row(p, r.bottom) - 1;
    // Every pixel of a column inside the stretch is inverted ...
    for (int64_t s : {11000, 15000, 19000}) {
      const int x = Col(p, s);
      EXPECT_EQ(Differing(bare, sel, x, y0, y1), y1 - y0) << s;
      const QRgb was = bare.pixel(x, (y0 + y1) / 2);
      EXPECT_EQ(sel.pixel(x, (y0 + y1) / 2) & 0xFFFFFF, ~was & 0xFFFFFF);
    }
    // ... and none outside it.
    for (int64_t s : {2000, 9000, 21000, 40000})
      EXPECT_EQ(Differing(bare, sel, Col(p, s), y0, y1), 0) << s;
  }
  // Drawing the selection twice by inversion leaves the picture.
  QImage twice = sel.copy();
  {
    QPainter painter(&twice);
    PlotRenderer r;
    r.Prepare(p, 96);
    r.DrawSelection(painter, f.plot.SelectionStart(), f.plot.SelectionEnd());
    r.DrawCursor(painter, f.plot.Cursor());
  }
  EXPECT_EQ(twice, bare);
}

TEST(SelectionDrawing, NarrowSelectionIsTwoPixelsWide) {
  Fixture f;
  const QImage bare = f.plot.Grab().copy();
  f.plot.SetSelection(Marking(10000), Marking(10001));
  const QImage sel = f.plot.Grab();
  const PlotSetup& p = f.plot.Setup();
  const int y = Row(p, (p.layout.osc.top + p.layout.osc.bottom) / 2);
  int columns = 0;
  for (int x = 0; x < sel.width(); ++x) columns += sel.pixel(x, y) != bare.pixel(x, y);
  EXPECT_GE(columns, 2);
  EXPECT_LE(columns, 3);
}

TEST(SelectionDrawing, MeasuringSelectionIsTheBoxBetweenItsValues) {
  Fixture f;
  const QImage bare = f.plot.Grab().copy();
  CursorRecord a = Marking(10000), b = Marking(20000);
  a.kind = b.kind = CursorKind::Measurement;
  a.inSpectrogram = b.inSpectrogram = true;
  a.value = 12000;
  b.value = 6000;
  f.plot.SetCursor(a);
  f.plot.SetSelection(a, b);
  const QImage sel = f.plot.Grab().copy();
  const PlotSetup& p = f.plot.Setup();
  const int x = Col(p, 15000);
  const int top = Row(p, p.FrequencyToY(12000)), bottom = Row(p, p.FrequencyToY(6000));
  EXPECT_EQ(Differing(bare, sel, x, top + 1, bottom - 1), bottom - top - 2);
  // Above and below the box, and in the oscillogram, nothing changes.
  EXPECT_EQ(Differing(bare, sel, x, Row(p, p.layout.spect.top) + 1, top - 1), 0);
  EXPECT_EQ(Differing(bare, sel, x, bottom + 1, Row(p, p.layout.spect.bottom) - 1), 0);
  EXPECT_EQ(Differing(bare, sel, x, Row(p, p.layout.osc.top) + 1, Row(p, p.layout.osc.bottom) - 1), 0);
  // The same in the oscillogram between two amplitudes.
  a.inSpectrogram = b.inSpectrogram = false;
  a.value = 5000;
  b.value = -2500;
  f.plot.SetCursor(a);
  f.plot.SetSelection(a, b);
  const QImage osc = f.plot.Grab().copy();
  const int otop = Row(p, p.AmplitudeToY(5000)), obottom = Row(p, p.AmplitudeToY(-2500));
  EXPECT_EQ(Differing(bare, osc, x, otop + 1, obottom - 1), obottom - otop - 2);
  EXPECT_EQ(Differing(bare, osc, x, Row(p, p.layout.spect.top) + 1, Row(p, p.layout.spect.bottom) - 1), 0);
}

TEST(SelectionDrawing, StereoSelectionInOneStripOrBoth) {
  Fixture f(2, 800, 700);
  const PlotSetup& p = f.plot.Setup();
  ASSERT_TRUE(p.bothChannels);
  const int32_t shift = p.layout.channelShift;
  const QImage bare = f.plot.Grab().copy();
  const int x = Col(p, 15000);
  auto rows = [&](const PlotRect& r, int32_t sh) {
    return std::pair<int, int>(Row(p, r.top, sh) + 1, Row(p, r.bottom, sh) - 1);
  };
  for (int32_t channel : {1, 2, 3}) {
    f.plot.SetSelection(Marking(10000, channel), Marking(20000, channel));
    const QImage sel = f.plot.Grab().copy();
    for (int strip : {0, 1}) {
      const bool covered = channel == 3 || channel == strip + 1;
      for (const PlotRect& r : {p.layout.osc, p.layout.spect}) {
        const auto [y0, y1] = rows(r, strip ? shift : 0);
        EXPECT_EQ(Differing(bare, sel, x, y0, y1), covered ? y1 - y0 : 0)
            << "channel " << channel << " strip " << strip;
      }
    }
  }
  // A stereo marking selection (kind 6) covers both strips too.
  CursorRecord a = Marking(10000, 3), b = Marking(20000, 3);
  a.kind = b.kind = CursorKind::MarkingStereo;
  f.plot.SetSelection(a, b);
  const QImage both = f.plot.Grab().copy();
  const auto [y0, y1] = rows(p.layout.spect, shift);
  EXPECT_EQ(Differing(bare, both, x, y0, y1), y1 - y0);
}

// After scrolling, zooming or a repaint of a part, the picture equals that of
// a plot drawn afresh with the same state: no trace of an old selection is
// left and none cancels itself.
TEST(SelectionDrawing, ScrollZoomAndPartialRepaintsLeaveNoTrace) {
  Fixture moved;
  moved.plot.SetCursor(Marking(10000));
  moved.plot.SetSelection(Marking(10000), Marking(20000));
  (void)moved.plot.Grab();
  moved.plot.SetFirstSample(4000);
  moved.plot.SetSelection(Marking(10000), Marking(24000));
  moved.settings.timePerPlotUs = 800000;
  moved.plot.Recompute();
  moved.plot.SetFirstSample(3000);
  const QImage afterMoves = moved.plot.Grab().copy();

  Fixture fresh;
  fresh.settings.timePerPlotUs = 800000;
  fresh.plot.Recompute();
  fresh.plot.SetFirstSample(3000);
  fresh.plot.SetCursor(Marking(10000));
  fresh.plot.SetSelection(Marking(10000), Marking(24000));
  const QImage expected = fresh.plot.Grab().copy();
  EXPECT_EQ(afterMoves, expected);

  // A repaint of parts of the widget (as an uncovered window gets) shows
  // those parts of the same picture, selection included.
  QImage parts(moved.plot.size(), QImage::Format_ARGB32_Premultiplied);
  parts.fill(Qt::magenta);
  const PlotSetup& p = moved.plot.Setup();
  const QRect left(0, 0, Col(p, 17000), moved.plot.height());
  const QRect right(left.right() + 1, 0, moved.plot.width() - left.width(), moved.plot.height());
  moved.plot.render(&parts, left.topLeft(), QRegion(left));
  moved.plot.render(&parts, right.topLeft(), QRegion(right));
  EXPECT_EQ(parts.convertToFormat(expected.format()), expected);
  // And twice over the same part changes nothing.
  moved.plot.render(&parts, left.topLeft(), QRegion(left));
  EXPECT_EQ(parts.convertToFormat(expected.format()), expected);
}

}  // namespace
}  // namespace nv
