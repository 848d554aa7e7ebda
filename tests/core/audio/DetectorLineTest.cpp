// The detector line: where it starts, how the arrow keys move it, its status
// text, and the mode that holds it.
#include <gtest/gtest.h>

#include "audio/DetectorLine.h"
#include "audio/DetectorMode.h"

namespace nv {
namespace {

DetectorPlacement At(int64_t effectiveRate, int32_t selectionStart, int32_t cursorPos, int32_t cursorValue,
                     bool inSpectrogram, int32_t firstVisible) {
  DetectorPlacement p;
  p.effectiveRateHz = effectiveRate;
  p.selectionStart = selectionStart;
  p.cursor.position = cursorPos;
  p.cursor.value = cursorValue;
  p.cursor.inSpectrogram = inSpectrogram;
  p.firstVisibleSample = firstVisible;
  return p;
}

TEST(DetectorLine, StartingPlaceAndFrequency) {
  // No selection, no cursor: the first visible sample, a quarter of the rate.
  CursorRecord l = PlaceDetectorLine(At(44100, -1, -1, 0, false, 1234));
  EXPECT_EQ(l.position, 1234);
  EXPECT_EQ(l.value, 11025);
  EXPECT_TRUE(l.inSpectrogram);
  // A time-expanded sound: a quarter of the effective (real) rate.
  EXPECT_EQ(PlaceDetectorLine(At(441000, -1, -1, 0, false, 0)).value, 110250);
  // A selection: its start, the quarter rate even when a cursor has a frequency.
  l = PlaceDetectorLine(At(44100, 500, 800, 9000, true, 0));
  EXPECT_EQ(l.position, 500);
  EXPECT_EQ(l.value, 11025);
  // A cursor in the spectrogram: its place and its frequency.
  l = PlaceDetectorLine(At(44100, -1, 800, 9000, true, 0));
  EXPECT_EQ(l.position, 800);
  EXPECT_EQ(l.value, 9000);
  // The cursor's frequency only from 1 Hz to the Nyquist frequency, and only
  // when it is a frequency: a marking cursor (value 0) or an amplitude keeps
  // the quarter rate.
  EXPECT_EQ(PlaceDetectorLine(At(44100, -1, 800, 0, false, 0)).value, 11025);
  EXPECT_EQ(PlaceDetectorLine(At(44100, -1, 800, 5000, false, 0)).value, 11025);
  EXPECT_EQ(PlaceDetectorLine(At(44100, -1, 800, 30000, true, 0)).value, 11025);
  EXPECT_EQ(PlaceDetectorLine(At(44100, -1, 800, 22050, true, 0)).value, 22050);
  // A cursor at a position beyond a quarter of the rate still gives its frequency.
  EXPECT_EQ(PlaceDetectorLine(At(44100, -1, 400000, 7000, true, 0)).value, 7000);
  // A negative position becomes 0.
  EXPECT_EQ(PlaceDetectorLine(At(44100, -1, -1, 0, false, -20)).position, 0);
}

PlotSetup Plot() {
  PlotSetup s;
  s.hasDocument = true;
  s.spectShown = true;
  s.spect.effectiveRateHz = 44100;
  s.spect.minFrequencyHz = 0;
  s.spect.maxFrequencyHz = 22050;
  s.spect.samplesPerPlot = 44100;
  s.spect.firstVisibleSample = 1000;
  s.spect.lastVisibleSample = 45100;
  s.spect.scale.unitsPerPixel = 15;
  s.layout.plotWidth = 15 * 441;  // 441 pixels: 100 samples a pixel
  s.layout.spect.top = 15 * 500;  // 500 pixels of spectrogram: 44.1 Hz a pixel
  s.layout.spect.bottom = 0;
  s.readoutCode = 8;               // milliseconds, one decimal
  s.freq.khzFormat = "%1.2f kHz";
  return s;
}

TEST(DetectorLine, UpDownMoveTwoPixelStepsInsideThePlot) {
  const PlotSetup s = Plot();
  CursorRecord l;
  l.position = 2000;
  l.value = 10000;
  EXPECT_TRUE(StepDetectorFrequency(s, l, +1));
  EXPECT_EQ(l.value, 10088);  // 2 x 22050 x 15 / 7500 = 2 x 44
  EXPECT_TRUE(StepDetectorFrequency(s, l, -1));
  EXPECT_TRUE(StepDetectorFrequency(s, l, -1));
  EXPECT_EQ(l.value, 9912);
  // Refused outside the plot's frequency range.
  l.value = 22000;
  EXPECT_FALSE(StepDetectorFrequency(s, l, +1));
  EXPECT_EQ(l.value, 22000);
  l.value = 50;
  EXPECT_FALSE(StepDetectorFrequency(s, l, -1));
  EXPECT_EQ(l.value, 50);
  // A narrow frequency range still moves by 2 Hz.
  PlotSetup narrow = s;
  narrow.spect.minFrequencyHz = 20000;
  narrow.spect.maxFrequencyHz = 20100;
  l.value = 20050;
  EXPECT_TRUE(StepDetectorFrequency(narrow, l, +1));
  EXPECT_EQ(l.value, 20052);
  // No spectrogram shown: nothing to move in.
  PlotSetup osc = s;
  osc.spectShown = false;
  EXPECT_FALSE(StepDetectorFrequency(osc, l, +1));
}

TEST(DetectorLine, LeftRightMoveOnePixelInTime) {
  const PlotSetup s = Plot();
  CursorRecord l;
  l.position = 2000;
  l.value = 10000;
  EXPECT_TRUE(StepDetectorPosition(s, 100000, l, +1));
  EXPECT_EQ(l.position, 2100);
  EXPECT_TRUE(StepDetectorPosition(s, 100000, l, -1));
  EXPECT_EQ(l.position, 2000);
  l.position = 1050;
  EXPECT_FALSE(StepDetectorPosition(s, 100000, l, -1));  // before the first visible sample
  EXPECT_EQ(l.position, 1050);
  l.position = 45050;
  EXPECT_FALSE(StepDetectorPosition(s, 100000, l, +1));  // after the last visible one
  l.position = 40000;
  EXPECT_FALSE(StepDetectorPosition(s, 40050, l, +1));   // after the sound's end
}

TEST(DetectorLine, StatusText) {
  const PlotSetup s = Plot();
  CursorRecord l;
  l.position = 22050;  // 500 ms at 44 100 Hz
  l.value = 40000;
  EXPECT_EQ(DetectorStatusText(s, l), "Detector: 500.0 ms 40.00 kHz");
  l.position = -1;
  EXPECT_EQ(DetectorStatusText(s, l), "");
}

TEST(DetectorMode, SwitchingOnPlacesTheLineAndOffRemovesIt) {
  const PlotSetup s = Plot();
  DetectorMode m;
  EXPECT_FALSE(m.IsOn());
  EXPECT_EQ(m.Line().position, -1);
  EXPECT_EQ(m.StatusText(s), "");
  DetectorSettings settings;
  settings.speedFactor = 25;
  m.SwitchOn(settings, At(44000, -1, -1, 0, false, 2205));
  EXPECT_TRUE(m.IsOn());
  EXPECT_EQ(m.Settings().speedFactor, 25);
  EXPECT_EQ(m.Line().position, 2205);
  EXPECT_EQ(m.StatusText(s), "Detector: 50.0 ms 11.00 kHz");
  // Switching off while nothing plays removes the line and its status text.
  m.SwitchOff();
  EXPECT_FALSE(m.IsOn());
  EXPECT_EQ(m.Line().position, -1);
  EXPECT_EQ(m.StatusText(s), "");
}

TEST(DetectorMode, FilterCommandEditsTheDetectorsFilterWhileOn) {
  FilterDescription command, detector;
  DetectorMode m;
  EXPECT_EQ(&m.FilterToEdit(command, detector), &command);
  EXPECT_FALSE(m.FilterCommandEnabled(false));
  EXPECT_TRUE(m.FilterCommandEnabled(true));
  m.SwitchOn(DetectorSettings{}, At(44100, -1, -1, 0, false, 0));
  EXPECT_EQ(&m.FilterToEdit(command, detector), &detector);
  EXPECT_TRUE(m.FilterCommandEnabled(false));
}

}  // namespace
}  // namespace nv
