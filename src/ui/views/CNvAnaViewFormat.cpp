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
  const auto choice = SoundFormatDialog::Ask(*doc_, ViewHost::Get().OutputFormatQuery(), window());
  if (!choice || !doc_) return true;
  // A new rate makes the measurement cursors and the zoom history meaningless.
  if (choice->rateHz != static_cast<int64_t>(doc_->Format().nSamplesPerSec)) ClearMeasurementAndHistory();
  nv::ApplySoundFormat(*doc_, *choice);
  UpdateFormatText();
  ViewHost::Get().RequestCommandUpdate();
  return true;
}

bool CNvAnaView::OnUpdateFormatCommand(int id, CommandState& st) {
  if (id != cmd::kSoundFormat) return false;
  st.enabled = doc_ != nullptr && !ViewHost::Get().IsPlaying();
  return true;
}
