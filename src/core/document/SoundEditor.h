#pragma once
// The edits of a document's samples with undo and redo as deep as the work:
// Delete, Silence, Volume, Reverse, Paste, Undo and Redo, plus Copy into the
// clip file and the exchange of clips between documents. Each document owns
// one editor (CNorvaneDoc::Editor()), which works on the document's
// SampleStore: the work file, the clip file of its last Copy and the undo
// file; it keeps the history (UndoHistory), the record of the last edit and
// the channels of the clip. Every recorded edit (the filter's too) keeps the
// frames it replaces as a step of the history; Undo puts them back and keeps
// what it takes away for Redo.
//
// Ranges are frames [a, b), swapped when given the wrong way round. A mono
// document, and a stereo one with ChannelSelection::Both, is edited in whole
// frames; a stereo document with Left or Right in the samples of that channel
// only. Every edit and Copy first releases the views' mapping of the samples;
// every operation ends with its own mappings released (they are
// SampleMappings); every edit ends with the modified
// flag set, SetLength when the length changed and UpdateAllViews with
// UpdateHint::SamplesChanged. Interface thread only; no worker may be reading
// the samples.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/ChannelSelection.h"
#include "base/TempFile.h"
#include "base/TimeBase.h"
#include "document/SampleStore.h"
#include "document/UndoHistory.h"
#include "document/UndoRecord.h"

namespace nv {

class CNorvaneDoc;

class SoundEditor {
 public:
  SoundEditor(CNorvaneDoc& doc, SampleStore& store) : doc_(doc), store_(store) {}
  SoundEditor(const SoundEditor&) = delete;
  SoundEditor& operator=(const SoundEditor&) = delete;

  // The edits act on frames [a, b) of the channels `c` selects (a channel of
  // a mono sound means the sound).
  bool Delete(FrameIndex a, FrameIndex b, ChannelSelection c, bool recordUndo = true);
  bool Silence(FrameIndex a, FrameIndex b, ChannelSelection c, bool recordUndo = true);
  // Scales the samples by `percent` (integer, truncating toward zero, clamped).
  bool Volume(FrameIndex a, FrameIndex b, ChannelSelection c, int percent);
  bool Reverse(FrameIndex a, FrameIndex b, ChannelSelection c);
  // Inserts the clip at a; with a < b the range [a, b) is replaced. The clip
  // owner's clip is imported first when it is another document's.
  bool Paste(FrameIndex a, FrameIndex b, ChannelSelection c);
  // Changes frames [a, b) (clamped to the sound; nothing when empty) in
  // place as one recorded edit of `kind`: the undo copy is kept, `change`
  // gets the writable base of the whole work file, and when it returns true
  // the edit ends as every edit does. False when the copy could not be kept,
  // the file could not be mapped or `change` failed.
  using InPlaceChange = std::function<bool(uint8_t* samples)>;
  bool ChangeInPlace(UndoKind kind, FrameIndex a, FrameIndex b, ChannelSelection c, const InPlaceChange& change);
  // Undoes the newest step of the history (one level after another, back
  // to the opened file); Redo does the newest undone step again. False when
  // there is none, or when the sound was changed outside the history (the
  // history is then forgotten).
  bool Undo();
  bool Redo();

  // Copies [a, b) of channel selection c into the clip file; this document
  // becomes the clip owner.
  bool Copy(FrameIndex a, FrameIndex b, ChannelSelection c);
  // Brings the clip of `owner` into this document's clip file, or refuses
  // with a message (the clip file is then emptied).
  bool ImportClip(CNorvaneDoc& owner);
  // The samples of [a, b) as text lines ("%d\r\n", stereo both "%d\t%d\r\n");
  // 8-bit samples minus 128.
  std::string CopyAsciiText(FrameIndex a, FrameIndex b, ChannelSelection c);

  // What the interface asks to enable and label its commands.
  static std::string UndoMenuText(UndoKind kind);
  static std::string RedoMenuText(UndoKind kind);
  bool CanUndo() const { return history_.CanUndo(); }
  bool CanRedo() const { return history_.CanRedo(); }
  UndoKind NextUndo() const { return history_.NextUndo(); }
  UndoKind NextRedo() const { return history_.NextRedo(); }
  bool CanPaste() const;

  // The channels the clip file holds (a mono document's clip: Left), none
  // when it is empty.
  std::optional<ChannelSelection> ClipChannels() const { return clipChannels_; }
  // What the last edit did (its kind, range and channels).
  const UndoRecord& LastEdit() const { return last_; }
  UndoHistory& History() { return history_; }
  const UndoHistory& History() const { return history_; }
  const TempFile& ClipFile() const { return store_.File(StoreFile::Clip); }
  const TempFile& UndoFile() const { return store_.File(StoreFile::Undo); }
  // The document's contents went: the history and the last edit are forgotten.
  void Forget();

 private:
  struct Range {
    FrameIndex a = 0, b = 0;
    bool empty() const { return b <= a; }
  };
  Range Normalize(FrameIndex a, FrameIndex b) const;
  // Whether `c` selects one channel of a stereo sound.
  bool OneChannel(ChannelSelection c) const;
  // Byte offset within a frame of the channel `c` selects.
  int ChannelOffset(ChannelSelection c) const;
  int SampleBytes() const;
  int64_t BlockAlign() const;
  void SilenceBytes(uint8_t* p, int64_t samples) const;

  // Saves the undo copy of [a, b) and sets the record of the last edit to
  // `kind` (every edit that records undo).
  bool SaveUndoCopy(UndoKind kind, FrameIndex a, FrameIndex b, ChannelSelection c);
  // Ends an edit: mappings released, modified, SetLength, views updated.
  void FinishEdit();
  bool DeleteFrames(FrameIndex a, FrameIndex b, ChannelSelection c, bool recordUndo);

  // The history step of the edit under way: Begin keeps frames [s, e) of
  // the sound as it is; FinishEdit hands the step to the history.
  void BeginStep(UndoKind kind, FrameIndex s, FrameIndex e);
  // Puts `frames` frames from `src` in place of frames [s, s + oldFrames).
  bool ReplaceFrames(FrameIndex s, FrameIndex oldFrames, const TempFile& src, FrameIndex frames);
  // Keeps frames [s, e) of the sound in `file`; false when there is no room.
  bool KeepFrames(FrameIndex s, FrameIndex e, TempFile& file);

  CNorvaneDoc& doc_;
  SampleStore& store_;
  UndoHistory history_;
  UndoRecord last_;
  std::optional<ChannelSelection> clipChannels_;
  std::unique_ptr<UndoStep> pending_;
  FrameIndex pendingFramesBefore_ = 0;
  bool holdStep_ = false;  // a paste's inner delete does not end the step
};

}  // namespace nv
