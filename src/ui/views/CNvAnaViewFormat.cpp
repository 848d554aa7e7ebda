// The sound view's "Sound &Format": the dialog on the view's document, the
// format query of the chosen output device, and the application of the
// result to the document, the defaults and this view.
#include "base/CommandIds.h"
#include "document/CNorvaneDoc.h"
#include "document/SoundFormatDialog.h"
#include "document/SoundFormatEdit.h"
#include "views/CNvAnaView.h"
#include "views/ViewHost.h"

bool CNvAnaView::OnFormatCommand(int id) {
  if (id != cmd::kSoundFormat) return false;
  if (!doc_) return true;
  ViewHost& host = ViewHost::Get();
  const std::string device = host.OutputDevice();
  // The query asks the chosen output device. Without any output device (no
  // sound server) nothing can answer; that must not stop a user from
  // correcting the factor or the rate of a recording.
  nv::FormatQuery query = [&host, device](int channels, int bits, int64_t rateHz) {
    if (host.Audio().Devices(nv::StreamDirection::Output).empty()) return true;
    nv::WaveFormatEx f;
    f.SetFormat(channels, bits, rateHz);
    return host.Audio().Supports(nv::StreamDirection::Output, device, f);
  };
  const auto choice = SoundFormatDialog::Ask(*doc_, query, window());
  if (!choice || !doc_) return true;
  // A new rate makes the measurement cursors and the zoom history meaningless.
  if (choice->rateHz != static_cast<int64_t>(doc_->Format().nSamplesPerSec)) ClearMeasurementAndHistory();
  nv::ApplySoundFormat(*doc_, *choice);
  UpdateFormatText();
  host.RequestCommandUpdate();
  return true;
}

bool CNvAnaView::OnUpdateFormatCommand(int id, CommandState& st) {
  if (id != cmd::kSoundFormat) return false;
  st.enabled = doc_ != nullptr && !ViewHost::Get().IsPlaying();
  return true;
}
