#include "document/SoundEditor.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/SampleSource.h"
#include "document/DocumentContext.h"
#include "base/MessageSink.h"
#include "fileformats/FileIo.h"

namespace nv {
namespace {

int32_t Frame32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, -1, kMaxFrames)); }


}  // namespace

SoundEditor::Range SoundEditor::Normalize(int64_t a, int64_t b) const {
  if (a < 0) a = 0;
  if (b < 0) b = a;  // no selection: nothing to edit
  if (b < a) std::swap(a, b);
  const int64_t n = doc_.FrameCount();
  return {std::min(a, n), std::min(b, n)};
}

void SoundEditor::ReleaseMappings() {
  doc_.UnmapSamples();
  doc_.UnmapClip();
  doc_.UnmapUndo();
}

uint8_t* SoundEditor::MapWritable() { return doc_.MapSamples(false); }

void SoundEditor::SilenceBytes(uint8_t* p, int64_t samples) const {
  if (SampleBytes() == 1)
    std::memset(p, 128, static_cast<size_t>(samples));
  else
    std::memset(p, 0, static_cast<size_t>(samples) * 2);
}

void SoundEditor::FinishEdit() {
  ReleaseMappings();
  doc_.SetModifiedFlag(true);
  const int64_t frames = doc_.BytesToFrames(doc_.WorkFile().Size());
  if (frames != doc_.FrameCount()) doc_.SetLength(frames);
  if (pending_ && !holdStep_) {
    // The frames after the replaced ones are the same as before the edit,
    // moved by the change of length.
    pending_->newFrames = pending_->oldFrames + frames - pendingFramesBefore_;
    pending_->framesAfter = frames;
    if (pending_->newFrames < 0) HistoryOf(doc_).Clear();
    else HistoryOf(doc_).Push(std::move(pending_));
    pending_.reset();
  }
  doc_.UpdateAllViews(nullptr, UpdateHint::SamplesChanged);
}

bool SoundEditor::KeepFrames(int64_t s, int64_t e, TempFile& file) {
  const int64_t align = doc_.Format().nBlockAlign;
  const int64_t bytes = std::max<int64_t>(e - s, 0) * align;
  if (!HistoryOf(doc_).Room(static_cast<uint64_t>(bytes))) return false;
  if (!file.Create("NrU")) return false;
  ReleaseMappings();
  if (bytes == 0) return true;
  file.Reset(doc_.WorkFile().FileOffset(s * align));
  return CopyRange(doc_.WorkFile(), s * align, file, 0, bytes, doc_.CopyPieceBytes());
}

void SoundEditor::BeginStep(int kind, int64_t s, int64_t e) {
  // Within a paste its own step stands; any other step left by an edit that
  // failed half way is replaced.
  if (pending_ && holdStep_) return;
  pending_.reset();
  const int64_t n = doc_.FrameCount();
  s = std::clamp<int64_t>(s, 0, n);
  e = std::clamp<int64_t>(e, s, n);
  auto step = std::make_unique<UndoStep>();
  step->kind = kind;
  step->start = s;
  step->oldFrames = e - s;
  step->framesBefore = n;
  step->blockAlign = doc_.Format().nBlockAlign;
  if (!KeepFrames(s, e, step->before)) {
    // Without room for this step the older ones no longer lead back.
    HistoryOf(doc_).Clear();
    return;
  }
  pendingFramesBefore_ = n;
  pending_ = std::move(step);
}

bool SoundEditor::ReplaceFrames(int64_t s, int64_t oldFrames, const TempFile& src, int64_t frames) {
  ReleaseMappings();
  TempFile& work = doc_.WorkFile();
  const int64_t align = doc_.Format().nBlockAlign;
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
    uint8_t* p = MapWritable();
    if (!p) return false;
    std::memmove(p + (s + frames) * align, p + tailFrom, static_cast<size_t>(tail));
    doc_.UnmapSamples();
  }
  if (delta < 0) work.Truncate(size + delta);
  if (frames > 0 && !CopyRange(src, 0, work, s * align, frames * align, doc_.CopyPieceBytes())) {
    ShowWorkFileWriteError();
    return false;
  }
  doc_.FramesMoved();
  ReleaseMappings();
  doc_.SetModifiedFlag(true);
  const int64_t n = doc_.BytesToFrames(work.Size());
  if (n != doc_.FrameCount()) doc_.SetLength(n);
  doc_.UpdateAllViews(nullptr, UpdateHint::SamplesChanged);
  return true;
}

