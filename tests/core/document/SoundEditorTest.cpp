#include "document/SoundEditor.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace nv {
namespace {

using test::FillDocument;
using test::ScopedSink;
using test::WorkBytes;

std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
  std::vector<uint8_t> b(n);
  for (auto& x : b) x = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
  return b;
}

int16_t S16(const std::vector<uint8_t>& b, size_t sample) {
  return static_cast<int16_t>(b[2 * sample] | (b[2 * sample + 1] << 8));
}

class Editing : public ::testing::Test {
 protected:
  ScopedSink sink;
};

TEST_F(Editing, DeleteWholeFramesAndUndo) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  auto bytes = Pattern(100, 1);
  FillDocument(doc, 1, 8, 22050, bytes);
  test::FakeView view;
  doc.AddView(&view);
  SoundEditor& ed = doc.Editor();
  ASSERT_TRUE(ed.Delete(20, 10, ChannelSelection::Both));  // swapped: frames 10 to 20
  EXPECT_EQ(doc.FrameCount(), 90);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(view.updates, 1);
  EXPECT_EQ(doc.Editor().LastEdit().kind, UndoKind::Delete);
  EXPECT_EQ(doc.Editor().LastEdit().end, 0);
  EXPECT_EQ(SoundEditor::UndoMenuText(doc.Editor().LastEdit().kind), "&Undo Delete");
  auto after = WorkBytes(doc);
  EXPECT_EQ(after[10], bytes[20]);
  ASSERT_TRUE(ed.Undo());
  EXPECT_EQ(doc.FrameCount(), 100);
  EXPECT_EQ(WorkBytes(doc), bytes);
  EXPECT_FALSE(ed.CanUndo());
  EXPECT_EQ(SoundEditor::UndoMenuText(doc.Editor().LastEdit().kind), "&Undo");
  EXPECT_FALSE(ed.Undo());  // one level only
  doc.RemoveView(&view);
}

// One channel's samples pasted over a selection of both channels that runs
// to the end of the sound: the selection's frames are gone (the sound was
// shortened), so the paste makes room for its samples instead of writing
// past the end of the sound (found by AddressSanitizer).
TEST_F(Editing, OneChannelClipOverBothChannelsToTheEnd) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  auto bytes = Pattern(100 * 4, 3);
  FillDocument(doc, 2, 16, 44100, bytes);
  SoundEditor& ed = doc.Editor();
  ASSERT_TRUE(ed.Copy(0, 60, ChannelSelection::Right));
  for (int64_t from : {0, 30}) {
    FillDocument(doc, 2, 16, 44100, bytes);
    ASSERT_TRUE(ed.Paste(from, 120, ChannelSelection::Both));
    ASSERT_EQ(doc.FrameCount(), from + 60);
    const auto after = WorkBytes(doc);
    for (int64_t k = 0; k < 60; ++k) {
      EXPECT_EQ(S16(after, static_cast<size_t>(2 * (from + k))), S16(bytes, static_cast<size_t>(2 * k + 1))) << k;
      EXPECT_EQ(S16(after, static_cast<size_t>(2 * (from + k) + 1)), 0) << k;
    }
    ASSERT_TRUE(ed.Undo());
    EXPECT_EQ(WorkBytes(doc), bytes);
  }
}

TEST_F(Editing, OneChannelDeleteKeepsTheLengthAndUndoRestoresBytes) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  auto bytes = Pattern(100 * 4, 2);
  FillDocument(doc, 2, 16, 44100, bytes);
  SoundEditor& ed = doc.Editor();
  ASSERT_TRUE(ed.Delete(10, 20, ChannelSelection::Left));
  EXPECT_EQ(doc.FrameCount(), 100);
  auto after = WorkBytes(doc);
  EXPECT_EQ(S16(after, 2 * 10), S16(bytes, 2 * 20));      // left moved down
  EXPECT_EQ(S16(after, 2 * 10 + 1), S16(bytes, 2 * 10 + 1));  // right unchanged
  for (int k = 90; k < 100; ++k) EXPECT_EQ(S16(after, 2 * k), 0) << k;
  ASSERT_TRUE(ed.Undo());
  EXPECT_EQ(doc.FrameCount(), 100);
  EXPECT_EQ(WorkBytes(doc), bytes);
}

