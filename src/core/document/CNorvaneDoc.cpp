#include "document/CNorvaneDoc.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "app/AppCore.h"
#include "app/MessageSink.h"
#include "document/TransferBuffers.h"
#include "fileformats/FileType.h"
#include "fileformats/SoundFileReader.h"
#include "fileformats/SoundFileWriter.h"

namespace nv {

uint32_t ComputeBufferSize(const WaveFormatEx& f) {
  const uint32_t align = static_cast<uint32_t>(f.wBitsPerSample) * f.nChannels / 8;
  const uint64_t avg = static_cast<uint64_t>(f.nSamplesPerSec) * align;
  uint64_t q = avg / 16;
  q -= q % 64;
  if (align) q -= q % align;
  // Very low rates give 0; 64 bytes keep every division by it defined.
  return q ? static_cast<uint32_t>(q) : 64u;
}

CNorvaneDoc::CNorvaneDoc() {
  AppCore& app = AppCore::Instance();
  sequence_ = ++app.documentSequence;
  const DefaultData& def = app.defaultData;
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
  if (AppCore::Instance().clipOwner == this) AppCore::Instance().clipOwner = nullptr;
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

namespace {
int64_t Clamp64(__int128 v) {
  if (v > INT64_MAX) return INT64_MAX;
  if (v < INT64_MIN) return INT64_MIN;
  return static_cast<int64_t>(v);
}
}  // namespace

int64_t CNorvaneDoc::FramesToMicroseconds(int64_t n) const {
  const int64_t rate = format_.nSamplesPerSec;
  const int64_t te = info_.TimeExpansion();
  if (rate == 0 || te == 0) return 0;
  __int128 v = static_cast<__int128>(n) * 1000000000;
  v /= rate;
  v /= te;
  return Clamp64(v);
}

int64_t CNorvaneDoc::MicrosecondsToFrames(int64_t t) const {
  __int128 v = static_cast<__int128>(info_.TimeExpansion()) * format_.nSamplesPerSec * t;
  v /= 1000000;
  v /= 1000;
  return Clamp64(v);
}

uint8_t* CNorvaneDoc::MapSamples(bool readOnly) {
  uint8_t* p = work_.Map(readOnly);
  if (!p) ShowMessage("CAN NOT MAP VIEW OF FILE: " + SystemErrorText(errno));
  return p;
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

bool CNorvaneDoc::Open(const std::string& pathWithLabel) {
  LabeledPath lp = SplitTypeLabel(pathWithLabel);
  DeleteContents();
  int found = lp.code;
  bool ok;
  if (lp.code == 1 || lp.code == 5 || lp.code == 7)
    ok = ReadWaveFile(*this, lp.path, found);
  else
    ok = ReadRawFile(*this, lp.path, lp.code);
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
    ok = WriteRiffFile(*this, path, code, first, end, whole);
  else
    ok = WriteRawFile(*this, path, first, end);
  if (ok && SplitTypeLabel(pathName_).path == path) modified_ = false;
  return ok;
}

}  // namespace nv
