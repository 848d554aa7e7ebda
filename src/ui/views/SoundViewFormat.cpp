#include "views/SoundViewFormat.h"

#include "base/CommandIds.h"
#include "document/CNorvaneDoc.h"
#include "document/SoundFormatDialog.h"
#include "document/SoundFormatEdit.h"
#include "views/CNvAnaView.h"
#include "views/SoundDevicesDialog.h"
#include "views/SoundViewReadout.h"
#include "views/ViewHost.h"

bool SoundViewFormat::OnCommand(int id) {
  if (id == cmd::kSoundDevices) {
    SoundDevicesDialog::ChooseForHost(host_, &view_);
    return true;
  }
  if (id != cmd::kSoundFormat) return false;
  if (!view_.Document()) return true;
  const auto choice = SoundFormatDialog::Ask(*view_.Document(), host_.OutputFormatQuery(), view_.window());
  nv::CNorvaneDoc* doc = view_.Document();
  if (!choice || !doc) return true;
  // A new rate makes the measurement cursors and the zoom history meaningless.
  if (choice->rateHz != static_cast<int64_t>(doc->Format().nSamplesPerSec)) view_.ClearMeasurementAndHistory();
  nv::ApplySoundFormat(*doc, *choice);
  view_.Readout().ShowFormat();
  host_.RequestCommandUpdate();
  return true;
}

bool SoundViewFormat::OnUpdateCommand(int id, CommandState& st) {
  if (id == cmd::kSoundDevices) {
    st.enabled = true;
    return true;
  }
  if (id != cmd::kSoundFormat) return false;
  st.enabled = view_.Document() != nullptr && !host_.IsPlaying();
  return true;
}
