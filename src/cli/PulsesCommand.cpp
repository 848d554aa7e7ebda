// norvane-cli pulses: the pulse characteristics analysis of a sound file,
// printed as the results dialog's "Copy " text or as a selection table.
#include <cstdio>
#include <string>
#include <vector>

#include "CliSupport.h"
#include "PulseOptions.h"
#include "analysis/PulseAnalysis.h"
#include "analysis/PulseTable.h"
#include "document/CNorvaneDoc.h"

namespace nv::cli {

int RunPulses(const Args& a, DocumentContext& documents) {
  const std::string usage = std::string("usage: norvane-cli pulses FILE ") + PulseOptions::Usage() +
                            " [--format table|raven]";
  if (a.positional.size() != 1) return Fail(usage);
  PulseOptions options;
  if (!options.Read(a)) return 1;
  const std::string format = a.Get("format", "table");
  if (format != "table" && format != "raven") return Fail("--format must be table or raven.");
  CNorvaneDoc doc(documents);
  if (!OpenSoundArgument(doc, a.positional[0])) return 1;

  PulseRunInput in;
  std::string error;
  if (!options.For(doc.PendingViewRecords(), in.settings, error)) return Fail(error);
  in.samples = doc.Samples();
  if (doc.FrameCount() > 0 && in.samples.Empty()) return 1;
  in.rateHz = doc.Format().nSamplesPerSec;
  in.timeExpansion = doc.Info().TimeExpansion();
  if (!options.CheckFile(in.rateHz, in.timeExpansion, error)) return Fail(error);
  in.startFrame = options.fromFrame;
  in.endFrame = options.toFrame;
  std::vector<PulseResult> results;
  PulseCallbacks cb;
  cb.result = [&](PulseResult&& r) { results.push_back(std::move(r)); };
  PulseAnalysis::Run(in, cb);

  std::string text = format == "raven" ? PulseTable::RavenText(results, options.channel)
                                       : PulseTable(in.settings).Text(results);
  // Plain line ends on a terminal and in pipes.
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '\r') out += c;
  std::fputs(out.c_str(), stdout);
  return 0;
}

}  // namespace nv::cli
