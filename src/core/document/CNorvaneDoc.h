#pragma once
// One open sound: its format, recording information, the sample frames in a
// memory-mapped temporary work file, the clip and undo files, the marks and
// the view settings read from its file. Samples are reached only through
// MapSamples; positions are 32-bit frame indices. Interface thread only; a
// worker may read through an existing read-only mapping while nothing edits.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/MarkMenu.h"
#include "base/MarkRecord.h"
#include "base/SampleSource.h"
#include "base/RecordingInfo.h"
#include "document/SoundViewObserver.h"
#include "base/TempFile.h"
#include "document/UndoRecord.h"
#include "base/WaveFormat.h"
#include "fileformats/CompressionInfo.h"
#include "fileformats/WaveContents.h"
#include "settings/AnalysisSettings.h"

namespace nv {

// The largest frame count a document holds (positions are 32-bit).
constexpr int64_t kMaxFrames = 2147483647;

class CNorvaneDoc {
 public:
  CNorvaneDoc();
  ~CNorvaneDoc();
  CNorvaneDoc(const CNorvaneDoc&) = delete;
  CNorvaneDoc& operator=(const CNorvaneDoc&) = delete;

  // False when a temporary file could not be created (a message was shown).
  bool IsValid() const { return valid_; }
  int SequenceNumber() const { return sequence_; }

  // Path name with its type label ("/data/bat.wav [Wave]"), empty for a new document.
  const std::string& PathName() const { return pathName_; }
  void SetPathName(const std::string& p) { pathName_ = p; }
  // The file name and type label, or "Untitled" with the sequence number.
  std::string Title() const;
  bool IsModified() const { return modified_; }
  void SetModifiedFlag(bool m = true) { modified_ = m; }

  const WaveFormatEx& Format() const { return format_; }
  void SetFormat(int channels, int bits, int64_t rateHz) { format_.SetFormat(channels, bits, rateHz); }
  void SetFormatRecord(const WaveFormatEx& f) { format_ = f; }
  RecordingInfo& Info() { return info_; }
  const RecordingInfo& Info() const { return info_; }
  CompressionInfo& Compression() { return compression_; }
  int FileType() const { return fileType_; }
  void SetFileType(int code) { fileType_ = code; }

  // BufferSize of the current format; RecomputeBufferSize also reallocates the
  // process-wide transfer buffers (a failure ends the process, as it must).
  uint32_t BufferSize() const { return bufferSize_; }
  // Piece size for copying sound between files through a buffer: the
  // multiple of BufferSize nearest below 64 KiB (at least one BufferSize), a
  // size that stays in the processor's cache between the read and the write.
  size_t CopyPieceBytes() const { return nv::CopyPieceBytes(bufferSize_); }
  void RecomputeBufferSize();
  int64_t LastBufferIndex() const { return lastBufferIndex_; }
  void SetLastBufferIndex(int64_t i) { lastBufferIndex_ = i; }
  int32_t FrameCount() const { return frameCount_; }
  // Stores the frame count (limited to kMaxFrames), recomputes LastBufferIndex,
  // clears selections ending beyond it and tells every sound view.
  void SetLength(int64_t frames);

  int64_t FramesToBytes(int64_t frames) const { return frames * format_.nBlockAlign; }
  int64_t BytesToFrames(int64_t bytes) const {
    return format_.nBlockAlign ? bytes / format_.nBlockAlign : 0;
  }
  // Real time of n frames: n * 1e9 / rate / expansion (thousandths), truncating.
  int64_t FramesToMicroseconds(int64_t n) const;
  // Frames of t microseconds of real time: expansion * rate * t / 1e6 / 1000.
  int64_t MicrosecondsToFrames(int64_t t) const;

