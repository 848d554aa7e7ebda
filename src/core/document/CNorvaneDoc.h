#pragma once
// One open sound, the one object a view talks to: its format, recording
// information and compression settings, its samples (a SampleStore: work,
// clip and undo files with their mappings) with the editor that changes them
// (a SoundEditor, which keeps the undo history and the clip), its views (a
// ViewRegistry), its marks and the time conversions. Samples are read only
// through MapSamples (a scoped SampleMapping) or Samples; positions and
// counts of frames are FrameIndex (64-bit). It is made with the
// DocumentContext of whoever makes it (the defaults it starts from, its
// sequence number, the clip shared with the other documents of that
// context), which must outlive it. Interface thread only; a worker may read
// through an existing read-only mapping while nothing edits.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/MarkRecord.h"
#include "base/RecordingInfo.h"
#include "base/SampleSource.h"
#include "base/TempFile.h"
#include "base/TimeBase.h"
#include "base/WaveFormat.h"
#include "document/DocumentContext.h"
#include "document/MarkList.h"
#include "document/SampleMapping.h"
#include "document/SampleStore.h"
#include "document/SourceFileWatch.h"
#include "document/SoundEditor.h"
#include "document/SoundViewObserver.h"
#include "document/ViewRegistry.h"
#include "fileformats/CompressionInfo.h"
#include "fileformats/FileType.h"
#include "fileformats/Guano.h"
#include "fileformats/SoundFileReader.h"
#include "fileformats/WaveContents.h"
#include "settings/AnalysisSettings.h"

namespace nv {

class CNorvaneDoc {
 public:
  explicit CNorvaneDoc(DocumentContext& context);
  ~CNorvaneDoc();
  CNorvaneDoc(const CNorvaneDoc&) = delete;
  CNorvaneDoc& operator=(const CNorvaneDoc&) = delete;

  // False when a temporary file could not be created (a message was shown).
  bool IsValid() const { return valid_; }
  int SequenceNumber() const { return sequence_; }
  // What this document shares with the other documents of its maker.
  DocumentContext& Context() const { return context_; }

  // The document's file and its type; an empty path for a new document.
  const SoundFilePath& File() const { return file_; }
  void SetFile(const SoundFilePath& f) { file_ = f; }
  // The name of a document without a file: the document type's name, to
  // which the title adds the sequence number ("Norvane1").
  static constexpr const char* kNewDocumentName = "Norvane";
  // The file name and type label, or kNewDocumentName with the sequence number.
  std::string Title() const;
  bool IsModified() const { return modified_; }
  void SetModifiedFlag(bool m = true) { modified_ = m; }

  const WaveFormatEx& Format() const { return format_; }
  void SetFormat(int channels, int bits, int64_t rateHz) { format_.SetFormat(channels, bits, rateHz); }
  void SetFormatRecord(const WaveFormatEx& f) { format_ = f; }
  RecordingInfo& Info() { return info_; }
  const RecordingInfo& Info() const { return info_; }
  CompressionInfo& Compression() { return compression_; }

  // BufferSize of the current format, brought up to date by
  // RecomputeBufferSize. The transfer buffers are not the document's: each
  // playback and recording allocates its own set of this size when it starts.
  uint32_t BufferSize() const { return store_.BufferSize(); }
  void RecomputeBufferSize();
  int64_t LastBufferIndex() const { return store_.LastBufferIndex(); }
  void SetLastBufferIndex(int64_t i) { store_.SetLastBufferIndex(i); }
  FrameIndex FrameCount() const { return store_.FrameCount(); }
  // Stores the frame count (limited to kMaxFrames), recomputes LastBufferIndex,
  // clears selections ending beyond it and tells every sound view.
  void SetLength(FrameIndex frames);

  int64_t FramesToBytes(FrameIndex frames) const { return frames * format_.nBlockAlign; }
  FrameIndex BytesToFrames(int64_t bytes) const {
    return format_.nBlockAlign ? bytes / format_.nBlockAlign : 0;
  }
  // The stored rate and time-expansion factor (as stored: a view opening
  // or a file read repairs a factor of none).
  TimeBase Time() const { return TimeBase(format_.nSamplesPerSec, info_.TimeExpansion()); }
  // Real time of n frames: n * 1e9 / rate / expansion (thousandths), truncating.
  int64_t FramesToMicroseconds(FrameIndex n) const;
  // Frames of t microseconds of real time: expansion * rate * t / 1e6 / 1000.
  FrameIndex MicrosecondsToFrames(int64_t t) const;

  // The work file mapped for the caller's scope (released when the returned
  // object goes); its Data() is null after a message.
  SampleMapping MapSamples(MapAccess access) { return SampleMapping(store_, StoreFile::Work, access); }
  // The document's frames through the lasting read-only mapping of the work
  // file that the views read from (valid until an edit, or UnmapSamples,
  // releases it); empty when there are none or the file could not be mapped
  // (a message was shown).
  SampleSource Samples() { return store_.Samples(); }
  void UnmapSamples() { store_.Unmap(StoreFile::Work); }
  // The file that holds the sound, for reading (its size, its descriptor
  // for a mapping of one's own, whether its source was cut).
  const TempFile& WorkFile() const { return store_.File(StoreFile::Work); }
  // The same file for the two that write the sound outside the editor: the
  // recorder appending its blocks and the demo recording.
  TempFile& WritableWorkFile() { return store_.WorkFile(); }

  // The edits of the samples, their undo history and the clip.
  SoundEditor& Editor() { return editor_; }
  const SoundEditor& Editor() const { return editor_; }
  // The play speed chosen for this document (1 = as recorded).
  double PlaySpeed() const { return playSpeed_; }
  void SetPlaySpeed(double s) { playSpeed_ = s; }

