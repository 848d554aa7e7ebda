// The results table: columns, titles, cell formats and the copied text.
#include <gtest/gtest.h>

#include "analysis/PulseTable.h"

namespace nv {
namespace {

PulseResult Sample() {
  PulseResult r;
  r.pulseNumber = 3;
  r.startUs = 50341;
  r.endUs = 52672;
  r.durationUs = 2331;
  r.maxFrequencyHz = 77520.4;
  r.minFrequencyHz = 39621.5;
  r.strongestHz = 56848;
  r.maxLevelDb = -22.817;
  return r;
}

TEST(PulseTable, ColumnsInFixedOrderWithTheirTitles) {
  PulseSettings s;
  s.pulseNumber = s.startTime = s.stopTime = s.duration = s.energy = 1;
  s.freqMax = s.freqMin = s.freqStrong = s.ampMaxAmp = 1;
  const PulseTable t(s);
  ASSERT_EQ(t.Columns().size(), 9u);
  const char* headers[] = {"Puls# ", "Start(ms) ", "Stop(ms) ", "Duration(ms) ", "Energy ",
                           "Max freq. ", "Min freq. ", "Strongest freq ", "Max freq amplitude "};
  for (size_t i = 0; i < 9; ++i) EXPECT_STREQ(t.Columns()[i].header, headers[i]);
  EXPECT_EQ(t.TitleRow(), (PulseTable::Row{"Puls# ", "Start osc. (ms) ", "Stop osc. (ms) ",
                                            "Duration osc. (ms) ", "Energy ", "Max freq. (Hz)",
                                            "Min freq. (Hz)", "Freq. at max amp. (Hz)",
                                            "Max freq amplitude (dB)"}));
  EXPECT_EQ(t.Cells(Sample()), (PulseTable::Row{"    3 ", " 50.34 ", " 52.67 ", " 2.33 ", "    0 ",
                                                 " 77520 ", " 39622 ", " 56848 ", " -22.82 "}));
}

TEST(PulseTable, OnlyChosenColumnsAndTheCopiedText) {
  PulseSettings s;
  s.pulseNumber = 1;
  s.startTime = 0;
  s.stopTime = 0;
  s.duration = 1;
  s.freqMax = s.freqMin = s.freqStrong = s.ampMaxAmp = 0;
  const PulseTable t(s);
  ASSERT_EQ(t.Columns().size(), 2u);
  EXPECT_EQ(t.Text({Sample()}), "Puls# \tDuration osc. (ms) \t\r\n    3 \t 2.33 \t\r\n");
  // A row stops at its first empty cell.
  EXPECT_EQ(PulseTable::CopyText({{"a", "", "c"}, {"d"}}), "a\t\r\nd\t\r\n");
  // Nothing chosen: empty rows.
  PulseSettings none = s;
  none.pulseNumber = none.duration = 0;
  EXPECT_EQ(PulseTable(none).Text({Sample()}), "\r\n\r\n");
}

TEST(PulseTable, SelectionTableInSecondsAndHertz) {
  const std::string text = PulseTable::RavenText({Sample()}, 1);
  EXPECT_EQ(text,
            "Selection\tView\tChannel\tBegin Time (s)\tEnd Time (s)\tLow Freq (Hz)\tHigh Freq (Hz)"
            "\tDuration (ms)\tStrongest Freq (Hz)\tMax Freq Amplitude (dB)\n"
            "3\tSpectrogram 1\t1\t0.050341\t0.052672\t39622\t77520\t2.331\t56848\t-22.82\n");
}

}  // namespace
}  // namespace nv