TEST_F(Editing, EveryEditUndoesByteForByte) {
  DocumentContext documents;
  struct Format {
    int channels, bits;
  } formats[] = {{1, 8}, {1, 16}, {2, 8}, {2, 16}};
  for (Format f : formats) {
    for (int c : {1, 2, 3}) {
      for (int op = 0; op < 4; ++op) {
        CNorvaneDoc doc(documents);
        auto bytes = Pattern(static_cast<size_t>(257 * f.channels * f.bits / 8), 7u + op);
        FillDocument(doc, f.channels, f.bits, 8000, bytes);
        SoundEditor& ed = doc.Editor();
        bool ok = op == 0   ? ed.Silence(31, 200, ChannelSelectionFromCode(c))
                  : op == 1 ? ed.Volume(31, 200, ChannelSelectionFromCode(c), 333)
                  : op == 2 ? ed.Reverse(31, 200, ChannelSelectionFromCode(c))
                            : ed.Delete(31, 200, ChannelSelectionFromCode(c));
        ASSERT_TRUE(ok);
        EXPECT_NE(WorkBytes(doc), bytes);
        ASSERT_TRUE(ed.Undo());
        EXPECT_EQ(WorkBytes(doc), bytes)
            << "channels " << f.channels << " bits " << f.bits << " c " << c << " op " << op;
      }
    }
  }
  EXPECT_TRUE(sink.texts().empty());
}

TEST_F(Editing, VolumeClampsAndTruncatesTowardZero) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  FillDocument(doc, 1, 8, 8000, {200, 50, 128, 129});
  SoundEditor& ed = doc.Editor();
  ASSERT_TRUE(ed.Volume(0, 4, ChannelSelection::Both, 200));
  EXPECT_EQ(WorkBytes(doc), (std::vector<uint8_t>{255, 0, 128, 130}));
  CNorvaneDoc d16(documents);
  FillDocument(d16, 1, 16, 8000, test::Samples16({-3, 3, 30000, -30000}));
  SoundEditor& e16 = d16.Editor();
  ASSERT_TRUE(e16.Volume(0, 4, ChannelSelection::Both, 50));
  EXPECT_EQ(WorkBytes(d16), test::Samples16({-1, 1, 15000, -15000}));
  ASSERT_TRUE(e16.Volume(0, 4, ChannelSelection::Both, 1000));
  EXPECT_EQ(WorkBytes(d16), test::Samples16({-10, 10, 32767, -32768}));
  EXPECT_EQ(d16.Editor().LastEdit().kind, UndoKind::Volume);
}

TEST_F(Editing, ReverseSwapsStereoSamplesWithTheOrder) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  FillDocument(doc, 1, 8, 8000, {1, 2, 3});
  SoundEditor& ed = doc.Editor();
  ASSERT_TRUE(ed.Reverse(0, 3, ChannelSelection::Both));
  EXPECT_EQ(WorkBytes(doc), (std::vector<uint8_t>{3, 2, 1}));
  CNorvaneDoc st(documents);
  FillDocument(st, 2, 16, 8000, test::Samples16({1, 2, 3, 4, 5, 6}));
  SoundEditor& es = st.Editor();
  ASSERT_TRUE(es.Reverse(0, 3, ChannelSelection::Both));
  EXPECT_EQ(WorkBytes(st), test::Samples16({6, 5, 4, 3, 2, 1}));
  ASSERT_TRUE(es.Reverse(0, 3, ChannelSelection::Right));  // right channel only
  EXPECT_EQ(WorkBytes(st), test::Samples16({6, 1, 4, 3, 2, 5}));
}