bool SoundEditor::SaveUndoCopy(int kind, int64_t a, int64_t b, int c) {
  // The history keeps whole frames; a delete of one channel moves that
  // channel's samples up to the end of the sound.
  BeginStep(kind, a, kind == kUndoDelete && OneChannel(c) ? doc_.FrameCount() : b);
  ReleaseMappings();
  TempFile& undo = doc_.UndoFile();
  undo.Truncate(0);
  UndoRecord& u = doc_.Undo();
  u = UndoRecord{};
  u.kind = kind;
  u.start = Frame32(a);
  u.end = Frame32(b);
  u.channel = c;
  u.pastedStart = 0;
  u.pastedEnd = 0;
  u.dataChannel = c;
  u.framesBefore = doc_.FrameCount();
  const int64_t align = doc_.Format().nBlockAlign;
  if (b <= a) return true;
  if (!OneChannel(c)) {
    // The copy keeps the offset within a page, so that it runs in the kernel.
    undo.Reset(doc_.WorkFile().FileOffset(a * align));
    if (!CopyRange(doc_.WorkFile(), a * align, undo, 0, (b - a) * align, doc_.CopyPieceBytes())) {
      ShowWorkFileWriteError();
      u.kind = kUndoNone;
      return false;
    }
    return true;
  }
  const int bps = SampleBytes();
  if (!undo.Truncate((b - a) * bps)) {
    ShowWorkFileWriteError();
    u.kind = kUndoNone;
    return false;
  }
  uint8_t* dst = doc_.MapUndo(false);
  const uint8_t* src = doc_.MapSamples(true);
  if (!dst || !src) {
    u.kind = kUndoNone;
    return false;
  }
  const uint8_t* s = src + a * align + ChannelOffset(c);
  for (int64_t k = 0; k < b - a; ++k, s += align) std::memcpy(dst + k * bps, s, static_cast<size_t>(bps));
  ReleaseMappings();
  return true;
}

bool SoundEditor::Delete(int64_t a, int64_t b, ChannelSelection sel, bool recordUndo) {
  return DeleteCode(a, b, ToCode(sel), recordUndo);
}

bool SoundEditor::DeleteCode(int64_t a, int64_t b, int c, bool recordUndo) {
  Range r = Normalize(a, b);
  if (r.empty()) return true;
  if (recordUndo) {
    if (!SaveUndoCopy(kUndoDelete, r.a, r.b, c)) return false;
    doc_.Undo().end = 0;
  }
  ReleaseMappings();
  const int64_t align = doc_.Format().nBlockAlign;
  const int64_t n = doc_.FrameCount();
  const int64_t size = doc_.WorkFile().Size();
  uint8_t* p = MapWritable();
  if (!p) return false;
  if (!OneChannel(c)) {
    std::memmove(p + r.a * align, p + r.b * align, static_cast<size_t>(size - r.b * align));
    doc_.UnmapSamples();
    doc_.WorkFile().Truncate(size - (r.b - r.a) * align);
  } else {
    const int bps = SampleBytes();
    const int off = ChannelOffset(c);
    const int64_t d = r.b - r.a;
    for (int64_t k = r.b; k < n; ++k)
      std::memcpy(p + (k - d) * align + off, p + k * align + off, static_cast<size_t>(bps));
    for (int64_t k = n - d; k < n; ++k) SilenceBytes(p + k * align + off, 1);
  }
  doc_.FramesMoved();
  FinishEdit();
  return true;
}

