#include <gtest/gtest.h>

#include "views/CursorMode.h"
#include "views/SpanTable.h"
#include "views/ViewNavigator.h"

namespace nv {
namespace {

TEST(SpanTable, StepsThroughTheStandardSpans) {
  EXPECT_EQ(NextSmallerSpanUs(15000000), 10000000);
  EXPECT_EQ(NextSmallerSpanUs(14000000), 10000000);
  EXPECT_EQ(NextSmallerSpanUs(1), 1);
  EXPECT_EQ(NextLargerSpanUs(1), 2);
  EXPECT_EQ(NextLargerSpanUs(1200000000), 1200000000);
  EXPECT_EQ(NextLargerSpanUs(7000), 10000);
}

TEST(ZoomHistory, KeepsTwentyNineEntriesDroppingTheOldest) {
  ZoomHistory h;
  EXPECT_EQ(h.Top(), -1);
  for (int i = 0; i < 30; ++i) h.Push(ZoomEntry{i, 0, 0, 0, 0});
  EXPECT_EQ(h.Size(), 29);
  EXPECT_EQ(h.At(0).spanUs, 1);
  EXPECT_EQ(h.Pop()->spanUs, 29);
}

struct Nav : ::testing::Test {
  AnalysisSettings s;
  ViewNavigator nav{&s};
};

TEST_F(Nav, ZoomInFromOneMicrosecondStaysAtOne) {
  s.timePerPlotUs = 1;
  nav.ZoomIn(nullptr, 0, 0);
  EXPECT_EQ(s.timePerPlotUs, 1);
}

TEST_F(Nav, ZoomOutFromTwentyMinutesStays) {
  s.timePerPlotUs = 1200000000;
  nav.ZoomOut(0, 10);
  EXPECT_EQ(s.timePerPlotUs, 1200000000);
}

TEST_F(Nav, ThirtyInThirtyOut) {
  s.timePerPlotUs = 1200000000;
  std::vector<int64_t> spans;
  for (int i = 0; i < 30; ++i) {
    spans.push_back(s.timePerPlotUs);
    nav.ZoomIn(nullptr, 0, 100);
  }
  EXPECT_EQ(s.timePerPlotUs, 1);
  // The first 29 Zoom Out steps restore history entries: the spans before
  // Zoom In steps 30 down to 2.
  for (int i = 0; i < 29; ++i) {
    nav.ZoomOut(0, 100);
    EXPECT_EQ(s.timePerPlotUs, spans[29 - i]) << i;
  }
  EXPECT_TRUE(nav.History().Empty());
  // The 30th takes the next larger standard span.
  const int64_t before = s.timePerPlotUs;
  nav.ZoomOut(0, 100);
  EXPECT_EQ(s.timePerPlotUs, NextLargerSpanUs(before));
}

TEST_F(Nav, ZoomInOnMeasuringSpectrogramSelectionSetsFrequencies) {
  ZoomSelection sel{1000, 3000, 1000000, 3000000, true, true, 45000, 20000};
  nav.ZoomIn(&sel, 0, 0);
  EXPECT_EQ(s.timePerPlotUs, 2000);
  EXPECT_EQ(s.firstVisibleSample, 1000);
  EXPECT_EQ(s.maxFrequencyHz, 45000);
  EXPECT_EQ(s.minFrequencyHz, 20000);
  EXPECT_EQ(s.maxAmplitude, 10000);
}

TEST_F(Nav, ZoomInOnMarkingSelectionKeepsRanges) {
  s.maxFrequencyHz = 100000;
  ZoomSelection sel{10, 20, 0, 5000000, false, false, 0, 0};
  nav.ZoomIn(&sel, 0, 0);
  EXPECT_EQ(s.timePerPlotUs, 5000);
  EXPECT_EQ(s.maxFrequencyHz, 100000);
  EXPECT_EQ(s.minAmplitude, -10000);
}

TEST_F(Nav, ZoomEntireAndDefaultZoom) {
  s.timePerPlotUs = 5000;
  s.maxAmplitude = 5000;
  nav.TakeDefaults();
  nav.ZoomEntire(1000000);
  EXPECT_EQ(s.timePerPlotUs, 1000000);
  EXPECT_EQ(s.maxAmplitude, 10000);
  EXPECT_EQ(s.minAmplitude, -10000);
  EXPECT_EQ(s.firstVisibleSample, 0);
  nav.DefaultZoom();
  EXPECT_EQ(s.timePerPlotUs, 5000);
  EXPECT_EQ(s.maxAmplitude, 5000);
  EXPECT_EQ(nav.History().Size(), 2);
}

TEST_F(Nav, RescaleAfterTimeExpansionAndRateChanges) {
  s.timePerPlotUs = 100000;
  s.maxFrequencyHz = 20000;
  s.minFrequencyHz = -1;
  s.firstVisibleSample = 5000;
  nav.SetKnown(44100, 1000);
  nav.ZoomIn(nullptr, 5000, 9410);
  EXPECT_TRUE(nav.Rescale(44100, 10000));
  EXPECT_EQ(s.maxFrequencyHz, 200000);
  EXPECT_EQ(s.minFrequencyHz, -1);
  EXPECT_EQ(s.timePerPlotUs, 5000);
  EXPECT_EQ(nav.History().At(0).upperHz, 200000);
  EXPECT_EQ(s.firstVisibleSample, 5000);  // the samples are unchanged
  EXPECT_TRUE(nav.Rescale(88200, 10000));
  EXPECT_EQ(s.maxFrequencyHz, 400000);
  EXPECT_EQ(s.timePerPlotUs, 2500);
  EXPECT_FALSE(nav.Rescale(88200, 10000));
}

TEST(CursorMode, StereoMarkingFallsBackOnMono) {
  EXPECT_EQ(ModeOnActivation(CursorMode::MarkingStereo, 1), CursorMode::Marking);
  EXPECT_EQ(ModeOnActivation(CursorMode::MarkingStereo, 2), CursorMode::MarkingStereo);
  EXPECT_EQ(ModeOnActivation(CursorMode::Measurement, 1), CursorMode::Measurement);
}

TEST(CursorMode, ThreePixelRule) {
  EXPECT_TRUE(DragIsClick(100, 102));
  EXPECT_TRUE(DragIsClick(100, 98));
  EXPECT_FALSE(DragIsClick(100, 103));
  EXPECT_FALSE(DragIsClick(100, 97));
}

TEST(CursorMode, FormatText) {
  EXPECT_EQ(FormatStatusText(1, 16, 44100, 1000), "Mono, 16 bits, 44100 Hz.");
  EXPECT_EQ(FormatStatusText(2, 8, 22050, 10000), "Stereo, 8 bits, 22050 Hz, Time exp 10.00.");
}

// A sound shorter than the span opens fitted to the window, only when
// fitting is on and the sound is not empty; Fit to Window shows the whole
// sound from its start, keeps the ranges and can be undone by Zoom Out.
TEST_F(Nav, FitsShortSoundsAndFitToWindow) {
  EXPECT_TRUE(ViewNavigator::FitsOnOpening(true, 500000, 15000000));
  EXPECT_FALSE(ViewNavigator::FitsOnOpening(false, 500000, 15000000));
  EXPECT_FALSE(ViewNavigator::FitsOnOpening(true, 0, 15000000));
  EXPECT_FALSE(ViewNavigator::FitsOnOpening(true, 15000000, 15000000));
  EXPECT_FALSE(ViewNavigator::FitsOnOpening(true, 60000000, 15000000));
  s.timePerPlotUs = 15000000;
  s.firstVisibleSample = 4000;
  s.maxFrequencyHz = 120000;
  s.minFrequencyHz = 15000;
  s.maxAmplitude = 5000;
  s.minAmplitude = -2500;
  nav.FitToSound(500000, false);
  EXPECT_EQ(s.timePerPlotUs, 500000);
  EXPECT_EQ(s.firstVisibleSample, 0);
  EXPECT_EQ(s.lastVisibleSample, -1);
  EXPECT_TRUE(nav.History().Empty());
  EXPECT_EQ(s.maxFrequencyHz, 120000);
  EXPECT_EQ(s.minAmplitude, -2500);
  s.timePerPlotUs = 20000;
  nav.FitToSound(500000, true);
  EXPECT_EQ(s.timePerPlotUs, 500000);
  nav.ZoomOut(0, 100);
  EXPECT_EQ(s.timePerPlotUs, 20000);
  EXPECT_EQ(s.maxFrequencyHz, 120000);
}

// Ctrl+wheel: smooth steps of 1.25 per notch around the sample under the
// mouse, which stays at its place on the plot; in and out again comes back;
// one history entry per gesture, so Zoom Out returns to where the gesture
// began; never below 1 microsecond, never out past the sound's duration.
TEST_F(Nav, WheelZoomKeepsTheSampleUnderTheMouse) {
  const int64_t rate = 384000;
  auto pageOf = [&](int64_t spanUs) { return spanUs * rate / 1000000; };
  for (int64_t anchorAt : {0, 1, 37, 50, 99, 100}) {
    nav.History().Clear();
    s.timePerPlotUs = 100000;
    s.firstVisibleSample = 200000;
    const int64_t page = pageOf(s.timePerPlotUs);
    const int64_t anchor = s.firstVisibleSample + page * anchorAt / 100;
    ASSERT_TRUE(nav.WheelZoom(1, anchor, s.firstVisibleSample, page, 10000000, true));
    EXPECT_EQ(s.timePerPlotUs, 80000);
    const int64_t page2 = pageOf(s.timePerPlotUs);
    // The anchor's fraction of the width is kept (to a sample).
    EXPECT_NEAR(static_cast<double>(anchor - s.firstVisibleSample) / page2, anchorAt / 100.0, 2.0 / page2);
    for (int i = 0; i < 5; ++i)
      ASSERT_TRUE(nav.WheelZoom(0.5, anchor, s.firstVisibleSample, pageOf(s.timePerPlotUs), 10000000, false));
    EXPECT_EQ(nav.History().Size(), 1);
    // Out by the same turn comes back to the same stretch.
    for (int i = 0; i < 7; ++i)
      ASSERT_TRUE(nav.WheelZoom(-0.5, anchor, s.firstVisibleSample, pageOf(s.timePerPlotUs), 10000000, false));
    EXPECT_NEAR(s.timePerPlotUs, 100000, 3);
    EXPECT_NEAR(s.firstVisibleSample, 200000, 3);
    // Zoom Out goes back to before the gesture.
    s.timePerPlotUs = 3000;
    nav.ZoomOut(0, 100);
    EXPECT_EQ(s.timePerPlotUs, 100000);
  }
  // The limits.
  s.timePerPlotUs = 2;
  EXPECT_TRUE(nav.WheelZoom(10, 0, 0, 1, 500000, true));
  EXPECT_EQ(s.timePerPlotUs, 1);
  EXPECT_FALSE(nav.WheelZoom(3, 0, 0, 1, 500000, true));
  EXPECT_EQ(s.timePerPlotUs, 1);
  s.timePerPlotUs = 400000;
  EXPECT_TRUE(nav.WheelZoom(-10, 100, 0, 200, 500000, false));
  EXPECT_EQ(s.timePerPlotUs, 500000);
  EXPECT_EQ(s.firstVisibleSample, 0);
  const int before = nav.History().Size();
  EXPECT_FALSE(nav.WheelZoom(-1, 100, 0, 200, 500000, true));
  EXPECT_EQ(nav.History().Size(), before);
  // A view already showing more than the sound is not zoomed further out.
  s.timePerPlotUs = 15000000;
  EXPECT_FALSE(nav.WheelZoom(-1, 0, 0, 200, 500000, true));
  EXPECT_EQ(s.timePerPlotUs, 15000000);
}

}  // namespace
}  // namespace nv
