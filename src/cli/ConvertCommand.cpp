// norvane-cli convert: open a file and save it (whole or a range) as another type.
#include "CliSupport.h"
#include "document/CNorvaneDoc.h"

namespace nv::cli {

int RunConvert(const Args& a, DocumentContext& documents) {
  if (a.positional.size() != 2 || !a.Has("type"))
    return Fail("usage: norvane-cli convert IN OUT --type CODE [--from FRAME --to FRAME] "
                "[--level DB --before MS --after MS]");
  auto code = ParseInteger(a.Get("type"), "type");
  if (!code) return 1;
  if (*code < 1 || *code > 7 || *code == 4)
    return Fail("Type " + a.Get("type") + " can not be written; use 1, 2, 3, 5, 6 or 7.");
  long long from = -1, to = -1;
  if (!ReadIntegerOption(a, "from", "start frame", from)) return 1;
  if (!ReadIntegerOption(a, "to", "end frame", to)) return 1;
  CNorvaneDoc doc(documents);
  if (!OpenSoundArgument(doc, a.positional[0])) return 1;
  CompressionInfo& ci = doc.Compression();
  struct Field {
    const char* name;
    int32_t* value;
    long long lo, hi;
  } fields[] = {{"level", &ci.levelDb, -99, 99}, {"before", &ci.beforeMs, 0, 9999},
                {"after", &ci.afterMs, 0, 9999}};
  for (const Field& f : fields) {
    if (!a.Has(f.name)) continue;
    auto v = ParseInteger(a.Get(f.name), f.name);
    if (!v) return 1;
    if (*v < f.lo || *v > f.hi)
      return Fail(std::string("--") + f.name + " must be from " + std::to_string(f.lo) + " to " +
                  std::to_string(f.hi) + ".");
    *f.value = static_cast<int32_t>(*v);
  }
  if (*code == 7) ci.fileType = 7;
  return doc.Save({a.positional[1], FileTypeFromCode(*code)}, from, to) ? 0 : 1;
}

}  // namespace nv::cli
