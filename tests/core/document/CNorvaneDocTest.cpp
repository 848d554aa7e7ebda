#include "document/CNorvaneDoc.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <type_traits>

#include "TestSupport.h"
#include "audio/PlaybackEngine.h"
#include "document/TransferBuffers.h"

namespace nv {
namespace {

using test::FakeView;
using test::ScopedSink;

TEST(CNorvaneDoc, NewDocumentHasNoFramesButFourBytesAndDefaults) {
  DocumentContext documents;
  ScopedSink sink;
  CNorvaneDoc doc(documents);
  ASSERT_TRUE(doc.IsValid());
  EXPECT_EQ(doc.FrameCount(), 0);
  EXPECT_EQ(doc.LastBufferIndex(), -1);
  EXPECT_EQ(doc.WorkFile().Size(), 4);
  EXPECT_EQ(doc.Editor().ClipFile().Size(), 0);
  EXPECT_EQ(doc.Editor().UndoFile().Size(), 0);
  EXPECT_EQ(doc.Format().nChannels, 1);
  EXPECT_EQ(doc.Format().wBitsPerSample, 8);
  EXPECT_EQ(doc.Format().nSamplesPerSec, 11025u);
  EXPECT_EQ(doc.File().type, FileType::NorvaneWave);
  EXPECT_EQ(doc.BufferSize(), 640u);
  EXPECT_EQ(doc.Info().Release(), 3);
  EXPECT_EQ(doc.Info().TimeExpansion(), 1000);
  EXPECT_EQ(doc.Compression().size, 168);
  EXPECT_EQ(doc.Compression().fileType, 5);
  EXPECT_EQ(doc.Compression().reserved32, 0x80000000u);
  EXPECT_DOUBLE_EQ(doc.PlaySpeed(), 1.0);
  // A set of transfer buffers of the document's BufferSize.
  TransferBuffers buffers;
  ASSERT_TRUE(buffers.Allocate(doc.BufferSize()));
  EXPECT_EQ(buffers.BlockSize(), 640u);
  EXPECT_EQ(buffers.Header(15).user, 15u);
  EXPECT_EQ(buffers.Header(15).bufferLength, 640u);
  EXPECT_TRUE(sink.texts().empty());
}

TEST(CNorvaneDoc, BufferSizeRule) {
  WaveFormatEx f;
  f.SetFormat(1, 8, 11025);
  EXPECT_EQ(ComputeBufferSize(f), 640u);
  f.SetFormat(2, 16, 44100);
  EXPECT_EQ(ComputeBufferSize(f), 11008u);
  f.SetFormat(1, 16, 22050);
  EXPECT_EQ(ComputeBufferSize(f), 2752u);
  f.SetFormat(1, 16, 44100);
  EXPECT_EQ(ComputeBufferSize(f), 5504u);
  // A rate so low that the rule gives 0 uses 64 bytes.
  f.SetFormat(1, 8, 500);
  EXPECT_EQ(ComputeBufferSize(f), 64u);
  // Stereo 16-bit: a multiple of the block alignment.
  f.SetFormat(2, 16, 48000);
  EXPECT_EQ(ComputeBufferSize(f) % 4, 0u);
  EXPECT_EQ(ComputeBufferSize(f) % 64, 0u);
}

TEST(CNorvaneDoc, SetFormatTakesOnlyPositiveArguments) {
  WaveFormatEx f;
  f.SetFormat(2, 16, 44100);
  f.SetFormat(-1, 0, 0);
  EXPECT_EQ(f.nChannels, 2);
  EXPECT_EQ(f.wBitsPerSample, 16);
  EXPECT_EQ(f.nSamplesPerSec, 44100u);
  f.SetFormat(0, 8, 8000);
  EXPECT_EQ(f.nChannels, 1);
  EXPECT_EQ(f.nBlockAlign, 1);
  EXPECT_EQ(f.nAvgBytesPerSec, 8000u);
  EXPECT_EQ(f.cbSize, 0);
}

TEST(CNorvaneDoc, TimeConversionsTruncateInTheGivenOrder) {
  DocumentContext documents;
  ScopedSink sink;
  CNorvaneDoc doc(documents);
  doc.SetFormat(1, 16, 44100);
  EXPECT_EQ(doc.FramesToMicroseconds(44100), 1000000);
  EXPECT_EQ(doc.FramesToMicroseconds(1), 22);  // 1e9 / 44100 = 22675, / 1000 = 22
  doc.Info().SetTimeExpansion(10000);
  EXPECT_EQ(doc.FramesToMicroseconds(44100), 100000);
  EXPECT_EQ(doc.MicrosecondsToFrames(1000), 441);
  doc.Info().SetTimeExpansion(1000);
  EXPECT_EQ(doc.MicrosecondsToFrames(999), 44);  // 44055.9 / 1000
  // 5 MHz, factor 100, 20 minutes: the product passes 64 bits, the result does not.
  doc.SetFormat(1, 16, 5000000);
  doc.Info().SetTimeExpansion(100000);
  EXPECT_EQ(doc.MicrosecondsToFrames(1200000000), 600000000000);
  EXPECT_EQ(doc.FramesToMicroseconds(600000000000), 1200000000);
  // A factor of 0 never divides by zero.
  doc.Info().SetTimeExpansion(0);
  EXPECT_EQ(doc.FramesToMicroseconds(100), 0);
}

TEST(CNorvaneDoc, SetLengthClearsSelectionsBeyondTheEndAndTellsViews) {
  DocumentContext documents;
  ScopedSink sink;
  CNorvaneDoc doc(documents);
  test::FillDocument(doc, 1, 16, 44100, std::vector<uint8_t>(2000, 0));
  EXPECT_EQ(doc.FrameCount(), 1000);
  EXPECT_EQ(doc.LastBufferIndex(), 0);
  FakeView inside, beyond;
  inside.selEnd = 400;
  beyond.selEnd = 900;
  doc.AddView(&inside);
  doc.AddView(&beyond);
  doc.SetLength(500);
  EXPECT_EQ(inside.selEnd, 400);
  EXPECT_EQ(beyond.selEnd, -1);
  EXPECT_EQ(inside.lastLength, 500);
  EXPECT_EQ(beyond.lastLength, 500);
  // LastBufferIndex = ceil(frames * align / BufferSize) - 1.
  doc.SetLength(5504 / 2 * 3 + 1);
  EXPECT_EQ(doc.LastBufferIndex(), 3);
  doc.SetLength(0);
  EXPECT_EQ(doc.LastBufferIndex(), -1);
  doc.RemoveView(&inside);
  doc.RemoveView(&beyond);
}

// Frame counts and positions cross the document's interfaces as FrameIndex.
static_assert(std::is_same_v<decltype(std::declval<const CNorvaneDoc&>().FrameCount()), FrameIndex>);
static_assert(std::is_same_v<decltype(std::declval<const SampleStore&>().FrameCount()), FrameIndex>);
static_assert(std::is_same_v<decltype(std::declval<SampleStore&>().SetFrameCount(0)), FrameIndex>);
static_assert(std::is_same_v<decltype(std::declval<const CNorvaneDoc&>().BytesToFrames(0)), FrameIndex>);
static_assert(std::is_same_v<decltype(std::declval<const CNorvaneDoc&>().MicrosecondsToFrames(0)), FrameIndex>);
static_assert(std::is_same_v<decltype(std::declval<const SoundViewObserver&>().SelectionEnd()), FrameIndex>);
static_assert(std::is_same_v<decltype(UndoRecord::end), FrameIndex>);
static_assert(std::is_same_v<decltype(UndoRecord::framesBefore), FrameIndex>);
static_assert(std::is_same_v<decltype(PlaybackRequest::selectionEnd), FrameIndex>);

TEST(CNorvaneDoc, CountsBeyondThirtyOneBitsPassTheConversionsWhole) {
  DocumentContext documents;
  ScopedSink sink;
  CNorvaneDoc doc(documents);
  // The most frames an 8-bit mono WAVE file holds: 2^32 - 1 bytes of data.
  const FrameIndex most = (FrameIndex{1} << 32) - 1;
  doc.SetFormat(1, 8, 250000);
  EXPECT_EQ(doc.FramesToBytes(most), 4294967295);
  EXPECT_EQ(doc.BytesToFrames(4294967295), most);
  // 250 kHz without expansion: 4 us a frame, both ways.
  EXPECT_EQ(doc.FramesToMicroseconds(most), 17179869180);
  EXPECT_EQ(doc.MicrosecondsToFrames(17179869180), most);
  EXPECT_EQ(doc.Time().FramesToMicroseconds(most), 17179869180);
  EXPECT_EQ(doc.Time().MicrosecondsToFrames(17179869180), most);
  EXPECT_DOUBLE_EQ(doc.Time().FramesToSeconds(most), 17179.86918);
  doc.Info().SetTimeExpansion(10000);
  EXPECT_EQ(doc.FramesToMicroseconds(most), 1717986918);
  EXPECT_EQ(doc.MicrosecondsToFrames(1717986918), most);
  doc.Info().SetTimeExpansion(1000);
  // 16-bit stereo: 4 bytes a frame.
  doc.SetFormat(2, 16, 250000);
  doc.RecomputeBufferSize();
  EXPECT_EQ(doc.FramesToBytes(3000000000), 12000000000);
  EXPECT_EQ(doc.BytesToFrames(12000000000), 3000000000);
  // The document still holds at most kMaxFrames; a longer count is held at
  // that limit (not wrapped), and so is what the views are told.
  FakeView view;
  view.selEnd = 3000000000;
  doc.AddView(&view);
  doc.SetLength(most);
  EXPECT_EQ(doc.FrameCount(), kMaxFrames);
  EXPECT_EQ(view.lastLength, kMaxFrames);
  EXPECT_EQ(view.selEnd, -1);
  EXPECT_EQ(doc.LastBufferIndex(), (kMaxFrames * 4 + doc.BufferSize() - 1) / doc.BufferSize() - 1);
  doc.RemoveView(&view);
  // The views' 32-bit positions take a count beyond at the limit, never wrapped.
  EXPECT_EQ(ViewFrame(kMaxFrames), INT32_MAX);
  EXPECT_EQ(ViewFrame(most), INT32_MAX);
  EXPECT_EQ(ViewFrame(FrameIndex{1} << 32), INT32_MAX);
  EXPECT_EQ(ViewFrame(-1), -1);
  EXPECT_EQ(ViewFrame(12345), 12345);
}

TEST(CNorvaneDoc, TemporaryFilesAreSeparateAndLeaveNothingBehind) {
  ScopedSink sink;
  test::TempDir dir;
  setenv("TMPDIR", dir.path.c_str(), 1);
  {
    DocumentContext documents;
    CNorvaneDoc a(documents), b(documents);
    EXPECT_NE(a.WorkFile().Name(), b.WorkFile().Name());
    EXPECT_EQ(a.WorkFile().Name().rfind(dir.path.string() + "/NrTmp", 0), 0u);
    EXPECT_EQ(a.Editor().ClipFile().Name().rfind(dir.path.string() + "/NrClp", 0), 0u);
    EXPECT_EQ(a.Editor().UndoFile().Name().rfind(dir.path.string() + "/NrUnd", 0), 0u);
    EXPECT_GT(b.SequenceNumber(), a.SequenceNumber());
    // Unlinked at once: the directory is empty while the files are in use.
    EXPECT_TRUE(std::filesystem::is_empty(dir.path));
    {
      const SampleMapping p = a.MapSamples(MapAccess::Write);
      ASSERT_NE(p.Data(), nullptr);
      p.Data()[0] = 7;
    }
    EXPECT_EQ(test::WorkBytes(a)[0], 7);
  }
  unsetenv("TMPDIR");
  EXPECT_EQ(TemporaryDirectory(), "/var/tmp");
}

TEST(CNorvaneDoc, MappingFollowsLengthChangesAndWritableRequests) {
  DocumentContext documents;
  ScopedSink sink;
  CNorvaneDoc doc(documents);
  test::FillDocument(doc, 1, 8, 8000, std::vector<uint8_t>(100, 128));
  {
    const SampleMapping ro = doc.MapSamples(MapAccess::Read);
    ASSERT_NE(ro.Data(), nullptr);
    EXPECT_EQ(doc.WorkFile().MappedSize(), 100);
    // Changing the length releases the mapping; a new one covers the new size.
    doc.WritableWorkFile().Truncate(300);
    EXPECT_FALSE(doc.WorkFile().IsMapped());
  }
  {
    const SampleMapping rw = doc.MapSamples(MapAccess::Write);
    ASSERT_NE(rw.Data(), nullptr);
    EXPECT_EQ(doc.WorkFile().MappedSize(), 300);
    rw.Data()[299] = 1;
  }
  EXPECT_FALSE(doc.WorkFile().IsMapped());
  // An empty clip file still maps to a valid base.
  SampleStore store;
  ASSERT_TRUE(store.Create());
  EXPECT_NE(SampleMapping(store, StoreFile::Clip, MapAccess::Read).Data(), nullptr);
  store.Close();
  EXPECT_TRUE(sink.texts().empty());
}

TEST(CNorvaneDoc, ViewRegistrationTakesPendingRecordsFromTheEnd) {
  DocumentContext documents;
  ScopedSink sink;
  CNorvaneDoc doc(documents);
  AnalysisSettings a, b;
  a.fftSize = 256;
  b.fftSize = 512;
  doc.SetPendingViewRecords({a, b});
  FakeView v1, v2, v3;
  v3.settings.fftSize = 64;
  auto s1 = doc.RegisterSoundView(&v1);
  ASSERT_TRUE(s1);
  EXPECT_EQ(s1->fftSize, 512);
  auto s2 = doc.RegisterSoundView(&v2);
  ASSERT_TRUE(s2);
  EXPECT_EQ(s2->fftSize, 256);
  EXPECT_EQ(doc.ActiveSoundView(), &v2);
  // With nothing pending, the active view's settings.
  v2.settings.fftSize = 128;
  auto s3 = doc.RegisterSoundView(&v3);
  ASSERT_TRUE(s3);
  EXPECT_EQ(s3->fftSize, 128);
  doc.UpdateAllViews(&v1, UpdateHint::SamplesChanged);
  EXPECT_EQ(v1.updates, 0);
  EXPECT_EQ(v2.updates, 1);
  doc.RemoveView(&v3);
  EXPECT_EQ(doc.ActiveSoundView(), &v2);
  doc.RemoveView(&v1);
  doc.RemoveView(&v2);
  EXPECT_EQ(doc.ActiveSoundView(), nullptr);
  // A fresh document without views starts from nothing (the defaults).
  CNorvaneDoc other(documents);
  other.Info().SetTimeExpansion(-5);
  EXPECT_FALSE(other.RegisterSoundView(&v1));
  EXPECT_EQ(other.Info().TimeExpansion(), 1000);
  other.RemoveView(&v1);
}

TEST(CNorvaneDoc, TitleCarriesTheTypeLabel) {
  DocumentContext documents;
  ScopedSink sink;
  CNorvaneDoc doc(documents);
  // A document without a file is named after the document type and its number.
  EXPECT_EQ(doc.Title(), "Norvane" + std::to_string(doc.SequenceNumber()));
  doc.SetFile(nv::SoundFilePath::FromLabelled("/data/bats/pass 1.wav [Wave Comp]"));
  EXPECT_EQ(doc.Title(), "pass 1.wav [Wave Comp]");
}

}  // namespace
}  // namespace nv
