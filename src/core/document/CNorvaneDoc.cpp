#include "document/CNorvaneDoc.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "document/DocumentContext.h"
#include "base/MessageSink.h"
#include "document/TransferBuffers.h"
#include "fileformats/FileType.h"
#include "fileformats/SoundFileReader.h"
#include "fileformats/SoundFileWriter.h"

namespace nv {

CNorvaneDoc::CNorvaneDoc() {
  DocumentContext& ctx = DocumentContext::Instance();
  sequence_ = ++ctx.documentSequence;
  const DefaultData& def = ctx.defaults;
  format_.SetFormat(def.channels, def.bits, def.rateHz);
  info_ = def.info;
  // The filler receives the first 6 bytes of the default record's time text.
  info_.SetFiller(def.info.Bytes().data() + 72);
  if (!work_.Create("NrTmp") || !clip_.Create("NrClp") || !undo_.Create("NrUnd")) {
    ShowMessage("Can not create temporary file: " + SystemErrorText(errno));
    valid_ = false;
  } else {
    const uint8_t zeros[4] = {0, 0, 0, 0};
    work_.WriteAt(0, zeros, 4);
  }
  RecomputeBufferSize();
}

CNorvaneDoc::~CNorvaneDoc() {
  if (DocumentContext::Instance().clipOwner == this) DocumentContext::Instance().clipOwner = nullptr;
  work_.Close();
  clip_.Close();
  undo_.Close();
}

std::string CNorvaneDoc::Title() const {
  if (pathName_.empty()) return "Untitled" + std::to_string(sequence_);
  LabeledPath lp = SplitTypeLabel(pathName_);
  size_t slash = lp.path.find_last_of('/');
  std::string name = slash == std::string::npos ? lp.path : lp.path.substr(slash + 1);
  return lp.label.empty() ? name : name + " " + lp.label;
}

void CNorvaneDoc::RecomputeBufferSize() {
  bufferSize_ = ComputeBufferSize(format_);
  if (!TransferBuffers::Instance().Allocate(bufferSize_)) {
    ShowMessage("Out of memory.");
    std::exit(-1);
  }
}

void CNorvaneDoc::SetLength(int64_t frames) {
  frames = std::clamp<int64_t>(frames, 0, kMaxFrames);
  frameCount_ = static_cast<int32_t>(frames);
  const int64_t bytes = frames * format_.nBlockAlign;
  lastBufferIndex_ = (bytes + bufferSize_ - 1) / bufferSize_ - 1;
  for (SoundViewObserver* v : views_) {
    if (!v->IsSoundView()) continue;
    const int32_t end = v->SelectionEnd();
    if (end < 0 || end > frameCount_) v->ClearSelection();
    v->OnNewLength(frameCount_);
  }
}

int64_t CNorvaneDoc::FramesToMicroseconds(int64_t n) const {
  return nv::FramesToMicroseconds(n, format_.nSamplesPerSec, info_.TimeExpansion());
}

int64_t CNorvaneDoc::MicrosecondsToFrames(int64_t t) const {
  return nv::MicrosecondsToFrames(t, format_.nSamplesPerSec, info_.TimeExpansion());
}

uint8_t* CNorvaneDoc::MapSamples(bool readOnly) {
  uint8_t* p = work_.Map(readOnly);
  if (!p) ShowMessage("CAN NOT MAP VIEW OF FILE: " + SystemErrorText(errno));
  return p;
}

SampleSource CNorvaneDoc::Samples() {
  if (frameCount_ <= 0) return SampleSource(nullptr, 0, format_);
  const uint8_t* p = MapSamples(true);
  return SampleSource(p, p ? frameCount_ : 0, format_);
}

uint8_t* CNorvaneDoc::MapClip(bool readOnly) {
  uint8_t* p = clip_.Map(readOnly);
  if (!p) ShowMessage("CANNOT CREATE VIEW OF FILE: " + SystemErrorText(errno));
  return p;
}

uint8_t* CNorvaneDoc::MapUndo(bool readOnly) {
  uint8_t* p = undo_.Map(readOnly);
  if (!p) ShowMessage("CAN NOT MAP VIEW OF FILE: " + SystemErrorText(errno));
  return p;
}

void CNorvaneDoc::UnmapFile(int fd) {
  for (TempFile* f : {&work_, &clip_, &undo_})
    if (f->Fd() == fd) f->Unmap();
}

void CNorvaneDoc::AddView(SoundViewObserver* v) {
  if (std::find(views_.begin(), views_.end(), v) == views_.end()) views_.push_back(v);
}

void CNorvaneDoc::RemoveView(SoundViewObserver* v) {
  views_.erase(std::remove(views_.begin(), views_.end(), v), views_.end());
  UnregisterSoundView(v);
}

std::optional<AnalysisSettings> CNorvaneDoc::RegisterSoundView(SoundViewObserver* v) {
  std::optional<AnalysisSettings> start;
  if (!pendingViews_.empty()) {
    start = pendingViews_.back();
    pendingViews_.pop_back();
  } else if (activeView_) {
    start = activeView_->CurrentSettings();
  }
  if (std::find(soundViews_.begin(), soundViews_.end(), v) == soundViews_.end())
    soundViews_.push_back(v);
  AddView(v);
  activeView_ = v;
  if (info_.TimeExpansion() <= 0) info_.SetTimeExpansion(1000);
  return start;
}

void CNorvaneDoc::UnregisterSoundView(SoundViewObserver* v) {
  soundViews_.erase(std::remove(soundViews_.begin(), soundViews_.end(), v), soundViews_.end());
  if (activeView_ == v) activeView_ = soundViews_.empty() ? nullptr : soundViews_.back();
}

void CNorvaneDoc::UpdateAllViews(SoundViewObserver* sender, int hint) {
  for (SoundViewObserver* v : std::vector<SoundViewObserver*>(views_))
    if (v != sender) v->OnUpdate(hint);
}

void CNorvaneDoc::AppendMarkFromFile(const MarkRecord& m) {
  marks_.push_back(m);
  if (m.number + 1 > nextMarkNumber_) nextMarkNumber_ = m.number + 1;
  setActiveMenu_.items.push_back({m.label, MarkMenu::kSetActiveBase + m.number});
  scrollToMenu_.items.push_back({m.label, MarkMenu::kScrollToBase + m.number});
}

void CNorvaneDoc::DeleteContents() {
  work_.Truncate(0);
  frameCount_ = 0;
  lastBufferIndex_ = -1;
  marks_.clear();
  nextMarkNumber_ = 0;
  setActiveMenu_.items.clear();
  scrollToMenu_.items.clear();
  pendingViews_.clear();
  viewRecordsRead_ = 0;
  segments_.clear();
  undo = UndoRecord{};
  modified_ = false;
}

void CNorvaneDoc::ApplyContents(WaveContents&& in) {
  if (in.hasFormat) {
    format_ = in.format;
    RecomputeBufferSize();
  }
  info_ = in.info;
  compression_ = in.compression;
  for (const MarkRecord& m : in.marks) AppendMarkFromFile(m);
  segments_ = std::move(in.segments);
  viewRecordsRead_ = static_cast<int>(in.views.size());
  const DocumentContext& ctx = DocumentContext::Instance();
  if (!in.views.empty() && ctx.viewRecordsRead) ctx.viewRecordsRead(in.views);
  pendingViews_ = std::move(in.views);
}

WaveContents CNorvaneDoc::Contents() const {
  WaveContents c;
  c.format = format_;
  c.hasFormat = true;
  c.info = info_;
  c.compression = compression_;
  for (auto it = soundViews_.rbegin(); it != soundViews_.rend(); ++it)
    c.views.push_back((*it)->CurrentSettings());
  c.marks = marks_;
  c.segments = segments_;
  return c;
}

bool CNorvaneDoc::Open(const std::string& pathWithLabel) {
  LabeledPath lp = SplitTypeLabel(pathWithLabel);
  DeleteContents();
  int found = lp.code;
  WaveContents in;
  // A raw file carries neither; a WAVE file without private forms keeps the
  // compression settings.
  in.info = info_;
  in.compression = compression_;
  bool ok;
  if (lp.code == 1 || lp.code == 5 || lp.code == 7)
    ok = ReadWaveFile(lp.path, in, work_, found);
  else
    ok = ReadRawFile(lp.path, lp.code, in, work_);
  ApplyContents(std::move(in));
  if (!ok) return false;
  SetLength(BytesToFrames(work_.Size()));
  if (lastBufferIndex_ < 0) lastBufferIndex_ = 0;
  fileType_ = found;
  pathName_ = ReplaceTypeLabel(pathWithLabel, TypeLabel(found));
  modified_ = false;
  return true;
}

bool CNorvaneDoc::Save(const std::string& path, int code, int64_t first, int64_t end) {
  if (first < 0 && end < 0) {
    first = 0;
    end = frameCount_;
  } else {
    if (first < 0) first = 0;
    if (end < 0) end = frameCount_;
    if (end < first) std::swap(first, end);
  }
  first = std::clamp<int64_t>(first, 0, frameCount_);
  end = std::clamp<int64_t>(end, 0, frameCount_);
  const bool whole = first == 0 && end == frameCount_;
  if (!CheckDiskSpace(path, FramesToBytes(end - first))) return false;
  bool ok;
  if (code == 1 || code == 5 || code == 7)
    ok = WriteRiffFile(path, code, Contents(), work_, first, end, whole, &compression_);
  else
    ok = WriteRawFile(path, format_, work_, first, end);
  if (ok && SplitTypeLabel(pathName_).path == path) modified_ = false;
  return ok;
}

}  // namespace nv
