// norvane-cli render: draws a sound view of a given kind and size into a
// PNG or SVG file, without a display. It runs in norvane-render, the one
// program of the command-line tool that loads Qt (its Gui module only).
#include <QGuiApplication>
#include <QImage>
#include <QSvgGenerator>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "CliSupport.h"
#include "base/TimeBase.h"
#include "document/CNorvaneDoc.h"
#include "dsp/WindowTable.h"
#include "plot/PngWriter.h"
#include "plot/PlotRenderer.h"
#include "plot/SoundSource.h"

namespace nv::cli {
namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// An integer option within lo ... hi; false with `error` set.
bool IntOption(const Args& a, const std::string& name, long long lo, long long hi, long long& out,
               std::string& error) {
  if (!a.Has(name)) return true;
  const std::string text = a.Get(name);
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || errno != 0 || *end != '\0') {
    error = "Invalid --" + name + ": '" + text + "'.";
    return false;
  }
  if (v < lo || v > hi) {
    error = "--" + name + " must lie between " + std::to_string(lo) + " and " + std::to_string(hi) + ".";
    return false;
  }
  out = v;
  return true;
}

// Qt's own notes (such as a missing runtime directory) are not the
// program's messages; only its critical errors are passed on.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

}  // namespace

void EnsureGuiApplication() {
  static bool made = false;
  if (made) return;
  made = true;
  // Drawing needs a GUI application object but no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QtMessages);
  static int qtArgc = 1;
  static char qtName[] = "norvane-cli";
  static char* qtArgv[] = {qtName, nullptr};
  // Left to the end of the process: norvane-render ends without tearing Qt
  // down (see main.cpp).
  new QGuiApplication(qtArgc, qtArgv);
}

