#pragma once
// The edits of a document's samples with undo and redo as deep as the work:
// Delete, Silence, Volume, Reverse, Paste (from the clip or from the undo
// copy), Undo and Redo, plus Copy into the clip file and the exchange of
// clips between documents. Every recorded edit (the filter's too) keeps the
// frames it replaces as a step of the document's UndoHistory; Undo puts
// them back and keeps what it takes away for Redo.
//
// Ranges are frames [a, b), swapped when given the wrong way round; the
// channel selection c is 1 left, 2 right, 3 both. A mono document, and a
// stereo one with c = 3, is edited in whole frames; a stereo document with
// c = 1 or 2 in the samples of that channel only. Every edit ends with the
// mappings released, the modified flag set, SetLength when the length changed
// and UpdateAllViews with hint 1. Interface thread only; no worker may be
// reading the samples.
#include <cstdint>
#include <memory>
#include <string>

#include "base/SampleSource.h"
#include "document/CNorvaneDoc.h"
#include "document/UndoHistory.h"

namespace nv {

class SoundEditor {
 public:
  explicit SoundEditor(CNorvaneDoc& doc) : doc_(doc) {}

  // The edits act on frames [a, b) of the channels `c` selects (a channel of
  // a mono sound means the sound).
  bool Delete(int64_t a, int64_t b, ChannelSelection c, bool recordUndo = true);
  bool Silence(int64_t a, int64_t b, ChannelSelection c, bool recordUndo = true);
  // Scales the samples by `percent` (integer, truncating toward zero, clamped).
  bool Volume(int64_t a, int64_t b, ChannelSelection c, int percent);
  bool Reverse(int64_t a, int64_t b, ChannelSelection c);
  // Inserts the clip at a; with a < b the range [a, b) is replaced. The clip
  // owner's clip is imported first when it is another document's.
  bool Paste(int64_t a, int64_t b, ChannelSelection c) { return PasteCode(a, b, ToCode(c), false); }
  // Undoes the newest step of the history (one level after another, back
  // to the opened file); Redo does the newest undone step again. False when
  // there is none, or when the sound was changed outside the history (the
  // history is then forgotten).
  bool Undo();
  bool Redo();

  // Copies [a, b) of channel selection c into the clip file; this document
  // becomes the clip owner.
  bool Copy(int64_t a, int64_t b, ChannelSelection c);
  // Brings the clip of `owner` into this document's clip file, or refuses
  // with a message (the clip file is then emptied).
  bool ImportClip(CNorvaneDoc& owner);
  // The samples of [a, b) as text lines ("%d\r\n", stereo both "%d\t%d\r\n");
  // 8-bit samples minus 128.
  std::string CopyAsciiText(int64_t a, int64_t b, ChannelSelection c);

  // Saves the undo copy of [a, b) and sets the undo record to `kind` (used by
  // every edit that records undo, and by the filter command).
  bool SaveUndoCopy(int kind, int64_t a, int64_t b, int c);
  // Ends an edit: mappings released, modified, SetLength, views updated.
  void FinishEdit();

  // What the interface asks to enable and label its commands.
  static std::string UndoMenuText(int kind);
  static std::string RedoMenuText(int kind);
  bool CanUndo() const { return HistoryOf(doc_).CanUndo(); }
  bool CanRedo() const { return HistoryOf(doc_).CanRedo(); }
  bool CanPaste() const;

 private:
  // The edits on a channel selection code as the undo record keeps it (0
  // for the data of a one-channel edit of a mono clip, 1 left, 2 right, 3 both).
  bool PasteCode(int64_t a, int64_t b, int c, bool fromUndo);
  bool DeleteCode(int64_t a, int64_t b, int c, bool recordUndo);
  struct Range {
    int64_t a = 0, b = 0;
    bool empty() const { return b <= a; }
  };
  Range Normalize(int64_t a, int64_t b) const;
  bool OneChannel(int c) const { return doc_.Format().nChannels == 2 && c != 3; }
  int ChannelOffset(int c) const { return c == 2 ? doc_.Format().wBitsPerSample / 8 : 0; }
  int SampleBytes() const { return doc_.Format().wBitsPerSample / 8; }
  uint8_t* MapWritable();
  void ReleaseMappings();
  void SilenceBytes(uint8_t* p, int64_t samples) const;

  // The history step of the edit under way: Begin keeps frames [s, e) of
  // the sound as it is; FinishEdit hands the step to the history.
  void BeginStep(int kind, int64_t s, int64_t e);
  // Puts `frames` frames from `src` in place of frames [s, s + oldFrames).
  bool ReplaceFrames(int64_t s, int64_t oldFrames, const TempFile& src, int64_t frames);
  // Keeps frames [s, e) of the sound in `file`; false when there is no room.
  bool KeepFrames(int64_t s, int64_t e, TempFile& file);

  CNorvaneDoc& doc_;
  std::unique_ptr<UndoStep> pending_;
  int64_t pendingFramesBefore_ = 0;
  bool holdStep_ = false;  // a paste's inner delete does not end the step
};

}  // namespace nv
