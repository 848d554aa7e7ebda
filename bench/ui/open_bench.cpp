// The desktop's first screen and page scrolls on long recordings, measured
// inside the program: for each file, a fresh application (offscreen, no
// sound device, settings in memory) opens it as the command line does, its
// main window 1600 x 1000 pixels; then
//  - open: from the start of the opening to the window holding its view;
//  - first screen: from the start of the opening to the end of the first
//    complete paint of the default view (a spectrogram drawn in parts
//    counts once its last part is drawn);
//  - page scroll: one page forward (the scroll bar's page step), after a
//    quiet moment, to the end of its complete paint; PAGES scrolls through
//    the file.
// The plot coalesces its redraws with a one-shot timer: a new plot waits
// 500 ms before it draws, and a redraw that follows a drawn one waits for
// the timer too (500 ms with a spectrogram). Both wall times include that
// wait; "drawing" is the time the plot's paints themselves took, the work
// that depends on the recording.
// The file is dropped from the page cache before each opening (after a
// sync; posix_fadvise), unless --cached. Runs each file RUNS times (default
// 3) and prints medians, min and max in milliseconds.
//
// usage: norvane-bench-open [--runs N] [--pages N] [--cached] FILE...
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QWindow>
#include <QElapsedTimer>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/CMainFrame.h"
#include "app/CNorvaneApp.h"
#include "audio/SimulatedAudioBackend.h"
#include "plot/SoundPlot.h"
#include "settings/MemorySettingsStore.h"
#include "views/CNvAnaView.h"
#include "views/QtAudioExecutor.h"

namespace {

void DropFromCache(const std::string& path) {
  sync();
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return;
  posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  close(fd);
}

// Times the paints of the plot that may draw (its coalescing timer not
// running), by handing each paint to the plot itself.
class PaintTimer : public QObject {
 public:
  explicit PaintTimer(nv::SoundPlot* plot) : plot_(plot) { plot_->installEventFilter(this); }
  ~PaintTimer() override { plot_->removeEventFilter(this); }
  int drawing = 0;
  double drawingMs = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != plot_ || event->type() != QEvent::Paint) return false;
    const bool mayDraw = !plot_->Repaints().Active();
    QElapsedTimer t;
    t.start();
    plot_->removeEventFilter(this);
    QCoreApplication::sendEvent(plot_, event);
    plot_->installEventFilter(this);
    if (mayDraw) {
      ++drawing;
      drawingMs += t.nsecsElapsed() / 1e6;
    }
    return true;
  }

 private:
  nv::SoundPlot* plot_;
};

// Runs events until the plot has drawn (a paint after its coalescing timer
// ended) and a spectrogram drawn in parts is complete; false after 60 s.
bool UntilDrawn(nv::SoundPlot* plot, const PaintTimer& timer, int drawingBefore) {
  QElapsedTimer limit;
  limit.start();
  while (limit.elapsed() < 60000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    if (!plot->Repaints().Active() && timer.drawing > drawingBefore && !plot->DrawingInParts()) return true;
  }
  return false;
}

struct Times {
  std::vector<double> openMs, firstMs, firstDrawMs, scrollMs, scrollDrawMs;
};

std::string Summary(std::vector<double> v) {
  if (v.empty()) return "-";
  std::sort(v.begin(), v.end());
  char text[96];
  std::snprintf(text, sizeof text, "%.1f (%.1f-%.1f)", v[v.size() / 2], v.front(), v.back());
  return text;
}

bool OneRun(const std::string& path, int pages, bool cached, Times& t) {
  if (!cached) DropFromCache(path);
  nv::MemorySettingsStore store;
  nv::SimulatedAudioBackend audio(QtAudioExecutor::Instance());
  CNorvaneApp app(&store);
  app.SetAudioBackend(&audio);
  QElapsedTimer clock;
  clock.start();
  if (!app.InitInstance({QString::fromStdString(path)})) return false;
  CMainFrame* frame = app.MainFrame();
  frame->resize(1600, 1000);
  frame->show();
  t.openMs.push_back(clock.nsecsElapsed() / 1e6);
  CNvAnaView* view = frame->ActiveView();
  if (!view) return false;
  nv::SoundPlot* plot = view->Plot();
  PaintTimer paints(plot);
  if (!UntilDrawn(plot, paints, 0)) return false;
  t.firstMs.push_back(clock.nsecsElapsed() / 1e6);
  t.firstDrawMs.push_back(paints.drawingMs);
  for (int i = 0; i < pages; ++i) {
    // A user's single Page Down after a quiet moment.
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < 700) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const int64_t next = plot->Setup().firstVisible() + view->ScrollBar()->pageStep();
    const int before = paints.drawing;
    const double drawnBefore = paints.drawingMs;
    clock.restart();
    view->ScrollTo(next);
    if (!UntilDrawn(plot, paints, before)) return false;
    t.scrollMs.push_back(clock.nsecsElapsed() / 1e6);
    t.scrollDrawMs.push_back(paints.drawingMs - drawnBefore);
  }
  app.ExitInstance();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qapp(argc, argv);
  int runs = 3, pages = 10;
  bool cached = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc) runs = std::atoi(argv[++i]);
    else if (a == "--pages" && i + 1 < argc) pages = std::atoi(argv[++i]);
    else if (a == "--cached") cached = true;
    else files.push_back(a);
  }
  if (files.empty()) {
    std::fprintf(stderr, "usage: norvane-bench-open [--runs N] [--pages N] [--cached] FILE...\n");
    return 2;
  }
  std::printf("| File | Open ms | First screen ms | its drawing ms | Page scroll ms | its drawing ms |\n"
              "|---|---|---|---|---|---|\n");
  for (const std::string& f : files) {
    Times t;
    for (int r = 0; r < runs; ++r)
      if (!OneRun(f, pages, cached, t)) {
        std::fprintf(stderr, "%s: did not open\n", f.c_str());
        return 1;
      }
    std::printf("| %s | %s | %s | %s | %s | %s |\n", f.c_str(), Summary(t.openMs).c_str(),
                Summary(t.firstMs).c_str(), Summary(t.firstDrawMs).c_str(), Summary(t.scrollMs).c_str(),
                Summary(t.scrollDrawMs).c_str());
    std::fflush(stdout);
  }
  return 0;
}
