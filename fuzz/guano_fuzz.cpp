// Feeds arbitrary bytes to the GUANO metadata parser as the content of a
// "guan" chunk. Whatever it reads must serialise and read back to the same
// fields; applying the fields to a recording information (every timestamp
// form included) and bringing them up to date for a save must keep a
// timestamp that states the date and time read from it, and the result must
// serialise and read back without a bad line.
#include <cstdint>
#include <string>
#include <vector>

#include "base/RecordingInfo.h"
#include "fileformats/Guano.h"

namespace {

// Serialises `g` (into `text` when given) and parses the text again.
nv::Guano RoundTrip(const nv::Guano& g, std::string* serialised = nullptr) {
  std::string own;
  std::string& text = serialised ? *serialised : own;
  text = g.Serialise();
  int bad = 0;
  nv::Guano back = nv::Guano::Parse(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &bad);
  if (bad != 0 || text.size() % 2 != 0) __builtin_trap();
  for (const nv::Guano::Field& f : g.Fields()) {
    const std::string* v = back.Find(f.key);
    if (!v || *v != f.value) __builtin_trap();
  }
  if (back.Fields().size() != g.Fields().size() + (g.Find("GUANO|Version") ? 0 : 1)) __builtin_trap();
  return back;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int bad = 0;
  const nv::Guano g = nv::Guano::Parse(data, size, &bad);
  if (bad < 0) __builtin_trap();
  std::string text;
  const nv::Guano back = RoundTrip(g, &text);
  if (back.Serialise() != text) __builtin_trap();

  // Without the program's own record the fields fill the information; a save
  // right after must not change a timestamp that was read into it.
  nv::RecordingInfo info;
  std::vector<std::string> problems;
  g.ApplyTo(info, 44100, problems);
  nv::Guano updated = g;
  updated.UpdateForSave(info, 384000, 3840000, "f.wav");
  const std::string* before = g.Find("Timestamp");
  const std::string* after = updated.Find("Timestamp");
  if (before && (!after || *after != *before)) __builtin_trap();
  (void)RoundTrip(updated);

  // An edited date and time replace the timestamp (the offset kept).
  info.SetDate("24.12.25");
  info.SetTime("21:40:05");
  nv::Guano edited = g;
  edited.UpdateForSave(info, 44100, 0, "g.wav");
  (void)RoundTrip(edited);
  return 0;
}
