// The "Sound format" rules: the order of OK's checks with their messages and
// questions, and what an accepted choice changes (never the samples).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

#include "base/TimeBase.h"
#include "document/CNorvaneDoc.h"
#include "document/DocumentContext.h"
#include "document/MarkExchange.h"
#include "document/SoundFormatEdit.h"
#include "TestSupport.h"

namespace nv {
namespace {

class SoundFormatEdit : public ::testing::Test {
 protected:
  test::ScopedSink sink;
};

TEST_F(SoundFormatEdit, ChecksComeInTheirOrderWithTheirTexts) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);  // no sound: no questions about the existing file
  SoundFormatChoice c = SoundFormatChoiceOf(doc);
  c.timeExpansion = 0.0001;  // 0.1 + 0.5 truncates to 0
  EXPECT_FALSE(CheckSoundFormat(c, doc, {}));
  EXPECT_EQ(sink.last(), "Unknown time expansion!");
  c.timeExpansion = 0.009;
  EXPECT_FALSE(CheckSoundFormat(c, doc, {}));
  EXPECT_EQ(sink.last(), "Time expansion out of range!");
  c.timeExpansion = 100.001;
  EXPECT_FALSE(CheckSoundFormat(c, doc, {}));
  EXPECT_EQ(sink.last(), "Time expansion out of range!");
  c.timeExpansion = 10;
  c.rateHz = 0;
  EXPECT_FALSE(CheckSoundFormat(c, doc, {}));
  EXPECT_EQ(sink.last(), "Unknown sampling frequency!");
  // 96 000 Hz asks; No refuses, Yes goes on to the format query.
  c.rateHz = 96000;
  sink.sink.answer = false;
  EXPECT_FALSE(CheckSoundFormat(c, doc, {}));
  EXPECT_EQ(sink.last(), "The selected sampling frequency may not be supported by your computer! Continue?");
  sink.sink.answer = true;
  int queried = 0;
  auto refuse = [&](int ch, int bits, int64_t rate) {
    ++queried;
    EXPECT_EQ(ch, c.channels);
    EXPECT_EQ(bits, c.bits);
    EXPECT_EQ(rate, 96000);
    return false;
  };
  EXPECT_FALSE(CheckSoundFormat(c, doc, refuse));
  EXPECT_EQ(queried, 1);
  EXPECT_EQ(sink.last(), "Format not supported.");
  EXPECT_TRUE(CheckSoundFormat(c, doc, [](int, int, int64_t) { return true; }));
  // 8 000 ... 44 100 Hz ask nothing.
  const size_t before = sink.texts().size();
  c.rateHz = 22050;
  EXPECT_TRUE(CheckSoundFormat(c, doc, {}));
  EXPECT_EQ(sink.texts().size(), before);
}

TEST_F(SoundFormatEdit, ARateChangeOfASoundAsksAndRelabelsWithoutTouchingTheSamples) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  const std::vector<uint8_t> bytes = test::Samples16({100, -200, 300, -400, 500, -600});
  test::FillDocument(doc, 1, 16, 44100, bytes);
  test::FakeView view;
  doc.AddView(&view);
  SoundFormatChoice c = SoundFormatChoiceOf(doc);
  EXPECT_EQ(c.rateHz, 44100);
  EXPECT_EQ(c.timeExpansion, 1.0);
  c.rateHz = 22050;
  sink.sink.answer = false;
  EXPECT_FALSE(CheckSoundFormat(c, doc, {}));
  EXPECT_EQ(sink.last(), "Sampling frequency in existing file will be changed. Continue?");
  sink.sink.answer = true;
  ASSERT_TRUE(CheckSoundFormat(c, doc, {}));
  const SoundFormatChange ch = ApplySoundFormat(doc, c);
  EXPECT_TRUE(ch.rateChanged);
  EXPECT_TRUE(ch.formatSet);
  EXPECT_EQ(doc.Format().nSamplesPerSec, 22050u);
  EXPECT_EQ(doc.FrameCount(), 6);
  EXPECT_EQ(test::WorkBytes(doc).size() >= bytes.size(), true);
  const std::vector<uint8_t> after = test::WorkBytes(doc);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), after.begin()));
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(view.updates, 1);
  // The new format becomes the default of new documents.
  EXPECT_EQ(documents.defaults.rateHz, 22050);
  doc.RemoveView(&view);

  // Changing the channels or bits of a sound asks in that order.
  c.channels = 2;
  c.bits = 8;
  sink.sink.answer = false;
  EXPECT_FALSE(CheckSoundFormat(c, doc, {}));
  EXPECT_EQ(sink.last(), "Number of channels in existing file will be changed. Continue?");
  c.channels = 1;
  EXPECT_FALSE(CheckSoundFormat(c, doc, {}));
  EXPECT_EQ(sink.last(), "Number of bits per sample in existing file will be changed. Continue?");
}

