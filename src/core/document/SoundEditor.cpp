#include "document/SoundEditor.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/SampleSource.h"
#include "document/CNorvaneDoc.h"
#include "document/DocumentContext.h"
#include "document/SampleMapping.h"
#include "base/MessageSink.h"
#include "fileformats/FileIo.h"

namespace nv {
namespace {

// A frame of the record of the last edit, within what a document holds.
FrameIndex RecordedFrame(FrameIndex v) { return std::clamp<FrameIndex>(v, -1, kMaxFrames); }


}  // namespace

SoundEditor::Range SoundEditor::Normalize(FrameIndex a, FrameIndex b) const {
  if (a < 0) a = 0;
  if (b < 0) b = a;  // no selection: nothing to edit
  if (b < a) std::swap(a, b);
  const FrameIndex n = doc_.FrameCount();
  return {std::min(a, n), std::min(b, n)};
}

bool SoundEditor::OneChannel(ChannelSelection c) const {
  return doc_.Format().nChannels == 2 && c != ChannelSelection::Both;
}

int SoundEditor::ChannelOffset(ChannelSelection c) const {
  return c == ChannelSelection::Right ? SampleBytes() : 0;
}

int SoundEditor::SampleBytes() const { return doc_.Format().wBitsPerSample / 8; }

int64_t SoundEditor::BlockAlign() const { return doc_.Format().nBlockAlign; }

void SoundEditor::SilenceBytes(uint8_t* p, int64_t samples) const {
  if (SampleBytes() == 1)
    std::memset(p, 128, static_cast<size_t>(samples));
  else
    std::memset(p, 0, static_cast<size_t>(samples) * 2);
}

void SoundEditor::Forget() {
  last_ = UndoRecord{};
  history_.Clear();
  pending_.reset();
}

void SoundEditor::FinishEdit() {
  store_.UnmapAll();
  doc_.SetModifiedFlag(true);
  const FrameIndex frames = doc_.BytesToFrames(store_.WorkFile().Size());
  if (frames != doc_.FrameCount()) doc_.SetLength(frames);
  if (pending_ && !holdStep_) {
    // The frames after the replaced ones are the same as before the edit,
    // moved by the change of length.
    pending_->newFrames = pending_->oldFrames + frames - pendingFramesBefore_;
    pending_->framesAfter = frames;
    if (pending_->newFrames < 0) history_.Clear();
    else history_.Push(std::move(pending_));
    pending_.reset();
  }
  doc_.UpdateAllViews(nullptr, UpdateHint::SamplesChanged);
}

bool SoundEditor::KeepFrames(FrameIndex s, FrameIndex e, TempFile& file) {
  const int64_t align = BlockAlign();
  const int64_t bytes = std::max<int64_t>(e - s, 0) * align;
  if (!history_.Room(static_cast<uint64_t>(bytes))) return false;
  if (!file.Create("NrU")) return false;
  store_.UnmapAll();
  if (bytes == 0) return true;
  TempFile& work = store_.WorkFile();
  file.Reset(work.FileOffset(s * align));
  return CopyRange(work, s * align, file, 0, bytes, store_.CopyPieceBytes());
}

void SoundEditor::BeginStep(UndoKind kind, FrameIndex s, FrameIndex e) {
  // Within a paste its own step stands; any other step left by an edit that
  // failed half way is replaced.
  if (pending_ && holdStep_) return;
  pending_.reset();
  const FrameIndex n = doc_.FrameCount();
  s = std::clamp<int64_t>(s, 0, n);
  e = std::clamp<int64_t>(e, s, n);
  auto step = std::make_unique<UndoStep>();
  step->kind = kind;
  step->start = s;
  step->oldFrames = e - s;
  step->framesBefore = n;
  step->blockAlign = BlockAlign();
  if (!KeepFrames(s, e, step->before)) {
    // Without room for this step the older ones no longer lead back.
    history_.Clear();
    return;
  }
  pendingFramesBefore_ = n;
  pending_ = std::move(step);
}

bool SoundEditor::ReplaceFrames(FrameIndex s, FrameIndex oldFrames, const TempFile& src, FrameIndex frames) {
  store_.UnmapAll();
  TempFile& work = store_.WorkFile();
  const int64_t align = BlockAlign();
  const int64_t size = work.Size();
  const int64_t tailFrom = (s + oldFrames) * align;
  const int64_t tail = size - tailFrom;
  const int64_t delta = (frames - oldFrames) * align;
  if (tail < 0) return false;
  if (delta > 0 && !work.Truncate(size + delta)) {
    ShowWorkFileWriteError();
    return false;
  }
  if (tail > 0 && delta != 0) {
    const SampleMapping w(store_, StoreFile::Work, MapAccess::Write);
    if (!w) return false;
    std::memmove(w.Data() + (s + frames) * align, w.Data() + tailFrom, static_cast<size_t>(tail));
  }
  if (delta < 0) work.Truncate(size + delta);
  if (frames > 0 && !CopyRange(src, 0, work, s * align, frames * align, store_.CopyPieceBytes())) {
    ShowWorkFileWriteError();
    return false;
  }
  doc_.FramesMoved();
  store_.UnmapAll();
  doc_.SetModifiedFlag(true);
  const FrameIndex n = doc_.BytesToFrames(work.Size());
  if (n != doc_.FrameCount()) doc_.SetLength(n);
  doc_.UpdateAllViews(nullptr, UpdateHint::SamplesChanged);
  return true;
}

bool SoundEditor::SaveUndoCopy(UndoKind kind, FrameIndex a, FrameIndex b, ChannelSelection c) {
  // The history keeps whole frames; a delete of one channel moves that
  // channel's samples up to the end of the sound.
  BeginStep(kind, a, kind == UndoKind::Delete && OneChannel(c) ? doc_.FrameCount() : b);
  store_.UnmapAll();
  TempFile& work = store_.WorkFile();
  TempFile& undo = store_.File(StoreFile::Undo);
  undo.Truncate(0);
  last_ = UndoRecord{};
  last_.kind = kind;
  last_.start = RecordedFrame(a);
  last_.end = RecordedFrame(b);
  last_.channel = c;
  last_.pastedStart = 0;
  last_.pastedEnd = 0;
  last_.framesBefore = doc_.FrameCount();
  const int64_t align = BlockAlign();
  if (b <= a) return true;
  if (!OneChannel(c)) {
    // The copy keeps the offset within a page, so that it runs in the kernel.
    undo.Reset(work.FileOffset(a * align));
    if (!CopyRange(work, a * align, undo, 0, (b - a) * align, store_.CopyPieceBytes())) {
      ShowWorkFileWriteError();
      last_.kind = UndoKind::None;
      return false;
    }
    return true;
  }
  const int bps = SampleBytes();
  if (!undo.Truncate((b - a) * bps)) {
    ShowWorkFileWriteError();
    last_.kind = UndoKind::None;
    return false;
  }
  const SampleMapping dst(store_, StoreFile::Undo, MapAccess::Write);
  const SampleMapping src(store_, StoreFile::Work, MapAccess::Read);
  if (!dst || !src) {
    last_.kind = UndoKind::None;
    return false;
  }
  const uint8_t* s = src.Data() + a * align + ChannelOffset(c);
  for (int64_t k = 0; k < b - a; ++k, s += align) std::memcpy(dst.Data() + k * bps, s, static_cast<size_t>(bps));
  return true;
}

bool SoundEditor::Delete(FrameIndex a, FrameIndex b, ChannelSelection c, bool recordUndo) {
  store_.UnmapAll();
  return DeleteFrames(a, b, c, recordUndo);
}

bool SoundEditor::DeleteFrames(FrameIndex a, FrameIndex b, ChannelSelection c, bool recordUndo) {
  Range r = Normalize(a, b);
  if (r.empty()) return true;
  if (recordUndo) {
    if (!SaveUndoCopy(UndoKind::Delete, r.a, r.b, c)) return false;
    last_.end = 0;
  }
  store_.UnmapAll();
  TempFile& work = store_.WorkFile();
  const int64_t align = BlockAlign();
  const FrameIndex n = doc_.FrameCount();
  const int64_t size = work.Size();
  {
    const SampleMapping w(store_, StoreFile::Work, MapAccess::Write);
    if (!w) return false;
    uint8_t* p = w.Data();
    if (!OneChannel(c)) {
      std::memmove(p + r.a * align, p + r.b * align, static_cast<size_t>(size - r.b * align));
    } else {
      const int bps = SampleBytes();
      const int off = ChannelOffset(c);
      const int64_t d = r.b - r.a;
      for (int64_t k = r.b; k < n; ++k)
        std::memcpy(p + (k - d) * align + off, p + k * align + off, static_cast<size_t>(bps));
      for (int64_t k = n - d; k < n; ++k) SilenceBytes(p + k * align + off, 1);
    }
  }
  if (!OneChannel(c)) work.Truncate(size - (r.b - r.a) * align);
  doc_.FramesMoved();
  FinishEdit();
  return true;
}

bool SoundEditor::ChangeInPlace(UndoKind kind, FrameIndex a, FrameIndex b, ChannelSelection c,
                                const InPlaceChange& change) {
  store_.UnmapAll();
  Range r = Normalize(a, b);
  if (r.empty()) return true;
  if (kind != UndoKind::None && !SaveUndoCopy(kind, r.a, r.b, c)) return false;
  {
    const SampleMapping w(store_, StoreFile::Work, MapAccess::Write);
    if (!w || !change(w.Data())) return false;
  }
  FinishEdit();
  return true;
}

bool SoundEditor::Silence(FrameIndex a, FrameIndex b, ChannelSelection c, bool recordUndo) {
  return ChangeInPlace(recordUndo ? UndoKind::Silence : UndoKind::None, a, b, c, [&](uint8_t* p) {
    const Range r = Normalize(a, b);
    const int64_t align = BlockAlign();
    if (!OneChannel(c)) {
      SilenceBytes(p + r.a * align, (r.b - r.a) * doc_.Format().nChannels);
    } else {
      for (int64_t k = r.a; k < r.b; ++k) SilenceBytes(p + k * align + ChannelOffset(c), 1);
    }
    return true;
  });
}

bool SoundEditor::Volume(FrameIndex a, FrameIndex b, ChannelSelection c, int percent) {
  return ChangeInPlace(UndoKind::Volume, a, b, c, [&](uint8_t* p) {
    const Range r = Normalize(a, b);
    const WaveFormatEx& f = doc_.Format();
    const int64_t align = f.nBlockAlign;
    const int bps = SampleBytes();
    const int chans = f.nChannels;
    const SampleSource samples(p, doc_.FrameCount(), f);
    auto scale = [&](int64_t k, int ch) {
      const int64_t x = static_cast<int64_t>(percent) * samples.Raw(k, ch) / 100;
      StoreRaw(p + k * align + ch * bps, f.wBitsPerSample,
               static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)));
    };
    for (int64_t k = r.a; k < r.b; ++k) {
      if (OneChannel(c)) {
        scale(k, c == ChannelSelection::Right ? 1 : 0);
      } else {
        for (int ch = 0; ch < chans; ++ch) scale(k, ch);
      }
    }
    return true;
  });
}

