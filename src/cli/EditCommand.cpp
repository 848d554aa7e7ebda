// norvane-cli edit: one edit of a range of a sound, saved to a new file.
#include <cstdio>

#include "CliSupport.h"
#include "document/CNorvaneDoc.h"
#include "document/SoundEditor.h"

namespace nv::cli {
namespace {

std::vector<uint8_t> WorkBytes(CNorvaneDoc& doc) {
  const SampleMapping mapping = doc.MapSamples(MapAccess::Read);
  std::vector<uint8_t> b;
  if (mapping) b.assign(mapping.Data(), mapping.Data() + doc.WorkFile().Size());
  return b;
}

}  // namespace

int RunEdit(const Args& a, DocumentContext& documents) {
  const char* usage =
      "usage: norvane-cli edit IN OUT (--delete | --silence | --reverse | --volume PERCENT) "
      "--from FRAME --to FRAME [--channel 1|2|3] [--type CODE] [--undo-check]";
  if (a.positional.size() != 2 || !a.Has("from") || !a.Has("to")) return Fail(usage);
  int ops = a.Has("delete") + a.Has("silence") + a.Has("reverse") + a.Has("volume");
  if (ops != 1) return Fail(usage);
  auto from = ParseInteger(a.Get("from"), "start frame");
  auto to = ParseInteger(a.Get("to"), "end frame");
  if (!from || !to) return 1;
  long long channel = 3;
  if (a.Has("channel")) {
    auto c = ParseInteger(a.Get("channel"), "channel");
    if (!c) return 1;
    if (*c < 1 || *c > 3) return Fail("--channel must be 1 (left), 2 (right) or 3 (both).");
    channel = *c;
  }
  long long percent = 100;
  if (a.Has("volume")) {
    auto p = ParseInteger(a.Get("volume"), "volume");
    if (!p) return 1;
    if (*p < 10 || *p > 1000) return Fail("The volume must be a whole number from 10 to 1000 %.");
    percent = *p;
  }
  CNorvaneDoc doc(documents);
  if (!OpenSoundArgument(doc, a.positional[0])) return 1;
  long long type = ToCode(doc.File().type);
  if (a.Has("type")) {
    auto t = ParseInteger(a.Get("type"), "type");
    if (!t) return 1;
    if (*t < 1 || *t > 7 || *t == 4) return Fail("Type " + a.Get("type") + " can not be written.");
    type = *t;
  }
  const std::vector<uint8_t> before = a.Has("undo-check") ? WorkBytes(doc) : std::vector<uint8_t>();
  SoundEditor& ed = doc.Editor();
  const ChannelSelection c = ChannelSelectionFromCode(channel);
  bool ok = a.Has("delete")    ? ed.Delete(*from, *to, c)
            : a.Has("silence") ? ed.Silence(*from, *to, c)
            : a.Has("reverse") ? ed.Reverse(*from, *to, c)
                               : ed.Volume(*from, *to, c, static_cast<int>(percent));
  if (!ok) return 1;
  if (a.Has("undo-check")) {
    if (ed.CanUndo() && !ed.Undo()) return 1;
    if (WorkBytes(doc) != before) return Fail("Undo did not restore the samples.");
    return 0;
  }
  return doc.Save({a.positional[1], FileTypeFromCode(type)}) ? 0 : 1;
}

}  // namespace nv::cli