TEST_F(SoundFormatEdit, FactorAndTextsGoToTheRecordAndTheDefaults) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  test::FillDocument(doc, 1, 16, 44100, test::Samples16({1, 2, 3}));
  test::FakeView view;
  doc.AddView(&view);
  SoundFormatChoice c = SoundFormatChoiceOf(doc);
  c.timeExpansion = 10;
  c.contents = "Pipistrelle over the pond";
  c.recordedBy = "J. Field";
  c.date = "08.12.26";
  c.time = "21:40";
  ASSERT_TRUE(CheckSoundFormat(c, doc, {}));
  const SoundFormatChange ch = ApplySoundFormat(doc, c);
  EXPECT_FALSE(ch.rateChanged);
  EXPECT_FALSE(ch.formatSet);
  EXPECT_TRUE(ch.expansionChanged);
  EXPECT_EQ(doc.Info().TimeExpansion(), 10000);  // 10 is stored as 10 000
  EXPECT_EQ(doc.Info().Contents(), "Pipistrelle over the pond");
  EXPECT_EQ(doc.Info().Date(), "08.12.26");
  EXPECT_EQ(view.updates, 1);
  // Real time follows the factor at once.
  EXPECT_EQ(doc.FramesToMicroseconds(44100), 100000);
  const DefaultData& def = documents.defaults;
  EXPECT_EQ(def.info.TimeExpansion(), 10000);
  EXPECT_EQ(def.info.RecordedBy(), "J. Field");
  EXPECT_EQ(def.info.Contents(), "");  // cleared in the defaults
  // Only texts changed: no update of the views.
  c.contents = "Noctule";
  EXPECT_FALSE(ApplySoundFormat(doc, c).expansionChanged);
  EXPECT_EQ(view.updates, 1);
  doc.RemoveView(&view);
  EXPECT_EQ(TimeExpansionThousandths(0.1), 100);
  EXPECT_EQ(TimeExpansionThousandths(2.5004), 2500);
}

TEST_F(SoundFormatEdit, AHighRateIsQuestionedOnlyWhenItIsChosen) {
  DocumentContext documents;
  // Recordings above 44 100 Hz (and below 8 000 Hz), with and without sound:
  // OK with the rate left as it is asks nothing; choosing another such rate
  // asks once.
  for (const int64_t rate : {int64_t{6000}, int64_t{48000}, int64_t{96000}, int64_t{250000}, int64_t{500000}}) {
    for (const bool withSound : {true, false}) {
      CNorvaneDoc doc(documents);
      if (withSound)
        test::FillDocument(doc, 1, 16, rate, test::Samples16({1, -2, 3, -4}));
      else
        doc.SetFormat(1, 16, rate);
      SoundFormatChoice c = SoundFormatChoiceOf(doc);
      ASSERT_EQ(c.rateHz, rate);
      c.timeExpansion = 10;
      c.contents = "Myotis";
      sink.sink.answer = false;  // a question would refuse
      const size_t before = sink.texts().size();
      EXPECT_TRUE(CheckSoundFormat(c, doc, {})) << rate << " Hz, sound " << withSound;
      EXPECT_EQ(sink.texts().size(), before) << rate << " Hz, sound " << withSound;
      c.rateHz = rate + 1000;  // still outside 8 000 ... 44 100 Hz
      EXPECT_FALSE(CheckSoundFormat(c, doc, {})) << rate << " Hz, sound " << withSound;
      EXPECT_EQ(sink.last(), "The selected sampling frequency may not be supported by your computer! Continue?");
    }
  }
}