bool RenderPicture(const Args& a, const RenderInput& in, const std::string& out, unsigned threads,
                   std::string& error) {
  // The file's first stored view record, else the built-in defaults (the
  // application's before any are stored).
  AnalysisSettings s;
  if (!in.views.empty()) s = in.views.back();

  if (a.Has("view")) {
    const std::string v = a.Get("view");
    if (v == "combined") {
      s.oscillogramShown = 1, s.spectrogramShown = 1, s.freqPlot = 0;
    } else if (v == "spectrogram") {
      s.oscillogramShown = 0, s.spectrogramShown = 1, s.freqPlot = 0;
    } else if (v == "oscillogram") {
      s.oscillogramShown = 1, s.spectrogramShown = 0, s.freqPlot = 0;
    } else if (v == "zero-crossing") {
      s.oscillogramShown = 1, s.spectrogramShown = 0, s.freqPlot = 1;
    } else {
      return (error = "Unknown view '" + v + "': use combined, spectrogram, oscillogram or zero-crossing.", false);
    }
  }
  long long width = 1024, height = 768;
  if (!IntOption(a, "width", 16, 16384, width, error) || !IntOption(a, "height", 16, 16384, height, error))
    return false;
  long long v = 0;
  if (a.Has("start")) {
    if (!IntOption(a, "start", 0, in.frames > 0 ? in.frames - 1 : 0, v, error)) return false;
    s.firstVisibleSample = v;
    s.lastVisibleSample = -1;
  }
  if (a.Has("span-us")) {
    if (!IntOption(a, "span-us", 1, 1200000000, v, error)) return false;
    s.timePerPlotUs = v;
    s.lastVisibleSample = -1;
  }
  if (a.Has("fft")) {
    if (!IntOption(a, "fft", 0, 2048, v, error)) return false;
    if (v != 0 && !IsValidFftSize(static_cast<int32_t>(v)))
      return (error = "--fft must be 0 (automatic) or a power of two from 16 to 2048.", false);
    s.fftSize = static_cast<int32_t>(v);
  }
  if (a.Has("overlap")) {
    if (!IntOption(a, "overlap", -1, 99, v, error)) return false;
    s.fftOverlap = static_cast<int32_t>(v);
  }
  if (a.Has("window")) {
    const std::optional<WindowCode> w = WindowOption(a.Get("window"));
    if (!w) return (error = "Unknown window '" + a.Get("window") + "': use rectangular, hanning, parzen, hamming or cosine.", false);
    s.window = StoredNumber(*w);
  }
  if (!IntOption(a, "scheme", 0, 7, v, error)) return false;
  if (a.Has("scheme")) s.colorScheme = static_cast<int32_t>(v);
  if (!IntOption(a, "threshold", 0, 32, v, error)) return false;
  if (a.Has("threshold")) s.threshold = static_cast<int32_t>(v);
  if (!IntOption(a, "contrast", -10, 10, v, error)) return false;
  if (a.Has("contrast")) s.contrast = static_cast<int32_t>(v);
  if (a.Has("min-hz")) {
    if (!IntOption(a, "min-hz", 0, 100000000, v, error)) return false;
    s.minFrequencyHz = v;
  }
  if (a.Has("max-hz")) {
    if (!IntOption(a, "max-hz", 1, 100000000, v, error)) return false;
    s.maxFrequencyHz = v;
  }
  if (s.minFrequencyHz >= 0 && s.maxFrequencyHz >= 0 && s.minFrequencyHz >= s.maxFrequencyHz)
    return (error = "Error: Min frequency > Max frequency.", false);

  if (out.empty()) return true;  // the options alone were to be checked
  EnsureGuiApplication();
  SoundSource sound;
  sound.channels = in.format.nChannels == 2 ? 2 : 1;
  sound.bitsPerSample = in.format.wBitsPerSample == 8 ? 8 : 16;
  sound.rateHz = in.format.nSamplesPerSec;
  sound.timeExpansion = TimeBase::RepairedExpansion(in.timeExpansion);
  sound.frameCount = ViewFrame(in.frames);
  sound.samples = in.samples;
  const std::vector<MarkRecord>& marks = in.marks;
  const QSize size(static_cast<int>(width), static_cast<int>(height));
  bool ok;
  if (EndsWith(out, ".svg") || EndsWith(out, ".SVG")) {
    QSvgGenerator gen;
    gen.setFileName(QString::fromStdString(out));
    gen.setSize(size);
    gen.setViewBox(QRect(QPoint(0, 0), size));
    gen.setResolution(96);
    gen.setTitle("Norvane plot");
    ok = PlotRenderer::Render(gen, size, s, sound, marks, true, threads);
  } else {
    QImage img(size, QImage::Format_RGB32);
    img.setDotsPerMeterX(3780);
    img.setDotsPerMeterY(3780);
    ok = PlotRenderer::Render(img, size, s, sound, marks, true, threads) && PngWriter::Write(img, QString::fromStdString(out));
  }
  if (!ok) {
    error = "Can not write picture file: " + out;
    return false;
  }
  return true;
}


int RunRender(const Args& a, DocumentContext& documents) {
  const char* usage =
      "usage: norvane-cli render FILE -o OUT [--view combined|spectrogram|oscillogram|zero-crossing]\n"
      "       [--width PX --height PX] [--start FRAME] [--span-us MICROSECONDS] [--fft N]\n"
      "       [--overlap PERCENT] [--window rectangular|hanning|parzen|hamming|cosine]\n"
      "       [--scheme 0-7] [--threshold 0-32] [--contrast -10-10] [--min-hz HZ --max-hz HZ]";
  if (a.positional.size() != 1 || a.Get("o").empty()) return Fail(usage);
  CNorvaneDoc doc(documents);
  if (!OpenSoundArgument(doc, a.positional[0])) return 1;
  RenderInput in;
  in.format = doc.Format();
  in.timeExpansion = doc.Info().TimeExpansion();
  in.frames = doc.FrameCount();
  in.views = doc.PendingViewRecords();
  in.marks = doc.Marks().Items();
  if (in.frames > 0) {
    in.samples = doc.Samples().Data();
    if (!in.samples) return 1;
  }
  std::string error;
  if (!RenderPicture(a, in, a.Get("o"), 0, error)) return Fail(error);
  return 0;
}

}  // namespace nv::cli