bool SoundEditor::Reverse(FrameIndex a, FrameIndex b, ChannelSelection c) {
  store_.UnmapAll();
  Range r = Normalize(a, b);
  if (r.empty()) return true;
  if (!SaveUndoCopy(UndoKind::Reverse, r.a, r.b, c)) return false;
  {
    const SampleMapping w(store_, StoreFile::Work, MapAccess::Write);
    const SampleMapping undo(store_, StoreFile::Undo, MapAccess::Read);
    if (!w || !undo) return false;
    uint8_t* p = w.Data();
    const uint8_t* u = undo.Data();
    const int64_t align = BlockAlign();
    const int bps = SampleBytes();
    if (!OneChannel(c)) {
      // Single samples are the elements: in stereo, left and right change places too.
      const int64_t count = (r.b - r.a) * align / bps;
      uint8_t* dst = p + r.a * align;
      for (int64_t k = 0; k < count; ++k)
        std::memcpy(dst + k * bps, u + (count - 1 - k) * bps, static_cast<size_t>(bps));
    } else {
      const int64_t count = r.b - r.a;
      const int off = ChannelOffset(c);
      for (int64_t k = 0; k < count; ++k)
        std::memcpy(p + (r.a + k) * align + off, u + (count - 1 - k) * bps, static_cast<size_t>(bps));
    }
  }
  doc_.FramesMoved();
  FinishEdit();
  return true;
}

