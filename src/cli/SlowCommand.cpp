// norvane-cli slow: a copy in the program's own wave type with the samples
// unchanged, the rate relabelled by the speed and the time-expansion factor
// grown to match, so that Norvane shows the same real times and frequencies
// and any other player plays it slowed down.
#include "CliSupport.h"
#include "audio/PlaySpeed.h"
#include "audio/SlowedCopy.h"
#include "document/CNorvaneDoc.h"
#include "fileformats/FileType.h"

namespace nv::cli {

int RunSlow(const Args& a, DocumentContext& documents) {
  if (a.positional.size() != 2 || !a.Has("speed")) return Fail("usage: norvane-cli slow IN OUT --speed S");
  auto speed = ParsePlaySpeed(a.Get("speed"));
  if (!speed)
    return Fail("Unknown play speed '" + a.Get("speed") + "'; use 1/32, 1/20, 1/16, 1/10, 1/8, 1/4, 1/2, 1, 2 or 4.");
  CNorvaneDoc doc(documents);
  if (!OpenSoundArgument(doc, a.positional[0])) return 1;
  if (!RelabelForSpeed(doc, *speed)) return 1;
  return doc.Save({a.positional[1], FileType::NorvaneWave}) ? 0 : 1;
}

}  // namespace nv::cli
