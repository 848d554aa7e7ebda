// norvane-cli: the headless front end over the Norvane core, for batch work
// and scripted checks.
#include <cstdio>
#include <cstring>
#include <string>

#include "CliSupport.h"

namespace {

const char* kUsage =
    "usage: norvane-cli COMMAND ...\n"
    "  info FILE                      describe a sound file (FILE may end with a type label)\n"
    "  convert IN OUT --type CODE [--from FRAME --to FRAME] [--level DB --before MS --after MS]\n"
    "  demo OUT                       write the demo recording\n"
    "  edit IN OUT (--delete | --silence | --reverse | --volume PERCENT) --from FRAME --to FRAME\n"
    "       [--channel 1|2|3] [--type CODE] [--undo-check]\n"
    "  filter-design --type butterworth|chebyshev|elliptic|user --band lowpass|highpass|bandpass|bandstop\n"
    "       --order N [--fc HZ | --fl HZ --fu HZ] [--ripple TENTHS_DB] [--stopband DB] [--file FILTER.txt]\n"
    "       (--nyquist HZ | --sound FILE) [--response]\n"
    "  filter IN OUT (filter options as filter-design) [--channel 1|2|3] [--from FRAME --to FRAME]\n"
    "       [--type CODE]\n"
    "  play FILE [--speed S] [--from FRAME [--to FRAME]] [--device NAME]\n"
    "                                 play through the sound server (S: 1/32 ... 4, as fraction or decimal)\n"
    "  record OUT --seconds S [--rate HZ] [--channels 1|2] [--bits 8|16] [--device NAME]\n"
    "       [--time-expansion FACTOR]  record S seconds (whole blocks) from the input device\n"
    "  devices                        list the sound server's output and input devices\n"
    "  slow IN OUT --speed S          a copy relabelled to play at speed S with unchanged real times\n"
    "  marks FILE [--distances | --export labels|raven OUT | --import labels|raven IN -o OUT]\n"
    "                                 list, measure, export or import the marks\n"
    "  spectrum FILE [--from FRAME --to FRAME] [--channel 1|2] [--fft N]\n"
    "       [--window rectangular|hanning|parzen|hamming|cosine] [--linear]\n"
    "                                 print the power spectrum of a range as text\n"
    "  detector IN (OUT | --play [--device NAME]) --freq HZ [--speed K] [--from FRAME --to FRAME]\n"
    "                                 [filter options as filter-design]\n"
    "                                 what the virtual bat detector plays, as a Standard Wave file or heard\n"
    "  pulses FILE [--from FRAME --to FRAME] [--channel 1|2] [--osc-threshold DB] [--spec-threshold DB]\n"
    "       [--separation-ms MS] [--min-duration-ms MS] [--freq-separation HZ] [--min-hz HZ]\n"
    "       [--max-hz HZ] [--fft N] [--overlap SAMPLES] [--window NAME] [--format table|raven]\n"
    "       [--field] [--detect-band LOW-HIGH] [--above-noise DB]\n"
    "                                 list and measure the pulses of a stretch\n"
    "  histogram FILE (--interval | --length) [--from FRAME --to FRAME] [--channel 1|2]\n"
    "       [--threshold AMPLITUDE] [--delay MS] [--start MS --end MS --bars N | --auto]\n"
    "                                 pulse interval or pulse length histogram\n"
#ifdef NORVANE_HAVE_RENDER
    "  render FILE -o OUT [--view combined|spectrogram|oscillogram|zero-crossing]\n"
    "       [--width PX --height PX] [--start FRAME] [--span-us MICROSECONDS] [--fft N]\n"
    "       [--overlap PERCENT] [--window rectangular|hanning|parzen|hamming|cosine]\n"
    "       [--scheme 0-7] [--threshold 0-32] [--contrast -10-10] [--min-hz HZ --max-hz HZ]\n"
    "                                 draw a view into a PNG (or SVG) file\n"
#endif
    "  batch pulses PATH... -o OUT.tsv [--jobs N] [--shard K/N] [--errors FILE] [pulses options]\n"
    "                                 one table of the pulses of every WAVE file under the paths\n"
#ifdef NORVANE_HAVE_RENDER
    "  batch render PATH... -o DIR [--jobs N] [--shard K/N] [--errors FILE] [render options]\n"
    "                                 one picture per WAVE file under the paths\n"
#endif
    ;

}  // namespace

int main(int argc, char** argv) {
  using namespace nv::cli;
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 1 : 0;
  }
  StderrMessageSink sink;
  nv::SetMessageSink(&sink);
  nv::DocumentContext documents;
  const std::string cmd = argv[1];
  if (cmd == "batch") return RunBatch(argc, argv);
  if (cmd == "info") return RunInfo(ParseArgs(argc, argv, 2, {}), documents);
  if (cmd == "convert") return RunConvert(ParseArgs(argc, argv, 2, {}), documents);
  if (cmd == "demo") return RunDemo(ParseArgs(argc, argv, 2, {}), documents);
  if (cmd == "filter-design") return RunFilterDesign(ParseArgs(argc, argv, 2, {"response"}), documents);
  if (cmd == "filter") return RunFilter(ParseArgs(argc, argv, 2, {}), documents);
  if (cmd == "marks") return RunMarks(ParseArgs(argc, argv, 2, {"distances"}), documents);
  if (cmd == "spectrum") return RunSpectrum(ParseArgs(argc, argv, 2, {"linear"}), documents);
  if (cmd == "detector") return RunDetector(ParseArgs(argc, argv, 2, {"play"}), documents);
  if (cmd == "edit")
    return RunEdit(ParseArgs(argc, argv, 2, {"delete", "silence", "reverse", "undo-check"}), documents);
  if (cmd == "play") return RunPlay(ParseArgs(argc, argv, 2, {}), documents);
  if (cmd == "record") return RunRecord(ParseArgs(argc, argv, 2, {}), documents);
  if (cmd == "devices") return RunDevices(ParseArgs(argc, argv, 2, {}));
  if (cmd == "slow") return RunSlow(ParseArgs(argc, argv, 2, {}), documents);
  if (cmd == "pulses") return RunPulses(ParseArgs(argc, argv, 2, {"field"}), documents);
  if (cmd == "histogram")
    return RunHistogram(ParseArgs(argc, argv, 2, {"interval", "length", "auto"}), documents);
#ifdef NORVANE_HAVE_RENDER
  if (cmd == "render") return LaunchRender(argc, argv, 2);
#endif
  std::fprintf(stderr, "Unknown command '%s'.\n%s", cmd.c_str(), kUsage);
  return 1;
}
