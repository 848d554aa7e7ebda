// The desktop's first screen and page scrolls on long recordings, measured
// inside the program: for each file, a fresh application (offscreen, no
// sound device, settings in memory) opens it as the command line does, its
// main window 1600 x 1000 pixels; then
//  - open: from the start of the opening to the window holding its view;
//  - first screen: from the start of the opening to the end of the first
//    complete paint of the default view (a spectrogram drawn in parts
//    counts once its last part is drawn);
//  - page scroll: one page forward (the scroll bar's page step) to the end
//    of its complete paint, the median of PAGES scrolls through the file.
// The file is dropped from the page cache before each opening (after a
// sync; posix_fadvise), unless --cached. Runs each file RUNS times (default
// 3) and prints medians, min and max in milliseconds.
//
// usage: norvane-bench-open [--runs N] [--pages N] [--cached] FILE...
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
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

namespace {

void DropFromCache(const std::string& path) {
  sync();
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return;
  posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  close(fd);
}

// Paints the view now and runs events until a spectrogram drawn in parts is
// complete.
void PaintCompletely(CNvAnaView* view) {
  view->Plot()->repaint();
  while (view->Plot()->DrawingInParts()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct Times {
  std::vector<double> openMs, firstMs, scrollMs;
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
  nv::SimulatedAudioBackend audio;
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
  PaintCompletely(view);
  t.firstMs.push_back(clock.nsecsElapsed() / 1e6);
  for (int i = 0; i < pages; ++i) {
    const int64_t next = view->Plot()->Setup().firstVisible() + view->ScrollBar()->pageStep();
    clock.restart();
    view->ScrollTo(next);
    PaintCompletely(view);
    t.scrollMs.push_back(clock.nsecsElapsed() / 1e6);
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
  std::printf("| File | Open ms | First screen ms | Page scroll ms |\n|---|---|---|---|\n");
  for (const std::string& f : files) {
    Times t;
    for (int r = 0; r < runs; ++r)
      if (!OneRun(f, pages, cached, t)) {
        std::fprintf(stderr, "%s: did not open\n", f.c_str());
        return 1;
      }
    std::printf("| %s | %s | %s | %s |\n", f.c_str(), Summary(t.openMs).c_str(), Summary(t.firstMs).c_str(),
                Summary(t.scrollMs).c_str());
    std::fflush(stdout);
  }
  return 0;
}