bool SoundEditor::Silence(int64_t a, int64_t b, ChannelSelection sel, bool recordUndo) {
  const int c = ToCode(sel);
  Range r = Normalize(a, b);
  if (r.empty()) return true;
  if (recordUndo && !SaveUndoCopy(kUndoSilence, r.a, r.b, c)) return false;
  uint8_t* p = MapWritable();
  if (!p) return false;
  const int64_t align = doc_.Format().nBlockAlign;
  if (!OneChannel(c)) {
    SilenceBytes(p + r.a * align, (r.b - r.a) * doc_.Format().nChannels);
  } else {
    for (int64_t k = r.a; k < r.b; ++k) SilenceBytes(p + k * align + ChannelOffset(c), 1);
  }
  FinishEdit();
  return true;
}

bool SoundEditor::Volume(int64_t a, int64_t b, ChannelSelection sel, int percent) {
  const int c = ToCode(sel);
  Range r = Normalize(a, b);
  if (r.empty()) return true;
  if (!SaveUndoCopy(kUndoVolume, r.a, r.b, c)) return false;
  uint8_t* p = MapWritable();
  if (!p) return false;
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
      scale(k, c == 2 ? 1 : 0);
    } else {
      for (int ch = 0; ch < chans; ++ch) scale(k, ch);
    }
  }
  FinishEdit();
  return true;
}

bool SoundEditor::Reverse(int64_t a, int64_t b, ChannelSelection sel) {
  const int c = ToCode(sel);
  Range r = Normalize(a, b);
  if (r.empty()) return true;
  if (!SaveUndoCopy(kUndoReverse, r.a, r.b, c)) return false;
  uint8_t* p = MapWritable();
  const uint8_t* u = doc_.MapUndo(true);
  if (!p || !u) return false;
  const int64_t align = doc_.Format().nBlockAlign;
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
  doc_.FramesMoved();
  FinishEdit();
  return true;
}

bool SoundEditor::PasteCode(int64_t a, int64_t b, int c, bool fromUndo) {
  if (a < 0) a = 0;
  if (b < 0) b = 0;

  DocumentContext& ctx = DocumentContext::Instance();
  int srcChannels;
  if (!fromUndo) {
    if (!ctx.clipOwner) {
      ShowMessage("No data to paste!", MessageIcon::None);
      return false;
    }
    if (ctx.clipOwner != &doc_ && !ImportClip(*ctx.clipOwner)) return false;
    srcChannels = doc_.ClipChannels();
  } else {
    srcChannels = doc_.Undo().dataChannel;
  }
  if (!fromUndo) {
    // The frames a paste may change: the replaced range (either way round),
    // or, when one channel's samples move, everything from the paste on.
    const int64_t lo = b > 0 ? std::min(a, b) : a;
    const int64_t hi = std::max(a, b);
    const bool channelMoves = OneChannel(c) || (doc_.Format().nChannels == 2 && srcChannels != 3);
    holdStep_ = false;
    BeginStep(kUndoPaste, lo, channelMoves ? doc_.FrameCount() : hi);
  }
  holdStep_ = true;
  struct Release {
    bool& hold;
    ~Release() { hold = false; }
  } release{holdStep_};
  ReleaseMappings();
  const WaveFormatEx& f = doc_.Format();
  const int64_t align = f.nBlockAlign;
  const bool stereo = f.nChannels == 2;
  // A stereo document with a source of one channel's samples.
  const bool oneChannelSource = stereo && srcChannels != 3;
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
  // A document without sound still has the 4 bytes of a new work file.
  if (doc_.LastBufferIndex() < 0) doc_.WorkFile().Truncate(0);
  TempFile& src = fromUndo ? doc_.UndoFile() : doc_.ClipFile();
  const int64_t m = src.Size();
  // Frames the paste inserts: one per sample of a one-channel source.
  const int64_t F = oneChannelSource ? m / (f.wBitsPerSample / 8) : m / align;

  if (!fromUndo) {
    UndoRecord& u = doc_.Undo();
    const int32_t before = doc_.FrameCount();
    if (a < b && b > 0) {
      if (!SaveUndoCopy(kUndoPaste, a, b, c)) return false;
    } else {
      // Nothing is replaced: undoing the paste only removes the pasted frames.
      ReleaseMappings();
      doc_.UndoFile().Truncate(0);
      u = UndoRecord{};
      u.dataChannel = c;
    }
    u.kind = kUndoPaste;
    u.start = Frame32(a);
    u.end = Frame32(b);
    u.channel = c;
    u.pastedStart = Frame32(a);
    u.pastedEnd = Frame32(a + F);
    u.framesBefore = before;
  }
  if (a < b && b > 0) DeleteCode(a, b, c, false);

  ReleaseMappings();
  TempFile& work = doc_.WorkFile();
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
      uint8_t* w = MapWritable();
      const uint8_t* s = fromUndo ? doc_.MapUndo(true) : doc_.MapClip(true);
      if (!w || !s) return false;
      std::memmove(w + p + m, w + p, static_cast<size_t>(size - p));
      std::memcpy(w + p, s, static_cast<size_t>(m));
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
      uint8_t* w = MapWritable();
      const uint8_t* s = fromUndo ? doc_.MapUndo(true) : doc_.MapClip(true);
      if (!w || !s) return false;
      const int off = c == 2 ? bps : 0;
      const int64_t dataEnd = (size - ePrime) / align;  // frames of the channel's data
      for (int64_t k = dataEnd - 1; k >= a; --k)
        std::memcpy(w + (k + count) * align + off, w + k * align + off, static_cast<size_t>(bps));
      for (int64_t k = 0; k < count; ++k)
        std::memcpy(w + (a + k) * align + off, s + k * bps, static_cast<size_t>(bps));
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
  ReleaseMappings();
  UndoHistory& h = HistoryOf(doc_);
  std::unique_ptr<UndoStep> step = h.PopUndo();
  if (!step) return false;
  // A sound changed outside the history (another format, a recording) no
  // longer fits its steps.
  if (doc_.FrameCount() != step->framesAfter || doc_.Format().nBlockAlign != step->blockAlign) {
    h.Clear();
    return false;
  }
  // What the undo takes away is kept for Redo (the first time; a redone
  // step still has it). Without room the step cannot be redone.
  bool redoable = step->after.IsOpen() || KeepFrames(step->start, step->start + step->newFrames, step->after);
  if (!ReplaceFrames(step->start, step->newFrames, step->before, step->oldFrames)) {
    h.Clear();
    return false;
  }
  if (redoable) h.PushRedo(std::move(step));
  else h.ClearRedo();
  doc_.Undo() = UndoRecord{};
  doc_.Undo().kind = h.UndoKind();
  return true;
}