bool SoundEditor::Paste(FrameIndex a, FrameIndex b, ChannelSelection c) {
  store_.UnmapAll();
  if (a < 0) a = 0;
  if (b < 0) b = 0;

  DocumentContext& ctx = doc_.Context();
  if (!ctx.clipOwner) {
    ShowMessage("No data to paste!", MessageIcon::None);
    return false;
  }
  if (ctx.clipOwner != &doc_ && !ImportClip(*ctx.clipOwner)) return false;
  const ChannelSelection srcChannels = clipChannels_.value_or(ChannelSelection::Both);
  const WaveFormatEx& f = doc_.Format();
  const bool stereo = f.nChannels == 2;
  // A stereo document with a source of one channel's samples.
  const bool oneChannelSource = stereo && srcChannels != ChannelSelection::Both;
  {
    // The frames a paste may change: the replaced range (either way round),
    // or, when one channel's samples move, everything from the paste on.
    const FrameIndex lo = b > 0 ? std::min(a, b) : a;
    const FrameIndex hi = std::max(a, b);
    const bool channelMoves = OneChannel(c) || oneChannelSource;
    holdStep_ = false;
    BeginStep(UndoKind::Paste, lo, channelMoves ? doc_.FrameCount() : hi);
  }
  holdStep_ = true;
  struct Release {
    bool& hold;
    ~Release() { hold = false; }
  } release{holdStep_};
  store_.UnmapAll();
  const int64_t align = f.nBlockAlign;
  int64_t p = a * align, e = b * align;
  if (e > 0 && e < p) {
    std::swap(p, e);
    std::swap(a, b);
  }
  // A replaced range ends with the sound.
  if (b > doc_.FrameCount()) {
    b = std::max<int64_t>(doc_.FrameCount(), a);
    e = b * align;
  }
  TempFile& work = store_.WorkFile();
  // A document without sound still has the 4 bytes of a new work file.
  if (doc_.LastBufferIndex() < 0) work.Truncate(0);
  const int64_t m = store_.File(StoreFile::Clip).Size();
  // Frames the paste inserts: one per sample of a one-channel source.
  const int64_t F = oneChannelSource ? m / (f.wBitsPerSample / 8) : m / align;

  const FrameIndex before = doc_.FrameCount();
  if (a < b && b > 0) {
    if (!SaveUndoCopy(UndoKind::Paste, a, b, c)) return false;
  } else {
    // Nothing is replaced: undoing the paste only removes the pasted frames.
    store_.UnmapAll();
    store_.File(StoreFile::Undo).Truncate(0);
    last_ = UndoRecord{};
  }
  last_.kind = UndoKind::Paste;
  last_.start = RecordedFrame(a);
  last_.end = RecordedFrame(b);
  last_.channel = c;
  last_.pastedStart = RecordedFrame(a);
  last_.pastedEnd = RecordedFrame(a + F);
  last_.framesBefore = before;
  if (a < b && b > 0) DeleteFrames(a, b, c, false);

  store_.UnmapAll();
  const int64_t n = work.Size();
  const uint8_t silence = f.wBitsPerSample == 8 ? 128 : 0;
  if (m > 0) {
    if (n < p && !FillRange(work, n, p - n, silence)) {
      ShowWorkFileWriteError();
      return false;
    }
    const int64_t size = std::max(n, p);
    if (!oneChannelSource) {
      if (!work.Truncate(size + m)) {
        ShowWorkFileWriteError();
        return false;
      }
      const SampleMapping w(store_, StoreFile::Work, MapAccess::Write);
      const SampleMapping clip(store_, StoreFile::Clip, MapAccess::Read);
      if (!w || !clip) return false;
      std::memmove(w.Data() + p + m, w.Data() + p, static_cast<size_t>(size - p));
      std::memcpy(w.Data() + p, clip.Data(), static_cast<size_t>(m));
    } else {
      const int bps = f.wBitsPerSample / 8;
      const int64_t count = m / bps;  // source samples
      // Only a delete of one channel leaves the replaced frames in place (the
      // channel's end silenced); a delete of both channels shortened the
      // sound, and its frames are gone.
      const int64_t ePrime = e > 0 && OneChannel(c) ? std::max<int64_t>(e - p, 0) : 0;
      const int64_t T = 2 * m + size - ePrime;
      if (ePrime < 2 * m) {
        if (!FillRange(work, size, T - size, silence)) {
          ShowWorkFileWriteError();
          return false;
        }
      }
      const SampleMapping w(store_, StoreFile::Work, MapAccess::Write);
      const SampleMapping clip(store_, StoreFile::Clip, MapAccess::Read);
      if (!w || !clip) return false;
      const int off = c == ChannelSelection::Right ? bps : 0;
      const int64_t dataEnd = (size - ePrime) / align;  // frames of the channel's data
      for (int64_t k = dataEnd - 1; k >= a; --k)
        std::memcpy(w.Data() + (k + count) * align + off, w.Data() + k * align + off, static_cast<size_t>(bps));
      for (int64_t k = 0; k < count; ++k)
        std::memcpy(w.Data() + (a + k) * align + off, clip.Data() + k * bps, static_cast<size_t>(bps));
    }
  } else if (n < p) {
    if (!FillRange(work, n, p - n, silence)) {
      ShowWorkFileWriteError();
      return false;
    }
  }
  doc_.FramesMoved();
  holdStep_ = false;
  FinishEdit();
  return true;
}