  // Views (see ViewRegistry).
  void AddView(SoundViewObserver* v) { views_.AddView(v); }
  void RemoveView(SoundViewObserver* v) { views_.RemoveView(v); }
  const std::vector<SoundViewObserver*>& Views() const { return views_.Views(); }
  // Registers a sound view; it becomes the active one. Returns the settings
  // it starts from: a pending view record when one is left, else the active
  // view's settings, else nothing (the caller takes the defaults).
  std::optional<AnalysisSettings> RegisterSoundView(SoundViewObserver* v);
  void UnregisterSoundView(SoundViewObserver* v) { views_.UnregisterSoundView(v); }
  const std::vector<SoundViewObserver*>& RegisteredSoundViews() const {
    return views_.RegisteredSoundViews();
  }
  SoundViewObserver* ActiveSoundView() const { return views_.ActiveSoundView(); }
  void SetActiveSoundView(SoundViewObserver* v) { views_.SetActiveSoundView(v); }
  void UpdateAllViews(SoundViewObserver* sender, UpdateHint hint) { views_.UpdateAllViews(sender, hint); }

  // The view records read from the file that no view has taken yet.
  const std::vector<AnalysisSettings>& PendingViewRecords() const { return views_.PendingViewRecords(); }
  void SetPendingViewRecords(std::vector<AnalysisSettings> records) { views_.SetPending(std::move(records)); }
  int ViewRecordsRead() const { return views_.ViewRecordsRead(); }
  const std::vector<KeptSegment>& KeptSegments() const { return segments_; }
  // The GUANO fields of the file, in file order (empty when it had none);
  // saved again, brought up to date, with types 1, 5 and 7.
  const Guano& GuanoMetadata() const { return guano_; }
  void SetGuanoMetadata(const Guano& g) { guano_ = g; }
  // The file's other chunks (recorder text, tags, cue points), written back
  // on a save; cleared with the contents.
  const ForeignChunks& OtherChunks() const { return otherChunks_; }
  // An edit moved frames (cut, delete, paste, reverse, undo): the file's cue
  // points and loops no longer name the same sound and are not saved.
  void FramesMoved() { positionsAsRead_ = false; }

  // The marks. After every change through the list the document is marked
  // modified (unless only the active mark changed) and every view is told
  // with UpdateAllViews(nullptr, UpdateHint::MarksChanged).
  MarkList& Marks() { return marks_; }
  const MarkList& Marks() const { return marks_; }

  // Empties the document: no frames, no marks, no pending views, unmodified.
  void DeleteContents();

  // What the file writers store besides the samples: format, recording
  // information, compression, the registered views' settings (newest first),
  // marks and kept segments.
  WaveContents Contents() const;

  // Receives frames of the sound being read, in order, each frame once
  // (valid during the call only).
  using FramesRead = std::function<void(const SampleSource& frames)>;
  // Reads `file` as its type; on success the document's file is the path
  // with the type found (a WAVE file may turn out another WAVE type). `framesRead`, when given, gets the
  // frames as they arrive in the work file, on a thread of its own while the
  // copy goes on (see FramesFollower); Open returns after its last call.
  // With SampleAccess::InPlace (for callers that only read the sound) the
  // samples are read from the file itself where they can be, not copied;
  // the document then refuses every change of its samples. With
  // SampleAccess::InPlaceUntilChanged they are read in place until the
  // first change, which first copies them into a work file of the
  // document's own (MakeWorkFileOwn), so that opening costs no copy.
  bool Open(const SoundFilePath& file, const FramesRead& framesRead = {},
            SampleAccess access = SampleAccess::Copy);
  // Told (bytes copied, bytes in all) as a copy of a sound read in place
  // goes on; false cancels the copy. Interface thread.
  using CopyProgressCheck = std::function<bool(int64_t doneBytes, int64_t totalBytes)>;
  void SetCopyProgress(CopyProgressCheck check) { copyProgress_ = std::move(check); }
  // True while the sound is read in place from the opened file.
  bool ReadsInPlace() const;
  // Makes a sound read in place a work file of the document's own now (for
  // a change that must not stop half way); true at once when it is one.
  // False when the copy was cancelled (nothing changed) or failed (after a
  // message).
  bool MakeWorkFileOwn();
  // While the sound is read in place: whether another program shortened,
  // replaced or rewrote the opened file since the last check (each change
  // once; see SourceFileWatch). None once the sound is the document's own.
  SourceChange CheckSourceFile();
  // Writes frames [first, end) (both -1: the whole sound) to `target` as its
  // type; a save to the document's own file clears the modified flag.
  bool Save(const SoundFilePath& target, FrameIndex first = -1, FrameIndex end = -1);


 private:
  // Takes over what a reader returned (also after a failed read: what was
  // read up to the failure), offering the view records' colour maps.
  void ApplyContents(WaveContents&& in);
  // The copy of a sound read in place into a work file of its own.
  bool CopyWorkFile(TempFile& work);

  DocumentContext& context_;
  bool valid_ = true;
  int sequence_ = 0;
  SoundFilePath file_;
  bool modified_ = false;
  WaveFormatEx format_;
  RecordingInfo info_;
  CompressionInfo compression_;
  SampleStore store_;
  SourceFileWatch sourceWatch_;
  SoundEditor editor_{*this, store_};
  ViewRegistry views_;
  std::vector<KeptSegment> segments_;
  double playSpeed_ = 1.0;
  Guano guano_;
  ForeignChunks otherChunks_;
  bool positionsAsRead_ = true;
  MarkList marks_;
  CopyProgressCheck copyProgress_;
};

}  // namespace nv