bool SoundEditor::Redo() {
  ReleaseMappings();
  UndoHistory& h = HistoryOf(doc_);
  std::unique_ptr<UndoStep> step = h.PopRedo();
  if (!step) return false;
  if (doc_.FrameCount() != step->framesBefore || doc_.Format().nBlockAlign != step->blockAlign ||
      !step->after.IsOpen()) {
    h.Clear();
    return false;
  }
  if (!ReplaceFrames(step->start, step->oldFrames, step->after, step->newFrames)) {
    h.Clear();
    return false;
  }
  doc_.Undo() = UndoRecord{};
  doc_.Undo().kind = step->kind;
  h.PushUndoKeepingRedo(std::move(step));
  return true;
}

bool SoundEditor::Copy(int64_t a, int64_t b, ChannelSelection sel) {
  const int c = ToCode(sel);
  Range r = Normalize(a, b);
  doc_.UnmapSamples();
  doc_.UnmapClip();
  TempFile& clip = doc_.ClipFile();
  const int64_t align = doc_.Format().nBlockAlign;
  bool ok;
  if (!OneChannel(c)) {
    ok = clip.Reset(doc_.WorkFile().FileOffset(r.a * align)) &&
         CopyRange(doc_.WorkFile(), r.a * align, clip, 0, (r.b - r.a) * align, doc_.CopyPieceBytes());
  } else {
    const int bps = SampleBytes();
    ok = clip.Truncate((r.b - r.a) * bps);
    uint8_t* dst = ok && r.b > r.a ? doc_.MapClip(false) : nullptr;
    const uint8_t* src = dst ? doc_.MapSamples(true) : nullptr;
    if (dst && src) {
      const uint8_t* s = src + r.a * align + ChannelOffset(c);
      for (int64_t k = 0; k < r.b - r.a; ++k, s += align) std::memcpy(dst + k * bps, s, static_cast<size_t>(bps));
    } else if (r.b > r.a) {
      ok = false;
    }
    doc_.UnmapSamples();
    doc_.UnmapClip();
  }
  if (!ok) {
    ShowWorkFileWriteError();
    return false;
  }
  // A mono clip holds one channel's samples whatever the selection said, so
  // that a stereo document pastes it into one channel.
  doc_.SetClipChannels(doc_.Format().nChannels == 2 ? c : 1);
  DocumentContext::Instance().clipOwner = &doc_;
  return true;
}