bool SoundEditor::Undo() {
  store_.UnmapAll();
  std::unique_ptr<UndoStep> step = history_.PopUndo();
  if (!step) return false;
  // A sound changed outside the history (another format, a recording) no
  // longer fits its steps.
  if (doc_.FrameCount() != step->framesAfter || BlockAlign() != step->blockAlign) {
    history_.Clear();
    return false;
  }
  // What the undo takes away is kept for Redo (the first time; a redone
  // step still has it). Without room the step cannot be redone.
  bool redoable = step->after.IsOpen() || KeepFrames(step->start, step->start + step->newFrames, step->after);
  if (!ReplaceFrames(step->start, step->newFrames, step->before, step->oldFrames)) {
    history_.Clear();
    return false;
  }
  if (redoable) history_.PushRedo(std::move(step));
  else history_.ClearRedo();
  last_ = UndoRecord{};
  last_.kind = history_.NextUndo();
  return true;
}

bool SoundEditor::Redo() {
  store_.UnmapAll();
  std::unique_ptr<UndoStep> step = history_.PopRedo();
  if (!step) return false;
  if (doc_.FrameCount() != step->framesBefore || BlockAlign() != step->blockAlign || !step->after.IsOpen()) {
    history_.Clear();
    return false;
  }
  if (!ReplaceFrames(step->start, step->oldFrames, step->after, step->newFrames)) {
    history_.Clear();
    return false;
  }
  last_ = UndoRecord{};
  last_.kind = step->kind;
  history_.PushUndoKeepingRedo(std::move(step));
  return true;
}