TEST_F(Editing, PasteInsertsReplacesAndPadsBeyondTheEnd) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  FillDocument(doc, 1, 8, 8000, {10, 11, 12, 13, 14, 15});
  SoundEditor& ed = doc.Editor();
  EXPECT_FALSE(ed.Paste(0, -1, ChannelSelection::Both));
  EXPECT_EQ(sink.last(), "No data to paste!");
  EXPECT_EQ(sink.sink.icons.back(), MessageIcon::None);
  EXPECT_FALSE(ed.CanPaste());
  ASSERT_TRUE(ed.Copy(1, 3, ChannelSelection::Both));
  EXPECT_EQ(documents.clipOwner, &doc);
  EXPECT_TRUE(ed.CanPaste());
  // Insert at a cursor.
  ASSERT_TRUE(ed.Paste(5, -1, ChannelSelection::Both));
  EXPECT_EQ(WorkBytes(doc), (std::vector<uint8_t>{10, 11, 12, 13, 14, 11, 12, 15}));
  EXPECT_EQ(doc.Editor().LastEdit().kind, UndoKind::Paste);
  ASSERT_TRUE(ed.Undo());
  EXPECT_EQ(WorkBytes(doc), (std::vector<uint8_t>{10, 11, 12, 13, 14, 15}));
  // Replace a selection; undo puts the selection back.
  ASSERT_TRUE(ed.Paste(2, 5, ChannelSelection::Both));
  EXPECT_EQ(WorkBytes(doc), (std::vector<uint8_t>{10, 11, 11, 12, 15}));
  ASSERT_TRUE(ed.Undo());
  EXPECT_EQ(WorkBytes(doc), (std::vector<uint8_t>{10, 11, 12, 13, 14, 15}));
  // Beyond the end: silence up to the cursor first.
  ASSERT_TRUE(ed.Paste(9, -1, ChannelSelection::Both));
  EXPECT_EQ(WorkBytes(doc), (std::vector<uint8_t>{10, 11, 12, 13, 14, 15, 128, 128, 128, 11, 12}));
  ASSERT_TRUE(ed.Undo());
  EXPECT_EQ(WorkBytes(doc), (std::vector<uint8_t>{10, 11, 12, 13, 14, 15}));
}

TEST_F(Editing, OneChannelClipIntoStereoAndUndo) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  auto bytes = test::Samples16({1, -1, 2, -2, 3, -3, 4, -4});
  FillDocument(doc, 2, 16, 8000, bytes);
  SoundEditor& ed = doc.Editor();
  ASSERT_TRUE(ed.Copy(0, 3, ChannelSelection::Left));  // left samples 1, 2, 3
  EXPECT_EQ(doc.Editor().ClipChannels(), ChannelSelection::Left);
  ASSERT_TRUE(ed.Paste(1, -1, ChannelSelection::Right));  // into the right channel at frame 1
  EXPECT_EQ(doc.FrameCount(), 7);
  EXPECT_EQ(WorkBytes(doc),
            test::Samples16({1, -1, 2, 1, 3, 2, 4, 3, 0, -2, 0, -3, 0, -4}));
  EXPECT_EQ(doc.Editor().LastEdit().pastedEnd, 4);
  ASSERT_TRUE(ed.Undo());
  EXPECT_EQ(WorkBytes(doc), bytes);
  // Replacing a one-channel selection, then undo.
  ASSERT_TRUE(ed.Paste(1, 3, ChannelSelection::Right));
  ASSERT_TRUE(ed.Undo());
  EXPECT_EQ(WorkBytes(doc), bytes);
}

TEST_F(Editing, ClipsBetweenDocumentsAndTheirRefusals) {
  DocumentContext documents;
  CNorvaneDoc mono(documents);
  FillDocument(mono, 1, 16, 22050, test::Samples16({5, 6, 7, 8}));
  SoundEditor& em = mono.Editor();
  ASSERT_TRUE(em.Copy(1, 3, ChannelSelection::Both));
  EXPECT_EQ(mono.Editor().ClipChannels(), ChannelSelection::Left);  // a mono clip holds one channel
  // Into a new, empty document: it takes the format and the frames.
  CNorvaneDoc fresh(documents);
  SoundEditor& ef = fresh.Editor();
  EXPECT_TRUE(ef.CanPaste());
  ASSERT_TRUE(ef.Paste(0, -1, ChannelSelection::Both));
  EXPECT_EQ(fresh.Format().nSamplesPerSec, 22050u);
  EXPECT_EQ(fresh.Format().nChannels, 1);
  EXPECT_EQ(fresh.Format().wBitsPerSample, 16);
  EXPECT_EQ(WorkBytes(fresh), test::Samples16({6, 7}));

  CNorvaneDoc stereo(documents);
  FillDocument(stereo, 2, 16, 22050, test::Samples16({1, 2, 3, 4}));
  SoundEditor& es = stereo.Editor();
  ASSERT_TRUE(es.Copy(0, 2, ChannelSelection::Both));
  CNorvaneDoc target(documents);
  FillDocument(target, 1, 16, 22050, test::Samples16({9, 9}));
  SoundEditor& et = target.Editor();
  EXPECT_FALSE(et.CanPaste());
  EXPECT_FALSE(et.Paste(0, -1, ChannelSelection::Both));
  EXPECT_EQ(sink.last(), "Clipboard data in stereo but data file in mono.");
  EXPECT_EQ(target.Editor().ClipChannels(), std::nullopt);
  EXPECT_EQ(WorkBytes(target), test::Samples16({9, 9}));
  // One channel of a stereo document into mono of the same rate: accepted.
  ASSERT_TRUE(es.Copy(0, 2, ChannelSelection::Right));
  ASSERT_TRUE(et.Paste(1, -1, ChannelSelection::Both));
  EXPECT_EQ(WorkBytes(target), test::Samples16({9, 2, 4, 9}));

  CNorvaneDoc other(documents);
  FillDocument(other, 1, 16, 44100, test::Samples16({1}));
  SoundEditor& eo = other.Editor();
  EXPECT_FALSE(eo.Paste(0, -1, ChannelSelection::Both));
  EXPECT_EQ(sink.last(), "Different sampling rates in clipboard data and in data file.");
  CNorvaneDoc eight(documents);
  FillDocument(eight, 2, 8, 22050, {128, 128});
  SoundEditor& e8 = eight.Editor();
  EXPECT_FALSE(e8.Paste(0, -1, ChannelSelection::Both));
  EXPECT_EQ(sink.last(), "Different sound format (sample size) in clipboard data and in data file.");
  EXPECT_EQ(sink.sink.icons.back(), MessageIcon::Exclamation);
}