bool SoundEditor::ImportClip(CNorvaneDoc& owner) {
  const WaveFormatEx& of = owner.Format();
  if (doc_.LastBufferIndex() < 0) {
    WaveFormatEx f = doc_.Format();
    f.wFormatTag = of.wFormatTag;
    f.nSamplesPerSec = of.nSamplesPerSec;
    f.nAvgBytesPerSec = of.nAvgBytesPerSec;
    f.nBlockAlign = of.nBlockAlign;
    f.wBitsPerSample = of.wBitsPerSample;
    f.cbSize = of.cbSize;
    doc_.SetFormatRecord(f);
    doc_.SetFormat(owner.ClipChannels() == 3 ? 2 : 1, of.wBitsPerSample, of.nSamplesPerSec);
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
  else if (df.nChannels == 1 && owner.ClipChannels() == 3)
    refusal = "Clipboard data in stereo but data file in mono.";
  doc_.UnmapClip();
  if (refusal) {
    ShowMessage(refusal);
    doc_.ClipFile().Truncate(0);
    doc_.SetClipChannels(0);
    return false;
  }
  owner.UnmapClip();
  const int64_t bytes = owner.ClipFile().Size();
  if (!doc_.ClipFile().Reset(owner.ClipFile().Head()) ||
      !CopyRange(owner.ClipFile(), 0, doc_.ClipFile(), 0, bytes, doc_.CopyPieceBytes())) {
    ShowWorkFileWriteError();
    doc_.SetClipChannels(0);
    return false;
  }
  doc_.SetClipChannels(owner.ClipChannels());
  return true;
}

std::string SoundEditor::CopyAsciiText(int64_t a, int64_t b, ChannelSelection sel) {
  const int c = ToCode(sel);
  Range r = Normalize(a, b);
  std::string text;
  if (r.empty()) return text;
  const uint8_t* p = doc_.MapSamples(true);
  if (!p) return text;
  const WaveFormatEx& f = doc_.Format();
  const SampleSource samples(p, doc_.FrameCount(), f);
  char line[32];
  for (int64_t k = r.a; k < r.b; ++k) {
    if (f.nChannels == 1)
      std::snprintf(line, sizeof line, "%d\r\n", samples.Raw(k, 0));
    else if (c == 3)
      std::snprintf(line, sizeof line, "%d\t%d\r\n", samples.Raw(k, 0), samples.Raw(k, 1));
    else
      std::snprintf(line, sizeof line, "%d\r\n", samples.Raw(k, c == 2 ? 1 : 0));
    text += line;
  }
  doc_.UnmapSamples();
  return text;
}

std::string SoundEditor::RedoMenuText(int kind) {
  std::string t = UndoMenuText(kind);
  return t.size() >= 5 && t.compare(0, 5, "&Undo") == 0 ? "&Redo" + t.substr(5) : t;
}

std::string SoundEditor::UndoMenuText(int kind) {
  switch (kind) {
    case kUndoSilence: return "&Undo Silence";
    case kUndoPaste: return "&Undo Paste";
    case kUndoDelete: return "&Undo Delete";
    case kUndoReverse: return "&Undo Reverse";
    case kUndoVolume: return "&Undo Volume";
    case kUndoFilter: return "&Undo Filter";
    default: return "&Undo";
  }
}

bool SoundEditor::CanPaste() const {
  const CNorvaneDoc* owner = DocumentContext::Instance().clipOwner;
  if (!owner) return false;
  const bool clipOneChannel = owner->ClipChannels() == 1 || owner->ClipChannels() == 2;
  return clipOneChannel || doc_.Format().nChannels == 2 || doc_.LastBufferIndex() < 0;
}

}  // namespace nv
