// The power window's set-up, range rules, updates from the view, texts,
// readout and exports, without a window.
#include <gtest/gtest.h>

#include <cstdio>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/PowerExport.h"
#include "analysis/PowerLayout.h"
#include "analysis/PowerSettingsCheck.h"
#include "analysis/PowerSetup.h"
#include "analysis/PowerWindowModel.h"
#include "base/SampleSource.h"
#include "TestSupport.h"

namespace nv {
namespace {

PowerSoundFormat Mono(int64_t rate = 44100, int32_t expansion = 1000) {
  return PowerSoundFormat{1, 16, rate, expansion};
}
PowerSoundFormat Stereo(int64_t rate = 44100) { return PowerSoundFormat{2, 16, rate, 1000}; }
// A 520 x 220 pixel window at 15 twips a pixel.
PowerLayout Layout() { return MakePowerLayout(520 * 15, 180 * 15, 15); }

TEST(PowerWindowModel, OpeningRangeAndFollowCursor) {
  PowerSettings s;
  s.fftSize = 0;
  PowerWindowModel cursor(s, 500, 500);
  EXPECT_EQ(cursor.Settings().fftSize, 1024);  // 0 becomes 1024 on construction
  EXPECT_EQ(cursor.End(), 1524);
  EXPECT_TRUE(cursor.FollowCursor());
  PowerWindowModel selection(s, 100, 5000);
  EXPECT_FALSE(selection.FollowCursor());
  // A selection shorter than N is extended to N from its start.
  PowerWindowModel shortSel(s, 100, 300);
  shortSel.SetUp(Mono(), Layout());
  EXPECT_EQ(shortSel.End(), 1124);
}

TEST(PowerWindowModel, UpdatesFromTheView) {
  PowerSettings s;
  s.fftSize = 256;
  s.contUpdate = 0;
  PowerWindowModel w(s, 0, 256);
  // Continuous update off: only a forced update recomputes, with the old range.
  EXPECT_FALSE(w.Update(1000, 5000, true, false, false));
  EXPECT_TRUE(w.Update(1000, 5000, true, false, true));
  EXPECT_EQ(w.Start(), 0);
  EXPECT_EQ(w.End(), 256);
  // Neither selection nor cursor: only force.
  w.Settings().contUpdate = 1;
  EXPECT_FALSE(w.Update(-1, -1, true, true, false));
  EXPECT_TRUE(w.Update(-1, -1, true, true, true));
  EXPECT_EQ(w.Start(), 0);
  // A selection longer than N leaves follow-cursor mode; a cursor enters it.
  EXPECT_TRUE(w.Update(1000, 5000, false, true, false));
  EXPECT_FALSE(w.FollowCursor());
  EXPECT_EQ(w.Start(), 1000);
  EXPECT_EQ(w.End(), 5000);
  EXPECT_EQ(w.Settings().rightChannel, 1);
  EXPECT_EQ(w.Settings().leftChannel, 0);
  EXPECT_TRUE(w.Update(7000, PowerWindowModel::kNone, true, true, false));
  EXPECT_TRUE(w.FollowCursor());
  EXPECT_EQ(w.End(), 7256);
  // A range not longer than N leaves the mode as it was.
  EXPECT_TRUE(w.Update(8000, 8100, true, true, false));
  EXPECT_TRUE(w.FollowCursor());
}

// A new FFT size changes the analysed range as a new window with that size
// would have it: one frame at the cursor, or the selection extended to at
// least one frame; the interval text follows.
TEST(PowerWindowModel, ANewFftSizeResizesTheAnalysedRange) {
  auto text = [](int64_t a, int64_t b) {
    return PowerWindowModel::IntervalText(a * 1000000 / 44100, b * 1000000 / 44100);
  };
  PowerSettings s;
  s.fftSize = 2048;
  PowerWindowModel cursor(s, 1000, 1000);
  cursor.SetUp(Mono(), Layout());
  EXPECT_EQ(cursor.End(), 3048);
  for (int n : {512, 16384, 64, 1024}) {
    cursor.Settings().fftSize = n;
    cursor.SetUp(Mono(), Layout());
    EXPECT_TRUE(cursor.FollowCursor());
    EXPECT_EQ(cursor.End(), 1000 + n) << n;
    EXPECT_EQ(cursor.IntervalText(), text(1000, 1000 + n)) << n;
  }
  // Automatic: the size of the plot's width.
  cursor.Settings().fftSize = 0;
  cursor.SetUp(Mono(), MakePowerLayout(100 * 15, 180 * 15, 15));
  EXPECT_EQ(cursor.End(), 1000 + cursor.Setup().n);
  EXPECT_LT(cursor.Setup().n, 1024);

  // A selection of 600 frames: extended to a frame, and back to itself.
  PowerWindowModel shortSel(s, 0, 600);
  for (int n : {1024, 256, 2048, 512}) {
    shortSel.Settings().fftSize = n;
    shortSel.SetUp(Mono(), Layout());
    EXPECT_EQ(shortSel.End(), std::max(600, n)) << n;
    EXPECT_EQ(shortSel.IntervalText(), text(0, std::max(600, n))) << n;
  }
  // A selection longer than any frame keeps its end.
  PowerWindowModel longSel(s, 0, 40000);
  for (int n : {16384, 64}) {
    longSel.Settings().fftSize = n;
    longSel.SetUp(Mono(), Layout());
    EXPECT_EQ(longSel.End(), 40000);
  }
}

TEST(PowerWindowModel, ChannelRulesAndTitle) {
  PowerSettings s;
  s.fftSize = 2048;
  s.window = StoredNumber(WindowCode::Hanning);
  for (auto [l, r] : {std::pair{1, 1}, {0, 0}}) {
    s.leftChannel = static_cast<uint8_t>(l);
    s.rightChannel = static_cast<uint8_t>(r);
    PowerWindowModel w(s, 0, 0);
    w.SetUp(Stereo(), Layout());
    EXPECT_EQ(w.Setup().channel, 0);
    EXPECT_EQ(w.Title(), "Power spectrum, FFT size 2048, Hanning window. - Left channel.");
  }
  s.leftChannel = 0;
  s.rightChannel = 1;
  s.window = StoredNumber(WindowCode::Rectangular);
  PowerWindowModel right(s, 0, 0);
  right.SetUp(Stereo(), Layout());
  EXPECT_EQ(right.Setup().channel, 1);
  EXPECT_EQ(right.Title(), "Power spectrum, FFT size 2048 - Right channel.");
  s.leftChannel = s.rightChannel = 1;
  s.window = StoredNumber(WindowCode::Parzen);
  PowerWindowModel mono(s, 0, 0);
  mono.SetUp(Mono(), Layout());
  EXPECT_EQ(mono.Title(), "Power spectrum, FFT size 2048, Parzen window");
  EXPECT_EQ(mono.Settings().leftChannel, 0);
  EXPECT_EQ(mono.Setup().bytesPerFrame, 2);
}

TEST(PowerWindowModel, SetUpRules) {
  // Automatic FFT size from the plot width in pixels.
  EXPECT_EQ(AutoPowerFftSize(63), 64);
  EXPECT_EQ(AutoPowerFftSize(64), 128);
  EXPECT_EQ(AutoPowerFftSize(96), 256);
  EXPECT_EQ(AutoPowerFftSize(192), 512);
  EXPECT_EQ(AutoPowerFftSize(761), 1024);
  EXPECT_EQ(AutoPowerFftSize(762), 2048);
  PowerSettings s;
  s.fftSize = 0;
  PowerSetup p = MakePowerSetup(s, Mono(), Layout());
  EXPECT_EQ(p.n, AutoPowerFftSize(Layout().PlotWidthPixels()));
  // Layout: margins in twips with y upwards.
  const PowerLayout l = Layout();
  EXPECT_EQ(l.plotLeft, 5 * 15 + 4 * 8 * 20);
  EXPECT_EQ(l.widthTw - l.PlotRight(), 6 * 20);
  EXPECT_EQ(l.heightTw - l.PlotTop(), 7 * 20);
  EXPECT_EQ(l.penWidth, 20);
  EXPECT_EQ(MakePowerLayout(1000, 1000, 30).penWidth, 30);
  // Level formats.
  s.logScale = 1;
  s.zeroDb = -120; s.maxDb = 0;
  EXPECT_STREQ(MakePowerSetup(s, Mono(), l).levelFormat, "%2.1f");
  s.zeroDb = -50;
  EXPECT_STREQ(MakePowerSetup(s, Mono(), l).levelFormat, "%2.2f");
  s.zeroDb = -5;
  EXPECT_STREQ(MakePowerSetup(s, Mono(), l).levelFormat, "%2.3f");
  s.logScale = 0;
  s.zeroV = 0; s.maxV = 1;
  EXPECT_STREQ(MakePowerSetup(s, Mono(), l).levelFormat, "%2.2f");
  s.maxV = 0.05;
  EXPECT_STREQ(MakePowerSetup(s, Mono(), l).levelFormat, "%2.3f");
  s.maxV = 0.01;
  EXPECT_STREQ(MakePowerSetup(s, Mono(), l).levelFormat, "%2.4f");
  // Axis steps: 22050 Hz: decade 10000, q 2; 15000: q 1.
  EXPECT_EQ(MakePowerFrequencySteps(22050).major, 10000);
  EXPECT_EQ(MakePowerFrequencySteps(22050).minor, 5000);
  EXPECT_EQ(MakePowerFrequencySteps(15000).major, 5000);
  EXPECT_EQ(MakePowerFrequencySteps(15000).minor, 1000);
  EXPECT_EQ(MakePowerFrequencySteps(70000).major, 30000);
  EXPECT_EQ(MakePowerFrequencySteps(70000).minor, 10000);
}

TEST(PowerWindowModel, FrequencyRangeAndRealFrequencies) {
  PowerSettings s;
  s.fftSize = 1024;
  // Out-of-bounds stored ranges show 0 ... Nyquist.
  for (auto [lo, hi] : {std::pair{0, 30000}, {-5, 10000}, {0, 0}, {12000, 11000}}) {
    s.minFrequencyHz = lo;
    s.maxFrequencyHz = hi;
    PowerSetup p = MakePowerSetup(s, Mono(), Layout());
    EXPECT_EQ(p.freqMin, 0) << lo << " " << hi;
    EXPECT_EQ(p.freqMax, 22050) << lo << " " << hi;
  }
  s.minFrequencyHz = 1000;
  s.maxFrequencyHz = 8000;
  PowerSetup p = MakePowerSetup(s, Mono(), Layout());
  EXPECT_EQ(p.freqMin, 1000);
  EXPECT_EQ(p.freqMax, 8000);
  EXPECT_STREQ(p.freqFormat, "%2.3f");
  // Bins below the range sit on the left edge, those above on the right.
  EXPECT_EQ(p.binX[0], p.layout.plotLeft);
  EXPECT_EQ(p.binX[511], p.layout.PlotRight());
  // A tenfold time-expanded recording at 44.1 kHz shows real frequencies.
  s.minFrequencyHz = 0;
  s.maxFrequencyHz = -1;
  PowerSetup te = MakePowerSetup(s, Mono(44100, 10000), Layout());
  EXPECT_EQ(te.effectiveRateHz, 441000);
  EXPECT_EQ(te.nyquistHz, 220500);
  EXPECT_DOUBLE_EQ(te.binHz[100], 100 * 441000.0 / 1024);
  EXPECT_STREQ(te.freqFormat, "%2.1f");
  // Bin positions increase and stay in the plot.
  for (size_t m = 1; m < te.binX.size(); ++m) {
    EXPECT_GE(te.binX[m], te.binX[m - 1]);
    EXPECT_LE(te.binX[m], te.layout.PlotRight());
  }
}

TEST(PowerWindowModel, CurveAxesAndZeroPowerOnTheBottomEdge) {
  // Silence but for one tone: zero-power bins lie on the bottom edge.
  const int n = 256;
  std::vector<uint8_t> bytes(2 * n);
  for (int i = 0; i < n; ++i) StoreRaw(&bytes[2 * i], 16, static_cast<int>(std::lround(16000 * std::cos(2 * M_PI * 32 * i / n))));
  SampleSource src(bytes.data(), n, 1, 16);
  PowerSettings s;
  s.fftSize = n;
  s.window = StoredNumber(WindowCode::Rectangular);
  PowerWindowModel w(s, 0, n);
  w.SetUp(Mono(), Layout());
  w.Compute(src);
  ASSERT_EQ(w.Levels().size(), 128u);
  const auto curve = w.Curve();
  ASSERT_EQ(curve.size(), 128u);
  EXPECT_EQ(curve[0].x, w.Setup().layout.plotLeft);
  EXPECT_EQ(curve[0].y, w.Setup().layout.plotBottom);
  EXPECT_NEAR(w.Levels()[32], 20 * std::log10(16000.0 / 32768), 1e-3);
  EXPECT_GT(curve[32].y, w.Setup().layout.plotBottom);
  int zeroBins = 0;
  for (size_t m = 1; m < 128; ++m) {
    if (std::isinf(w.Levels()[m])) {
      ++zeroBins;
      EXPECT_EQ(curve[m].y, w.Setup().layout.plotBottom);
    }
  }
  EXPECT_GT(zeroBins, 0);
  // dB labels: 120 dB range, 20 dB steps from the top.
  const auto labels = w.LevelLabels();
  ASSERT_EQ(labels.size(), 7u);
  EXPECT_EQ(labels[0].text, "0 dB");
  EXPECT_EQ(labels[0].y, w.Setup().layout.PlotTop());
  EXPECT_EQ(labels[6].text, "-120 dB");
  // Frequency ticks over 0 ... 22050: labels at 10 and 20 kHz.
  std::vector<std::string> majors;
  for (const auto& t : w.FrequencyTicks())
    if (t.major) majors.push_back(t.text);
  EXPECT_EQ(majors, (std::vector<std::string>{"10 kHz", "20 kHz"}));
  // Linear labels.
  w.Settings().logScale = 0;
  w.Settings().zeroV = 0;
  w.Settings().maxV = 0.05;
  w.SetUp(Mono(), Layout());
  const auto lin = w.LevelLabels();
  ASSERT_FALSE(lin.empty());
  EXPECT_EQ(lin[0].text, "0.050 V\u00b2");
  EXPECT_EQ(lin[1].text, "0.040 V\u00b2");
  // The widest range (0 ... 100 V²) gets a 1-2-5 step with at most eleven
  // labels instead of 501 at 0.2 V².
  w.Settings().maxV = 100;
  w.SetUp(Mono(), Layout());
  const auto wide = w.LevelLabels();
  EXPECT_LE(wide.size(), 11u);
  EXPECT_GE(wide.size(), 5u);
  EXPECT_EQ(wide[0].text, "100.00 V\u00b2");
  EXPECT_EQ(wide.back().text, "0.00 V\u00b2");
}

TEST(PowerWindowModel, IntervalTexts) {
  EXPECT_EQ(PowerWindowModel::IntervalText(0, 30000000), " 0 - 30 s");
  EXPECT_EQ(PowerWindowModel::IntervalText(1000000, 4500000), "1.0 - 4.5 s");
  EXPECT_EQ(PowerWindowModel::IntervalText(100000, 500000), "0.10 - 0.50 s");
  EXPECT_EQ(PowerWindowModel::IntervalText(10000, 50000), "10 - 50 ms");
  EXPECT_EQ(PowerWindowModel::IntervalText(1000, 4500), "1.0 - 4.5 ms");
  EXPECT_EQ(PowerWindowModel::IntervalText(1000, 1300), "1.00 - 1.30 ms");
  EXPECT_EQ(PowerWindowModel::IntervalText(1000, 1200), "1000 - 1200 \u00b5s");
  // Through the document's real time: 1024 frames at 44.1 kHz, tenfold.
  PowerSettings s;
  PowerWindowModel w(s, 44100, 44100 + 1024);
  w.SetUp(Mono(44100, 10000), Layout());
  EXPECT_EQ(w.IntervalText(), "100.0 - 102.3 ms");
}

TEST(PowerWindowModel, ReadoutAndReferencePoint) {
  PowerSettings s;
  s.fftSize = 1024;
  PowerWindowModel w(s, 0, 0);
  w.SetUp(Mono(), Layout());
  const PowerLayout& l = w.Setup().layout;
  EXPECT_EQ(w.ReadoutAt(l.plotLeft - 10, l.plotBottom + 10), "");
  int64_t hz;
  double level;
  EXPECT_FALSE(w.PositionAt(0, 0, hz, level));
  EXPECT_EQ(hz, -1);
  // The middle of the plot: half Nyquist, -60 dB.
  const int x = l.plotLeft + l.plotWidth / 2, y = l.plotBottom + l.plotHeight / 2;
  ASSERT_TRUE(w.PositionAt(x, y, hz, level));
  EXPECT_NEAR(static_cast<double>(hz), 11025, 30);
  EXPECT_NEAR(level, -60000, 300);
  const std::string text = w.ReadoutAt(l.plotLeft, l.plotBottom);
  EXPECT_EQ(text, "0.00 kHz, -120.0 dB ");
  EXPECT_EQ(w.ClickAt(l.plotLeft, l.plotBottom), " 0.00 kHz -120.0 dB");
  EXPECT_TRUE(w.HasReference());
  EXPECT_EQ(w.ReadoutAt(l.plotLeft, l.PlotTop()), "0.00 kHz, 0.0 dB Distance: 0.00 kHz, 120.0 dB");
  w.Settings().logScale = 0;
  w.SetUp(Mono(), Layout());
  w.ClearReference();
  EXPECT_EQ(w.ReadoutAt(l.plotLeft, l.PlotTop()), "0.00 kHz, 1.00 V\u00b2 ");
  EXPECT_EQ(w.ClickAt(l.plotLeft, l.PlotTop()), " 0.00 kHz 1.00 V\u00b2");
  EXPECT_EQ(w.ReadoutAt(l.plotLeft, l.plotBottom), "0.00 kHz, 0.00 V\u00b2 Distance: 0.00 kHz, 1.00 V\u00b2");
}

TEST(PowerWindowModel, ReadoutGivesTheSpectrumsLevelAtTheMousesFrequency) {
  // A tone in bin 32 of 256: wherever the mouse stands vertically, the
  // readout names the curve's level at the mouse's frequency.
  const int n = 256;
  std::vector<uint8_t> bytes(2 * n);
  for (int i = 0; i < n; ++i) StoreRaw(&bytes[2 * i], 16, static_cast<int>(std::lround(16000 * std::cos(2 * M_PI * 32 * i / n))));
  SampleSource src(bytes.data(), n, 1, 16);
  PowerSettings s;
  s.fftSize = n;
  s.window = StoredNumber(WindowCode::Rectangular);
  PowerWindowModel w(s, 0, n);
  w.SetUp(Mono(), Layout());
  const PowerLayout& l = w.Setup().layout;
  // Before a computation there is no spectrum to read.
  EXPECT_EQ(w.ReadoutAt(l.plotLeft, l.plotBottom), "0.00 kHz, -120.0 dB ");
  w.Compute(src);
  const double toneHz = w.Setup().binHz[32];
  const int x = w.FrequencyX(toneHz);
  char expected[32];
  std::snprintf(expected, sizeof expected, "Spectrum: %.1f dB", w.Levels()[32]);
  for (const int y : {l.plotBottom, l.plotBottom + l.plotHeight / 2, l.PlotTop()}) {
    const std::string text = w.ReadoutAt(x, y);
    EXPECT_NE(text.find(expected), std::string::npos) << text;
    EXPECT_EQ(text.rfind("Spectrum: "), text.find("Spectrum: "));
  }
  double level = 0;
  ASSERT_TRUE(w.SpectrumLevelAt(static_cast<int64_t>(toneHz) + 20, level));
  EXPECT_EQ(level, w.Levels()[32]);
  ASSERT_TRUE(w.SpectrumLevelAt(static_cast<int64_t>(w.Setup().binHz[31]) + 10, level));
  EXPECT_EQ(level, w.Levels()[31]);
  // With a reference point the spectrum's level follows the distance.
  w.ClickAt(l.plotLeft, l.plotBottom);
  const std::string withRef = w.ReadoutAt(x, l.PlotTop());
  EXPECT_LT(withRef.find("Distance: "), withRef.find(expected)) << withRef;
  EXPECT_NE(withRef.find(" dB Spectrum: "), std::string::npos) << withRef;
}

TEST(PowerExport, TextBytes) {
  const std::string db = PowerTextExport({0.0, 21.533203125, 43.06640625}, {-3.5, -120.25, 0.0}, true);
  EXPECT_EQ(db, "kHz\tdB\r\n0.000\t-3.500\r\n0.022\t-120.250\r\n0.043\t0.000\r\n");
  const std::string lin = PowerTextExport({0.0, 1500.0}, {0.25, 1e-6}, false);
  EXPECT_EQ(lin, std::string("kHz\tV\xB2\r\n0.000\t0.250\r\n1.500\t0.000\r\n"));
  EXPECT_EQ(static_cast<unsigned char>(lin[5]), 0xB2);
  EXPECT_EQ(lin.find("\xC2"), std::string::npos);
}

TEST(PowerExport, WholeSpectrumExportHasOneRowABin) {
  std::vector<uint8_t> bytes(4096, 0);
  SampleSource src(bytes.data(), 2048, 1, 16);
  PowerSettings s;
  s.fftSize = 512;
  PowerWindowModel w(s, 0, 2048);
  w.SetUp(Mono(), Layout());
  w.Compute(src);
  const std::string t = w.TextExport();
  size_t lines = 0;
  for (size_t i = 0; i + 1 < t.size(); ++i)
    if (t[i] == '\r' && t[i + 1] == '\n') ++lines;
  EXPECT_EQ(lines, 1u + 256u);
  EXPECT_EQ(t.substr(0, 8), "kHz\tdB\r\n");
  EXPECT_EQ(t.substr(8, 12), "0.000\t-inf\r\n");
}

TEST(PowerExport, FileWriteAndFailures) {
  test::ScopedSink sink;
  test::TempDir dir;
  const std::string path = dir.File("spectrum.txt");
  test::WriteFileBytes(path, std::vector<uint8_t>(1000, 'x'));
  ASSERT_TRUE(WritePowerExportFile(path, "kHz\tdB\r\n"));
  EXPECT_EQ(test::ReadFileBytes(path).size(), 8u);  // the old, longer content is gone
  EXPECT_TRUE(sink.texts().empty());
  EXPECT_FALSE(WritePowerExportFile(dir.path.string(), "x"));
  EXPECT_EQ(sink.last().rfind("CANNOT CREATE FILE: ", 0), 0u) << sink.last();
  EXPECT_FALSE(WritePowerExportFile("/dev/full", "kHz\tdB\r\n"));
  EXPECT_EQ(sink.last(), "Error when exporting data to file: No space left on device");
}

TEST(PowerSettingsCheck, MessagesInOrder) {
  PowerSettingsEntry e;
  e.logScale = true;
  e.minLevel = -60;
  e.maxLevel = 0;
  e.minFrequencyHz = 0;
  e.maxFrequencyHz = 22050;
  EXPECT_EQ(PowerSettingsError(e, 22050), "");
  auto with = [&](auto change) {
    PowerSettingsEntry c = e;
    change(c);
    return PowerSettingsError(c, 22050);
  };
  // The first failing rule wins.
  EXPECT_EQ(with([](auto& c) { c.minLevel = 5; c.maxLevel = 3; c.maxFrequencyHz = 99999; }),
            "Zero level must be less than Maximum level.");
  EXPECT_EQ(with([](auto& c) { c.maxLevel = 3; c.minLevel = -200; }),
            "Maximum level must be less than or equal to Zero dB.");
  EXPECT_EQ(with([](auto& c) { c.minLevel = -121; }),
            "Minimum level must be greater than or equal to -120 dB.");
  e.logScale = false;
  e.minLevel = 0;
  e.maxLevel = 1;
  EXPECT_EQ(with([](auto& c) { c.maxLevel = 101; }), "Maximum level must be less than or equal to 100 V\u00b2.");
  EXPECT_EQ(with([](auto& c) { c.maxLevel = 0.005; c.minLevel = -1; }),
            "Maximum level must be greater than or equal to 0.01 V\u00b2.");
  EXPECT_EQ(with([](auto& c) { c.minLevel = -0.5; }), "Minimum level must be greater than or equal to 0 V\u00b2.");
  EXPECT_EQ(with([](auto& c) { c.maxFrequencyHz = 22051; c.minFrequencyHz = 30000; }), "Error: Max frequency > 22050");
  EXPECT_EQ(with([](auto& c) { c.minFrequencyHz = 22050; }), "Error: Min frequency > Max frequency.");
  EXPECT_EQ(with([](auto& c) { c.minFrequencyHz = -1; }), "Error: Min frequency < zero.");
}

TEST(PowerSettingsCheck, StoringAndShowing) {
  test::ScopedSink sink;
  PowerSettings s;
  PowerSettingsEntry e = PowerSettingsEntryOf(s, 22050);
  EXPECT_EQ(e.minFrequencyHz, 0);  // the stored range is invalid: 0 ... Nyquist
  EXPECT_EQ(e.maxFrequencyHz, 22050);
  EXPECT_EQ(e.minLevel, -120);
  e.minLevel = -60.7;
  e.maxLevel = -3.2;
  e.fftSize = PowerFftSizeFromChoice("4096 samples");
  ASSERT_TRUE(ApplyPowerSettings(e, 22050, s));
  EXPECT_EQ(s.zeroDb, -60);
  EXPECT_EQ(s.maxDb, -3);
  EXPECT_EQ(s.fftSize, 4096);
  // Whole dB would make an empty range.
  e.minLevel = -0.5;
  e.maxLevel = 0;
  EXPECT_FALSE(ApplyPowerSettings(e, 22050, s));
  EXPECT_EQ(sink.last(), "Zero level must be less than Maximum level.");
  EXPECT_EQ(s.zeroDb, -60);
  const auto choices = PowerFftSizeChoices();
  ASSERT_EQ(choices.size(), 12u);
  EXPECT_EQ(choices[0], "Automatic");
  EXPECT_EQ(choices[1], "16384 samples");
  EXPECT_EQ(choices[11], "16 samples");
  EXPECT_EQ(PowerFftSizeFromChoice("Automatic"), 0);
  EXPECT_EQ(PowerFftSizeChoice(512), "512 samples");
}

}  // namespace
}  // namespace nv
