// norvane-cli marks: lists a file's marks, their distance table, or exports
// and imports them as label tracks and selection tables.
#include <cstdio>
#include <string>

#include "CliSupport.h"
#include "document/CNorvaneDoc.h"
#include "document/MarkExchange.h"
#include "fileformats/FileType.h"

namespace nv::cli {
namespace {

const char* kMarksUsage =
    "usage: norvane-cli marks FILE [--distances | --export labels|raven OUT |\n"
    "                               --import labels|raven IN -o OUT]";

std::string OneField(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return r;
}

void PrintMarks(const CNorvaneDoc& doc) {
  std::printf("number\tlabel\tposition\ttime-ms\tvalue\tin-spectrogram\tchannel\tkind\tdescription\n");
  for (const MarkRecord& m : doc.Marks()) {
    const double ms = static_cast<double>(doc.FramesToMicroseconds(m.position)) / 1000.0;
    std::printf("%d\t%s\t%d\t%.3f\t%d\t%d\t%d\t%d\t%s\n", m.number, OneField(m.label).c_str(), m.position,
                ms, m.value, m.inSpectrogram, m.channel, m.kind, OneField(m.description).c_str());
  }
}

}  // namespace

int RunMarks(const Args& a, DocumentContext& documents) {
  const int modes = a.Has("distances") + a.Has("export") + a.Has("import");
  if (modes > 1) return Fail(std::string("Choose one of --distances, --export and --import.\n") + kMarksUsage);
  const size_t wantPositional = a.Has("export") || a.Has("import") ? 2 : 1;
  if (a.positional.size() != wantPositional) return Fail(kMarksUsage);
  std::optional<MarkExchangeFormat> format;
  if (a.Has("export") || a.Has("import")) {
    const std::string name = a.Get(a.Has("export") ? "export" : "import");
    format = ParseMarkExchangeFormat(name);
    if (!format) return Fail("Unknown mark file format '" + name + "': use labels or raven.");
  }
  if (a.Has("import") && a.Get("o").empty()) return Fail(kMarksUsage);

  CNorvaneDoc doc(documents);
  if (!OpenSoundArgument(doc, a.positional[0])) return 1;
  if (a.Has("distances")) {
    const std::string text = doc.Marks().DistanceText(doc.Format().nSamplesPerSec, doc.Info().TimeExpansion());
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
  }
  if (a.Has("export")) return ExportMarksFile(doc, *format, a.positional[1]) ? 0 : 1;
  if (a.Has("import")) {
    size_t added = 0;
    if (!ImportMarksFile(doc, *format, a.positional[1], &added)) return 1;
    // Marks travel only in the program's own wave types.
    const FileType type =
        doc.File().type == FileType::NorvaneWaveComp ? FileType::NorvaneWaveComp : FileType::NorvaneWave;
    if (!doc.Save({a.Get("o"), type})) return 1;
    std::printf("imported: %zu\n", added);
    return 0;
  }
  PrintMarks(doc);
  return 0;
}

}  // namespace nv::cli