  // Base of the whole mapped work file, or null after a message.
  uint8_t* MapSamples(bool readOnly);
  void UnmapSamples() { work_.Unmap(); }
  // The document's frames through the read-only mapping of the work file
  // (valid until the mapping is released); empty when there are none or the
  // file could not be mapped (a message was shown).
  SampleSource Samples();
  uint8_t* MapClip(bool readOnly);
  void UnmapClip() { clip_.Unmap(); }
  uint8_t* MapUndo(bool readOnly);
  void UnmapUndo() { undo_.Unmap(); }
  // Releases whichever of the three files `fd` names.
  void UnmapFile(int fd);
  TempFile& WorkFile() { return work_; }
  TempFile& ClipFile() { return clip_; }
  TempFile& UndoFile() { return undo_; }

  int clipChannels = 0;  // channel selection held in the clip file, 0 when empty
  UndoRecord undo;
  double playSpeed = 1.0;

  // Views: every attached view is told of updates; sound views registered
  // for saving have their settings written with the file (newest first).
  void AddView(SoundViewObserver* v);
  void RemoveView(SoundViewObserver* v);
  const std::vector<SoundViewObserver*>& Views() const { return views_; }
  // Registers a sound view; it becomes the active one. Returns the settings
  // it starts from: a pending view record when one is left, else the active
  // view's settings, else nothing (the caller takes the defaults).
  std::optional<AnalysisSettings> RegisterSoundView(SoundViewObserver* v);
  void UnregisterSoundView(SoundViewObserver* v);
  const std::vector<SoundViewObserver*>& RegisteredSoundViews() const { return soundViews_; }
  SoundViewObserver* ActiveSoundView() const { return activeView_; }
  void SetActiveSoundView(SoundViewObserver* v) { activeView_ = v; }
  void UpdateAllViews(SoundViewObserver* sender, int hint);

  std::vector<AnalysisSettings>& PendingViewRecords() { return pendingViews_; }
  int ViewRecordsRead() const { return viewRecordsRead_; }
  void SetViewRecordsRead(int n) { viewRecordsRead_ = n; }
  std::vector<KeptSegment>& KeptSegments() { return segments_; }

  // Marks in creation order, the next free number and the two mark menus.
  std::vector<MarkRecord>& Marks() { return marks_; }
  const std::vector<MarkRecord>& Marks() const { return marks_; }
  int NextMarkNumber() const { return nextMarkNumber_; }
  void SetNextMarkNumber(int n) { nextMarkNumber_ = n; }
  // Appends a mark read from a file (number raised past, menu items added).
  void AppendMarkFromFile(const MarkRecord& m);
  MarkMenu& SetActiveMarkMenu() { return setActiveMenu_; }
  MarkMenu& ScrollToMarkMenu() { return scrollToMenu_; }

  // Empties the document: no frames, no marks, no pending views, unmodified.
  void DeleteContents();

  // What the file writers store besides the samples: format, recording
  // information, compression, the registered views' settings (newest first),
  // marks and kept segments.
  WaveContents Contents() const;

  // Reads a file; the path may end with a type label. On success the path
  // name carries the found type's label.
  bool Open(const std::string& pathWithLabel);
  // Writes frames [first, end) (both -1: the whole sound) as type `code`.
  bool Save(const std::string& path, int code, int64_t first = -1, int64_t end = -1);

 private:
  // Takes over what a reader returned (also after a failed read: what was
  // read up to the failure), offering the view records' colour maps.
  void ApplyContents(WaveContents&& in);

  bool valid_ = true;
  int sequence_ = 0;
  std::string pathName_;
  bool modified_ = false;
  WaveFormatEx format_;
  RecordingInfo info_;
  CompressionInfo compression_;
  int fileType_ = 5;
  uint32_t bufferSize_ = 64;
  int64_t lastBufferIndex_ = -1;
  int32_t frameCount_ = 0;
  TempFile work_, clip_, undo_;
  std::vector<SoundViewObserver*> views_;
  std::vector<SoundViewObserver*> soundViews_;
  SoundViewObserver* activeView_ = nullptr;
  std::vector<AnalysisSettings> pendingViews_;
  int viewRecordsRead_ = 0;
  std::vector<KeptSegment> segments_;
  std::vector<MarkRecord> marks_;
  int nextMarkNumber_ = 0;
  MarkMenu setActiveMenu_, scrollToMenu_;
};

}  // namespace nv