TEST_F(SoundFormatEdit, AnEmptyDocumentTakesTheWholeFormat) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  ASSERT_LT(doc.LastBufferIndex(), 0);
  SoundFormatChoice c = SoundFormatChoiceOf(doc);
  c.channels = 2;
  c.bits = 16;
  c.rateHz = 250000;
  ASSERT_TRUE(CheckSoundFormat(c, doc, {}));  // asked about the rate only (answer yes)
  EXPECT_EQ(sink.texts().size(), 1u);
  const SoundFormatChange ch = ApplySoundFormat(doc, c);
  EXPECT_TRUE(ch.formatSet);
  EXPECT_EQ(doc.Format().nChannels, 2);
  EXPECT_EQ(doc.Format().nBlockAlign, 4);
  EXPECT_LT(doc.LastBufferIndex(), 0);  // still no sound
  EXPECT_EQ(documents.defaults.channels, 2);
  EXPECT_EQ(documents.defaults.rateHz, 250000);
}

// The real frequency a spectrogram row (a fraction of the sampling rate of
// the file) is labelled with: the axis, rate x factor.
double AxisHz(double fractionOfRate, int64_t rateHz, int64_t expansion) {
  return fractionOfRate * static_cast<double>(rateHz) * static_cast<double>(expansion) / 1000.0;
}