TEST_F(Editing, ClosingTheClipOwnerLeavesNoClip) {
  DocumentContext documents;
  auto* doc = new CNorvaneDoc(documents);
  FillDocument(*doc, 1, 8, 8000, {1, 2});
  doc->Editor().Copy(0, 1, ChannelSelection::Both);
  EXPECT_EQ(documents.clipOwner, doc);
  delete doc;
  EXPECT_EQ(documents.clipOwner, nullptr);
}

TEST_F(Editing, CopyAsciiLines) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  FillDocument(doc, 1, 8, 8000, {128, 130, 126});
  EXPECT_EQ(doc.Editor().CopyAsciiText(0, 3, ChannelSelection::Both), "0\r\n2\r\n-2\r\n");
  CNorvaneDoc st(documents);
  FillDocument(st, 2, 16, 8000, test::Samples16({-5, 7, 100, -100}));
  SoundEditor& es = st.Editor();
  EXPECT_EQ(es.CopyAsciiText(0, 1, ChannelSelection::Both), "-5\t7\r\n");
  EXPECT_EQ(es.CopyAsciiText(0, 2, ChannelSelection::Right), "7\r\n-100\r\n");
  EXPECT_EQ(es.CopyAsciiText(0, -1, ChannelSelection::Both), "");
}

}  // namespace
}  // namespace nv

