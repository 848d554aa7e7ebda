// Which rates the program can play on a device, and the format check of the
// "Sound format" dialog built on it: field recordings at rates a sound server
// does not take are played through the resampler, so their format, factor
// and texts can be edited without a question.
#include "audio/OutputOpener.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "audio/SimulatedAudioBackend.h"
#include "audio/TaskQueue.h"
#include "document/SoundFormatEdit.h"

namespace nv {
namespace {

TEST(OutputOpener, EveryFieldRateIsPlayableAndAQuestionOnlyWhereItIsNot) {
  DocumentContext documents;
  test::ScopedSink sink;
  TaskQueue queue;
  SimulatedAudioBackend backend{queue};
  backend.accepts = [](const WaveFormatEx& w) { return w.nSamplesPerSec >= 8000 && w.nSamplesPerSec <= 48000; };
  const std::string device = backend.Devices(StreamDirection::Output).front().id;
  for (int64_t rate : {int64_t{8000}, int64_t{44100}, int64_t{192000}, int64_t{250000}, int64_t{312500},
                       int64_t{384000}, int64_t{500000}, int64_t{1000000}, int64_t{5120000}})
    EXPECT_TRUE(CanPlay(backend, device, 1, 16, rate)) << rate;
  EXPECT_FALSE(CanPlay(backend, device, 1, 16, 0));
  EXPECT_FALSE(CanPlay(backend, device, 1, 16, 48000LL * 300));  // beyond the resampler's reach

  const FormatQuery query = [&](int ch, int bits, int64_t rate) { return CanPlay(backend, device, ch, bits, rate); };
  for (int64_t rate : {int64_t{500000}, int64_t{1000000}}) {
    CNorvaneDoc doc(documents);
    test::FillDocument(doc, 1, 16, static_cast<int>(rate), test::Samples16({1, -2, 3, -4}));
    SoundFormatChoice c = SoundFormatChoiceOf(doc);
    c.timeExpansion = 10;
    c.contents = "Pipistrellus";
    sink.sink.answer = false;  // any question refuses
    const size_t before = sink.texts().size();
    EXPECT_TRUE(CheckSoundFormat(c, doc, query)) << rate;
    EXPECT_EQ(sink.texts().size(), before) << sink.last();
  }
  // A rate chosen that the device takes in no way is questioned, then refused.
  backend.accepts = [](const WaveFormatEx&) { return false; };
  CNorvaneDoc doc(documents);
  test::FillDocument(doc, 1, 16, 500000, test::Samples16({1, -2, 3, -4}));
  SoundFormatChoice c = SoundFormatChoiceOf(doc);
  c.rateHz = 250000;
  sink.sink.answer = false;
  EXPECT_FALSE(CheckSoundFormat(c, doc, query));
  EXPECT_EQ(sink.last(), "The selected sampling frequency may not be supported by your computer! Continue?");
  sink.sink.answer = true;
  EXPECT_FALSE(CheckSoundFormat(c, doc, query));
  EXPECT_EQ(sink.last(), "Format not supported.");
}

}  // namespace
}  // namespace nv
