#include "document/CNorvaneDoc.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "document/FramesFollower.h"
#include "base/MessageSink.h"
#include "fileformats/FileType.h"
#include "fileformats/SoundFileReader.h"
#include "fileformats/SoundFileWriter.h"

namespace nv {

CNorvaneDoc::CNorvaneDoc(DocumentContext& context) : context_(context) {
  sequence_ = ++context_.documentSequence;
  const DefaultData& def = context_.defaults;
  format_.SetFormat(def.channels, def.bits, def.rateHz);
  info_ = def.info;
  // The filler receives the first 6 bytes of the default record's time text.
  info_.SetFiller(def.info.Bytes().data() + 72);
  valid_ = store_.Create();
  RecomputeBufferSize();
  marks_.SetChangeHook([this](bool modified) {
    if (modified) modified_ = true;
    UpdateAllViews(nullptr, UpdateHint::MarksChanged);
  });
}

CNorvaneDoc::~CNorvaneDoc() {
  if (context_.clipOwner == this) context_.clipOwner = nullptr;
  store_.Close();
}

std::string CNorvaneDoc::Title() const {
  if (file_.Empty()) return kNewDocumentName + std::to_string(sequence_);
  return file_.FileName() + " " + TypeLabel(file_.type);
}

void CNorvaneDoc::RecomputeBufferSize() { store_.SetFormat(format_); }

void CNorvaneDoc::SetLength(FrameIndex frames) {
  const FrameIndex count = store_.SetFrameCount(frames);
  for (SoundViewObserver* v : views_.Views()) {
    if (!v->IsSoundView()) continue;
    const FrameIndex end = v->SelectionEnd();
    if (end < 0 || end > count) v->ClearSelection();
    v->OnNewLength(count);
  }
}

int64_t CNorvaneDoc::FramesToMicroseconds(FrameIndex n) const {
  return Time().FramesToMicroseconds(n);
}

FrameIndex CNorvaneDoc::MicrosecondsToFrames(int64_t t) const {
  return Time().MicrosecondsToFrames(t);
}

std::optional<AnalysisSettings> CNorvaneDoc::RegisterSoundView(SoundViewObserver* v) {
  std::optional<AnalysisSettings> start = views_.RegisterSoundView(v);
  info_.SetTimeExpansion(TimeBase::RepairedExpansion(info_.TimeExpansion()));
  return start;
}

void CNorvaneDoc::DeleteContents() {
  sourceWatch_.Stop();
  store_.WorkFile().Truncate(0);
  store_.SetFrameCount(0);
  store_.SetLastBufferIndex(-1);
  marks_.Reset();
  views_.ClearPending();
  segments_.clear();
  guano_.Clear();
  otherChunks_.Clear();
  positionsAsRead_ = true;
  editor_.Forget();
  modified_ = false;
}

void CNorvaneDoc::ApplyContents(WaveContents&& in) {
  if (in.hasFormat) {
    format_ = in.format;
    RecomputeBufferSize();
  }
  info_ = in.info;
  info_.SetTimeExpansion(TimeBase::RepairedExpansion(info_.TimeExpansion()));
  compression_ = in.compression;
  for (const MarkRecord& m : in.marks) marks_.AppendFromFile(m);
  segments_ = std::move(in.segments);
  guano_ = std::move(in.guano);
  otherChunks_ = std::move(in.otherChunks);
  positionsAsRead_ = in.positionsAsRead;
  views_.SetViewRecordsRead(static_cast<int>(in.views.size()));
  if (!in.views.empty() && context_.viewRecordsRead) context_.viewRecordsRead(in.views);
  views_.SetPending(std::move(in.views));
}

WaveContents CNorvaneDoc::Contents() const {
  WaveContents c;
  c.format = format_;
  c.hasFormat = true;
  c.info = info_;
  c.compression = compression_;
  const auto& registered = views_.RegisteredSoundViews();
  for (auto it = registered.rbegin(); it != registered.rend(); ++it)
    c.views.push_back((*it)->CurrentSettings());
  c.marks = marks_.Items();
  c.segments = segments_;
  c.guano = guano_;
  c.otherChunks = otherChunks_;
  c.positionsAsRead = positionsAsRead_;
  // The name of the file the sound was read from, when it was read from one.
  if (!file_.Empty() && !c.guano.Find("Original Filename")) c.guano.Set("Original Filename", file_.FileName());
  return c;
}

bool CNorvaneDoc::Open(const SoundFilePath& file, const FramesRead& framesRead, SampleAccess access) {
  DeleteContents();
  SoundFilePath found = file;
  WaveContents in;
  // A raw file carries neither; a WAVE file without private forms keeps the
  // compression settings.
  in.info = info_;
  in.compression = compression_;
  // A pass over the frames as they arrive runs on a thread of its own,
  // behind the copy.
  std::optional<FramesFollower> follower;
  CopyProgress progress;
  if (framesRead) {
    follower.emplace(store_.WorkFile(), framesRead);
    progress = [&](int64_t bytes) {
      if (!follower->Arrived(bytes, in.format))
        ShowMessage("CAN NOT MAP VIEW OF FILE: " + SystemErrorText(errno));
    };
  }
  const bool ok = ReadSoundFile(found, in, store_.WorkFile(), progress, access);
  if (follower) follower->Finish();
  ApplyContents(std::move(in));
  if (!ok) return false;
  SetLength(BytesToFrames(store_.WorkFile().Size()));
  if (store_.LastBufferIndex() < 0) store_.SetLastBufferIndex(0);
  if (access == SampleAccess::InPlaceUntilChanged && store_.WorkFile().IsAdopted())
    store_.WorkFile().SetBeforeFirstChange([this](TempFile& work) { return CopyWorkFile(work); });
  if (ReadsInPlace()) sourceWatch_.Watch(found.path, store_.WorkFile().Fd());
  file_ = found;
  modified_ = false;
  return true;
}

bool CNorvaneDoc::ReadsInPlace() const { return WorkFile().IsAdopted(); }

bool CNorvaneDoc::MakeWorkFileOwn() { return store_.WorkFile().PrepareForChange(); }

SourceChange CNorvaneDoc::CheckSourceFile() {
  if (!ReadsInPlace()) {
    sourceWatch_.Stop();
    return SourceChange::None;
  }
  return sourceWatch_.Check(WorkFile().SourceShortened());
}

bool CNorvaneDoc::CopyWorkFile(TempFile& work) {
  const bool shortened = work.SourceShortened();
  const auto copy = [this](int src, int64_t from, int dst, int64_t to, int64_t bytes) {
    // Pieces of 32 MiB: a cancel is answered within a fraction of a second.
    constexpr int64_t kPieceBytes = int64_t{32} << 20;
    for (int64_t done = 0; done < bytes;) {
      const int64_t n = std::min(kPieceBytes, bytes - done);
      if (!CopyRange(src, from + done, dst, to + done, n, store_.CopyPieceBytes())) return false;
      done += n;
      if (copyProgress_ && !copyProgress_(done, bytes)) {
        errno = ECANCELED;
        return false;
      }
    }
    return true;
  };
  if (work.MakeOwn(copy)) {
    if (shortened && sourceWatch_.FirstNoticeOfShortening())
      ShowMessage(SourceChangeText(SourceChange::Shortened, file_.path));
    return true;
  }
  if (errno != ECANCELED) ShowWorkFileWriteError();
  errno = ECANCELED;
  return false;
}

bool CNorvaneDoc::Save(const SoundFilePath& target, FrameIndex first, FrameIndex end) {
  if (first < 0 && end < 0) {
    first = 0;
    end = FrameCount();
  } else {
    if (first < 0) first = 0;
    if (end < 0) end = FrameCount();
    if (end < first) std::swap(first, end);
  }
  first = std::clamp<int64_t>(first, 0, FrameCount());
  end = std::clamp<int64_t>(end, 0, FrameCount());
  const bool whole = first == 0 && end == FrameCount();
  if (!CheckDiskSpace(target.path, FramesToBytes(end - first))) return false;
  bool ok;
  if (IsWaveType(target.type))
    ok = WriteRiffFile(target.path, target.type, Contents(), store_.WorkFile(), first, end, whole, &compression_);
  else
    ok = WriteRawFile(target.path, format_, store_.WorkFile(), first, end);
  if (ok && file_.path == target.path) {
    modified_ = false;
    // The file there is now the one this document wrote.
    sourceWatch_.Renew();
  }
  return ok;
}

}  // namespace nv