bool SoundEditor::Copy(FrameIndex a, FrameIndex b, ChannelSelection c) {
  store_.UnmapAll();
  Range r = Normalize(a, b);
  TempFile& work = store_.WorkFile();
  TempFile& clip = store_.File(StoreFile::Clip);
  const int64_t align = BlockAlign();
  bool ok;
  if (!OneChannel(c)) {
    ok = clip.Reset(work.FileOffset(r.a * align)) &&
         CopyRange(work, r.a * align, clip, 0, (r.b - r.a) * align, store_.CopyPieceBytes());
  } else {
    const int bps = SampleBytes();
    ok = clip.Truncate((r.b - r.a) * bps);
    if (ok && r.b > r.a) {
      const SampleMapping dst(store_, StoreFile::Clip, MapAccess::Write);
      const std::optional<SampleMapping> src =
          dst ? std::optional<SampleMapping>(std::in_place, store_, StoreFile::Work, MapAccess::Read) : std::nullopt;
      if (src && *src) {
        const uint8_t* s = src->Data() + r.a * align + ChannelOffset(c);
        for (int64_t k = 0; k < r.b - r.a; ++k, s += align)
          std::memcpy(dst.Data() + k * bps, s, static_cast<size_t>(bps));
      } else {
        ok = false;
      }
    } else if (r.b > r.a) {
      ok = false;
    }
  }
  if (!ok) {
    ShowWorkFileWriteError();
    return false;
  }
  // A mono clip holds one channel's samples whatever the selection said, so
  // that a stereo document pastes it into one channel.
  clipChannels_ = doc_.Format().nChannels == 2 ? c : ChannelSelection::Left;
  doc_.Context().clipOwner = &doc_;
  return true;
}

