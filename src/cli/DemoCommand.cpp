// norvane-cli demo: writes the demo recording in the program's own wave type.
#include "CliSupport.h"
#include "document/CNorvaneDoc.h"
#include "document/DemoRecording.h"
#include "fileformats/FileType.h"

namespace nv::cli {

int RunDemo(const Args& a, DocumentContext& documents) {
  if (a.positional.size() != 1) return Fail("usage: norvane-cli demo OUT");
  CNorvaneDoc doc(documents);
  if (!doc.IsValid() || !BuildDemoRecording(doc)) return 1;
  // One stored view, so that the demo opens showing all of it.
  struct DemoView : SoundViewObserver {
    AnalysisSettings CurrentSettings() const override { return DemoViewSettings(); }
  } view;
  doc.RegisterSoundView(&view);
  const bool ok = doc.Save({a.positional[0], FileType::NorvaneWave});
  doc.RemoveView(&view);
  return ok ? 0 : 1;
}

}  // namespace nv::cli
