// The sound view's "&Record sound": the append or clear question by input
// kind, the record-view settings taken from this view, and the recording
// view on the document. When the recording ends, the recording view tells
// this view, which takes up the new length (see CNvRecView).
#include "audio/RecordViewSettings.h"
#include "audio/Recorder.h"
#include "base/CommandIds.h"
#include "base/MessageSink.h"
#include "document/CNorvaneDoc.h"
#include "views/CNvAnaView.h"
#include "views/ViewHost.h"

bool CNvAnaView::OnRecordCommand(int id) {
  if (id != cmd::kSoundRecord) return false;
  ViewHost& host = ViewHost::Get();
  if (!doc_ || host.IsPlaying()) return true;
  const auto kind = static_cast<nv::InputKind>(host.InputKind());
  auto ask = [](const std::string& question) { return nv::Messages().Ask(question, nv::MessageIcon::Question); };
  if (!nv::PrepareRecording(*doc_, kind, ask)) return true;
  const nv::RecordViewSettings s = nv::RecordViewSettingsFrom(settings_, settings_.timePerPlotUs);
  host.OpenRecordingView(doc_, this, s);
  return true;
}

bool CNvAnaView::OnUpdateRecordCommand(int id, CommandState& st) {
  if (id != cmd::kSoundRecord) return false;
  st.enabled = doc_ != nullptr && !ViewHost::Get().IsPlaying();
  return true;
}