bool SoundEditor::ImportClip(CNorvaneDoc& owner) {
  const WaveFormatEx& of = owner.Format();
  const std::optional<ChannelSelection> ownerClip = owner.Editor().ClipChannels();
  if (doc_.LastBufferIndex() < 0) {
    WaveFormatEx f = doc_.Format();
    f.wFormatTag = of.wFormatTag;
    f.nSamplesPerSec = of.nSamplesPerSec;
    f.nAvgBytesPerSec = of.nAvgBytesPerSec;
    f.nBlockAlign = of.nBlockAlign;
    f.wBitsPerSample = of.wBitsPerSample;
    f.cbSize = of.cbSize;
    doc_.SetFormatRecord(f);
    doc_.SetFormat(ownerClip == ChannelSelection::Both ? 2 : 1, of.wBitsPerSample, of.nSamplesPerSec);
    doc_.RecomputeBufferSize();
  }
  const WaveFormatEx& df = doc_.Format();
  const char* refusal = nullptr;
  if (df.wFormatTag != of.wFormatTag)
    refusal = "Different data formats in clipboard data and in data file.";
  else if (df.nSamplesPerSec != of.nSamplesPerSec)
    refusal = "Different sampling rates in clipboard data and in data file.";
  else if (df.wBitsPerSample != of.wBitsPerSample)
    refusal = "Different sound format (sample size) in clipboard data and in data file.";
  else if (df.nChannels == 1 && ownerClip == ChannelSelection::Both)
    refusal = "Clipboard data in stereo but data file in mono.";
  TempFile& clip = store_.File(StoreFile::Clip);
  clip.Unmap();
  if (refusal) {
    ShowMessage(refusal);
    clip.Truncate(0);
    clipChannels_.reset();
    return false;
  }
  SoundEditor& from = owner.Editor();
  TempFile& ownerClipFile = from.store_.File(StoreFile::Clip);
  ownerClipFile.Unmap();
  const int64_t bytes = ownerClipFile.Size();
  if (!clip.Reset(ownerClipFile.Head()) ||
      !CopyRange(ownerClipFile, 0, clip, 0, bytes, store_.CopyPieceBytes())) {
    ShowWorkFileWriteError();
    clipChannels_.reset();
    return false;
  }
  clipChannels_ = ownerClip;
  return true;
}

std::string SoundEditor::CopyAsciiText(FrameIndex a, FrameIndex b, ChannelSelection c) {
  Range r = Normalize(a, b);
  std::string text;
  if (r.empty()) return text;
  const SampleMapping mapping(store_, StoreFile::Work, MapAccess::Read);
  if (!mapping) return text;
  const WaveFormatEx& f = doc_.Format();
  const SampleSource samples(mapping.Data(), doc_.FrameCount(), f);
  char line[32];
  for (int64_t k = r.a; k < r.b; ++k) {
    if (f.nChannels == 1)
      std::snprintf(line, sizeof line, "%d\r\n", samples.Raw(k, 0));
    else if (c == ChannelSelection::Both)
      std::snprintf(line, sizeof line, "%d\t%d\r\n", samples.Raw(k, 0), samples.Raw(k, 1));
    else
      std::snprintf(line, sizeof line, "%d\r\n", samples.Raw(k, c == ChannelSelection::Right ? 1 : 0));
    text += line;
  }
  return text;
}

std::string SoundEditor::RedoMenuText(UndoKind kind) {
  std::string t = UndoMenuText(kind);
  return t.size() >= 5 && t.compare(0, 5, "&Undo") == 0 ? "&Redo" + t.substr(5) : t;
}

std::string SoundEditor::UndoMenuText(UndoKind kind) {
  switch (kind) {
    case UndoKind::Silence: return "&Undo Silence";
    case UndoKind::Paste: return "&Undo Paste";
    case UndoKind::Delete: return "&Undo Delete";
    case UndoKind::Reverse: return "&Undo Reverse";
    case UndoKind::Volume: return "&Undo Volume";
    case UndoKind::Filter: return "&Undo Filter";
    case UndoKind::None: break;
  }
  return "&Undo";
}

bool SoundEditor::CanPaste() const {
  const CNorvaneDoc* owner = doc_.Context().clipOwner;
  if (!owner) return false;
  const std::optional<ChannelSelection> clip = owner->Editor().ClipChannels();
  const bool clipOneChannel = clip == ChannelSelection::Left || clip == ChannelSelection::Right;
  return clipOneChannel || doc_.Format().nChannels == 2 || doc_.LastBufferIndex() < 0;
}

}  // namespace nv
