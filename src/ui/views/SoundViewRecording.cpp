#include "views/SoundViewRecording.h"

#include "audio/RecordViewSettings.h"
#include "audio/Recorder.h"
#include "base/CommandIds.h"
#include "base/MessageSink.h"
#include "document/CNorvaneDoc.h"
#include "views/CNvAnaView.h"
#include "views/ViewHost.h"

bool SoundViewRecording::OnCommand(int id) {
  if (id != cmd::kSoundRecord) return false;
  nv::CNorvaneDoc* doc = view_.Document();
  if (!doc || host_.IsPlaying()) return true;
  const auto kind = host_.InputKind();
  auto ask = [](const std::string& question) { return nv::Messages().Ask(question, nv::MessageIcon::Question); };
  // A sound still read in place from its file becomes the document's own
  // first: the recording's blocks may not wait for a copy.
  if (!doc->MakeWorkFileOwn() || !nv::PrepareRecording(*doc, kind, ask)) return true;
  const nv::AnalysisSettings& settings = view_.Settings();
  const nv::RecordViewSettings s = nv::RecordViewSettingsFrom(settings, settings.timePerPlotUs);
  host_.OpenRecordingView(doc, &view_, s);
  return true;
}

bool SoundViewRecording::OnUpdateCommand(int id, CommandState& st) {
  if (id != cmd::kSoundRecord) return false;
  st.enabled = view_.Document() != nullptr && !host_.IsPlaying();
  return true;
}