TEST_F(SoundFormatEdit, ARelabelKeepsEveryMarkOnTheFramesAndFrequencyItMarked) {
  DocumentContext documents;
  const int64_t rates[] = {44100, 22050, 384000};
  const double factors[] = {1, 10, 0.5, 3.3, 16, 100, 0.1};
  std::mt19937 rng(7);
  int cases = 0;
  for (int64_t oldRate : rates)
    for (double oldFactor : factors)
      for (int64_t newRate : rates)
        for (double newFactor : factors) {
          if (oldRate != newRate && oldFactor != newFactor && (cases++ % 3) != 0) continue;
          SCOPED_TRACE(testing::Message() << oldRate << " Hz x " << oldFactor << " -> " << newRate
                                          << " Hz x " << newFactor);
          documents.Reset();
          CNorvaneDoc doc(documents);
          test::FillDocument(doc, 1, 16, static_cast<int>(oldRate), std::vector<uint8_t>(2 * 50000, 0));
          doc.Info().SetTimeExpansion(TimeExpansionThousandths(oldFactor));
          const int64_t oldTe = doc.Info().TimeExpansion();
          // Spectrogram marks on rows spread over the whole axis, an
          // oscillogram mark, a marking-cursor mark without frequency and a
          // level mark with its range.
          std::vector<double> rows;
          for (int k = 0; k < 12; ++k) {
            const double row = std::uniform_real_distribution<double>(0.001, 0.5)(rng);
            const int32_t position = std::uniform_int_distribution<int32_t>(0, 49999)(rng);
            const double hz = std::max(1.0, std::round(AxisHz(row, oldRate, oldTe)));
            rows.push_back(hz / AxisHz(1.0, oldRate, oldTe));  // the row as stored
            doc.Marks().Add(position, static_cast<int32_t>(hz), true, 1, "", true, k % 2 ? CursorKind::Measurement : CursorKind::LargeMeasurement);
          }
          doc.Marks().Add(1234, 4200, false, 1, "osc", true, CursorKind::Measurement);
          doc.Marks().Add(2345, 0, true, 1, "cursor", true, CursorKind::Marking);
          MarkPoint level;
          level.position = 3456;
          level.value = 2500;
          level.kind = CursorKind::Level;
          level.rangeStart = 100;
          level.rangeEnd = 40000;
          doc.Marks().AddFromCursor(level);
          const std::vector<MarkRecord> before = doc.Marks().Items();

          SoundFormatChoice c = SoundFormatChoiceOf(doc);
          c.rateHz = newRate;
          c.timeExpansion = newFactor;
          ApplySoundFormat(doc, c);
          const int64_t newTe = doc.Info().TimeExpansion();
          ASSERT_EQ(newTe, TimeExpansionThousandths(newFactor));
          ASSERT_EQ(int64_t{doc.Format().nSamplesPerSec}, newRate);

          const std::vector<MarkRecord>& after = doc.Marks().Items();
          ASSERT_EQ(after.size(), before.size());
          for (size_t i = 0; i < after.size(); ++i) {
            const MarkRecord& a = after[i];
            const MarkRecord& b = before[i];
            // The same frames, the same everything but the frequency.
            EXPECT_EQ(a.position, b.position);
            EXPECT_EQ(a.rangeStart, b.rangeStart);
            EXPECT_EQ(a.rangeEnd, b.rangeEnd);
            EXPECT_EQ(a.number, b.number);
            EXPECT_EQ(a.kind, b.kind);
            EXPECT_EQ(a.inSpectrogram, b.inSpectrogram);
            EXPECT_EQ(a.label, b.label);
            // Its real time follows the axis.
            EXPECT_EQ(doc.FramesToMicroseconds(a.position), TimeBase(newRate, newTe).FramesToMicroseconds(b.position));
            if (i < rows.size()) {
              // On the same row of the spectrogram: the new axis's frequency
              // of that row, to the whole Hz a mark holds.
              EXPECT_LE(std::abs(a.value - AxisHz(rows[i], newRate, newTe)), 0.5 + 1e-6)
                  << a.value << " for row " << rows[i];
              EXPECT_GE(a.value, 1);
            } else {
              EXPECT_EQ(a.value, b.value);  // amplitudes, and no frequency
            }
          }
          // The distances and the exports show the marks where they now are.
          const auto table = doc.Marks().DistanceTable(newRate, newTe);
          EXPECT_EQ(table[2][1], std::to_string(TimeBase(newRate, newTe).FramesToMicroseconds(
                                                   int64_t{after[1].position} - after[0].position) / 1000) + " ms");
          EXPECT_EQ(table[1][2], MarkFrequencyDistanceText(int64_t{after[0].value} - after[1].value));
          const ParsedMarks back = ParseMarks(FormatMarks(doc.Marks(), MarkExchangeFormat::Labels, TimeBaseOf(doc)),
                                              MarkExchangeFormat::Labels, TimeBaseOf(doc));
          ASSERT_EQ(back.marks.size(), after.size());
          for (size_t i = 0; i < rows.size(); ++i)
            EXPECT_LE(std::abs(back.marks[i].first.value - AxisHz(rows[i], newRate, newTe)), 0.5 + 1e-6);
        }
  EXPECT_GT(cases, 50);
}

TEST_F(SoundFormatEdit, ARelabelThereAndBackKeepsTheMarksWhereTheyWere) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  test::FillDocument(doc, 1, 16, 44100, std::vector<uint8_t>(2000, 0));
  doc.Marks().Add(10, 45678, true, 1, "", true, CursorKind::Measurement);
  doc.Marks().Add(20, 9000, false, 1, "", true, CursorKind::Measurement);
  doc.SetModifiedFlag(false);
  test::FakeView view;
  doc.AddView(&view);
  SoundFormatChoice c = SoundFormatChoiceOf(doc);
  c.timeExpansion = 10;
  ApplySoundFormat(doc, c);
  EXPECT_EQ(doc.Marks()[0].value, 456780);
  EXPECT_EQ(doc.Marks()[1].value, 9000);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_GE(view.updates, 1);
  c.timeExpansion = 1;
  ApplySoundFormat(doc, c);
  EXPECT_EQ(doc.Marks()[0].value, 45678);
  // Only texts changed: the marks stay.
  c.contents = "Noctule";
  ApplySoundFormat(doc, c);
  EXPECT_EQ(doc.Marks()[0].value, 45678);
  doc.RemoveView(&view);
}

}  // namespace
}  // namespace nv