namespace nv {
namespace {

// Random edits, undos and redos against a model of the history: the list of
// the sounds after each kept edit and the place in it. Undo must give back
// the sound before the edit byte for byte, Redo the sound after it, and a
// new edit drops what was undone.
TEST(UndoHistory, RandomEditsUndosAndRedosMatchTheModel) {
  DocumentContext documents;
  ScopedSink sink;
  struct Shape {
    int channels, bits;
  };
  for (const Shape shape : {Shape{1, 8}, Shape{1, 16}, Shape{2, 8}, Shape{2, 16}}) {
    for (uint32_t seed = 1; seed <= 6; ++seed) {
      documents.Reset();
      CNorvaneDoc doc(documents);
      uint32_t r = seed * 7919u + static_cast<uint32_t>(shape.channels * 100 + shape.bits);
      auto rnd = [&r](int64_t n) {
        r = r * 1103515245u + 12345u;
        return n <= 0 ? int64_t{0} : static_cast<int64_t>((r >> 8) % static_cast<uint32_t>(n));
      };
      const int64_t frames = 40 + rnd(120);
      FillDocument(doc, shape.channels, shape.bits, 22050,
                   Pattern(static_cast<size_t>(frames * shape.channels * shape.bits / 8), seed));
      std::vector<std::vector<uint8_t>> states{WorkBytes(doc)};
      size_t at = 0;
      SoundEditor& ed = doc.Editor();
      std::string log;  // the operations so far, for a failure's message
      const ChannelSelection chans[] = {ChannelSelection::Left, ChannelSelection::Right, ChannelSelection::Both};
      for (int op = 0; op < 120; ++op) {
        SCOPED_TRACE(testing::Message() << shape.channels << "x" << shape.bits << " seed " << seed << " op " << op
                                        << ": " << log);
        const int64_t n = doc.FrameCount();
        const int what = static_cast<int>(rnd(10));
        if (what < 3) {  // undo
          const bool can = at > 0;
          ASSERT_EQ(ed.CanUndo(), can);
          ASSERT_EQ(ed.Undo(), can);
          log += "U ";
          if (can) --at;
          ASSERT_EQ(WorkBytes(doc), states[at]);
          continue;
        }
        if (what < 5) {  // redo
          const bool can = at + 1 < states.size();
          ASSERT_EQ(ed.CanRedo(), can);
          ASSERT_EQ(ed.Redo(), can);
          log += "R ";
          if (can) ++at;
          ASSERT_EQ(WorkBytes(doc), states[at]);
          continue;
        }
        const int64_t a = rnd(n + 10) - 2, b = rnd(n + 10) - 2;
        const ChannelSelection c = chans[rnd(3)];
        const size_t depth = doc.Editor().History().UndoDepth();
        const int kind = static_cast<int>(rnd(6));
        log += std::to_string(kind) + "(" + std::to_string(a) + "," + std::to_string(b) + "," +
               std::to_string(ToCode(c)) + ";n=" + std::to_string(n) + ") ";
        switch (kind) {
          case 0: ed.Delete(a, b, c); break;
          case 1: ed.Silence(a, b, c); break;
          case 2: ed.Volume(a, b, c, static_cast<int>(10 + rnd(300))); break;
          case 3: ed.Reverse(a, b, c); break;
          default: {
            const int64_t ca = rnd(n), cb = ca + 1 + rnd(20);
            const ChannelSelection cc = chans[rnd(3)];
            log += "clip " + std::to_string(ToCode(cc)) + " ";
            ASSERT_TRUE(ed.Copy(ca, std::min(cb, n), cc));
            if (ed.CanPaste()) ed.Paste(a, b, c);
            break;
          }
        }
        const std::vector<uint8_t> now = WorkBytes(doc);
        if (doc.Editor().History().UndoDepth() == depth) {
          // Nothing kept: nothing changed.
          ASSERT_EQ(now, states[at]);
          continue;
        }
        ASSERT_EQ(doc.Editor().History().UndoDepth(), depth + 1);
        ASSERT_FALSE(ed.CanRedo());
        states.resize(at + 1);
        states.push_back(now);
        ++at;
      }
      // All the way back to the opened sound, and forward again.
      while (ed.CanUndo()) ASSERT_TRUE(ed.Undo());
      ASSERT_EQ(WorkBytes(doc), states[0]);
      size_t forward = 0;
      while (ed.CanRedo()) {
        ASSERT_TRUE(ed.Redo());
        ++forward;
        ASSERT_EQ(WorkBytes(doc), states[forward]);
      }
      ASSERT_EQ(forward, states.size() - 1);
    }
  }
}

TEST(UndoHistory, TheDiskBudgetDropsTheOldestSteps) {
  DocumentContext documents;
  ScopedSink sink;
  documents.Reset();
  CNorvaneDoc doc(documents);
  FillDocument(doc, 1, 16, 22050, Pattern(2000, 3));  // 1000 frames, 2000 bytes
  doc.Editor().History().SetBudgetBytes(450);  // room for two steps of 100 frames
  SoundEditor& ed = doc.Editor();
  std::vector<std::vector<uint8_t>> states{WorkBytes(doc)};
  for (int k = 0; k < 5; ++k) {
    ASSERT_TRUE(ed.Volume(100 * k, 100 * k + 100, ChannelSelection::Both, 50));
    states.push_back(WorkBytes(doc));
  }
  EXPECT_EQ(doc.Editor().History().UndoDepth(), 2u);
  EXPECT_LE(doc.Editor().History().KeptBytes(), 450u);
  ASSERT_TRUE(ed.Undo());
  EXPECT_EQ(WorkBytes(doc), states[4]);
  ASSERT_TRUE(ed.Undo());
  EXPECT_EQ(WorkBytes(doc), states[3]);
  EXPECT_FALSE(ed.CanUndo());
  // An edit larger than the whole budget cannot be kept: the history is
  // forgotten rather than left leading to a wrong sound.
  ASSERT_TRUE(ed.Silence(0, 1000, ChannelSelection::Both));
  EXPECT_FALSE(ed.CanUndo());
  EXPECT_FALSE(ed.CanRedo());
  EXPECT_EQ(UndoHistory::kDefaultBudgetBytes, uint64_t{4} << 30);
  EXPECT_EQ(UndoHistory::FreeBytes("/nonexistent-dir/x"), UINT64_MAX);
  EXPECT_LT(UndoHistory::FreeBytes(TemporaryDirectory()), UINT64_MAX);
}

TEST(SampleMapping, ReleasedOnEveryWayOutOfAnEdit) {
  DocumentContext documents;
  ScopedSink sink;
  documents.Reset();
  CNorvaneDoc doc(documents);
  FillDocument(doc, 2, 16, 22050, Pattern(400, 5));
  // The views' lasting mapping is released by the edit itself.
  ASSERT_FALSE(doc.Samples().Empty());
  ASSERT_TRUE(doc.WorkFile().IsMapped());
  const std::vector<uint8_t> before = WorkBytes(doc);
  // A change that fails half way leaves no mapping open and nothing edited.
  EXPECT_FALSE(doc.Editor().ChangeInPlace(UndoKind::Filter, 10, 20, ChannelSelection::Left, [](uint8_t* p) {
    p[40] ^= 0xff;
    return false;
  }));
  EXPECT_FALSE(doc.WorkFile().IsMapped());
  EXPECT_FALSE(doc.Editor().UndoFile().IsMapped());
  EXPECT_FALSE(doc.IsModified());
  // Every edit and the copy end with the store's files unmapped.
  SoundEditor& ed = doc.Editor();
  for (ChannelSelection c : {ChannelSelection::Left, ChannelSelection::Right, ChannelSelection::Both}) {
    ASSERT_FALSE(doc.Samples().Empty());
    ASSERT_TRUE(ed.Copy(5, 15, c));
    ASSERT_TRUE(ed.Reverse(20, 40, c));
    ASSERT_TRUE(ed.Volume(20, 40, c, 70));
    ASSERT_TRUE(ed.Silence(40, 45, c));
    ASSERT_TRUE(ed.Paste(50, -1, c));
    ASSERT_TRUE(ed.Delete(0, 3, c));
    EXPECT_FALSE(ed.CopyAsciiText(0, 4, c).empty());
    ASSERT_TRUE(ed.Undo());
    EXPECT_FALSE(doc.WorkFile().IsMapped());
    EXPECT_FALSE(ed.ClipFile().IsMapped());
    EXPECT_FALSE(ed.UndoFile().IsMapped());
  }
  // A moved mapping is released once, by its new owner.
  {
    SampleMapping first = doc.MapSamples(MapAccess::Read);
    ASSERT_TRUE(first);
    const SampleMapping second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_TRUE(doc.WorkFile().IsMapped());
  }
  EXPECT_FALSE(doc.WorkFile().IsMapped());
  EXPECT_TRUE(sink.texts().empty());
}

TEST(UndoHistory, EachDocumentKeepsItsOwnAndItGoesWithTheDocument) {
  DocumentContext documents;
  ScopedSink sink;
  documents.Reset();
  CNorvaneDoc a(documents);
  FillDocument(a, 1, 8, 8000, Pattern(100, 7));
  {
    CNorvaneDoc b(documents);
    FillDocument(b, 1, 8, 8000, Pattern(100, 8));
    ASSERT_TRUE(b.Editor().Silence(0, 10, ChannelSelection::Both));
    ASSERT_TRUE(b.Editor().Silence(10, 20, ChannelSelection::Both));
    EXPECT_EQ(b.Editor().History().UndoDepth(), 2u);
    EXPECT_FALSE(a.Editor().CanUndo());
  }
  ASSERT_TRUE(a.Editor().Reverse(0, 50, ChannelSelection::Both));
  EXPECT_EQ(a.Editor().History().UndoDepth(), 1u);
  EXPECT_EQ(a.Editor().NextUndo(), UndoKind::Reverse);
  a.DeleteContents();
  EXPECT_FALSE(a.Editor().CanUndo());
  EXPECT_EQ(a.Editor().LastEdit().kind, UndoKind::None);
}

}  // namespace
}  // namespace nv
