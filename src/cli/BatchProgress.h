#pragma once
// Progress of a batch on standard error: on a terminal one line redrawn in
// place (a bar, files done, pulses found, rate, time left), otherwise plain
// lines at every tenth of the work and at least every ten seconds, so that
// log files of a scheduler stay short. FileDone may be called from any
// thread.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace nv::cli {

class BatchProgress {
 public:
  // `total` files to do; `pulses` adds the count of pulses found.
  BatchProgress(size_t total, bool terminal, bool pulses, std::FILE* out = stderr);
  void FileDone(bool failed, int64_t pulses);
  // Prints a line of its own (a note about one file) above the bar.
  void Note(const std::string& text);
  // Ends the bar's line (terminal) and prints the last state.
  void Finish();
  // Whether standard error is a terminal.
  static bool StderrIsTerminal();

 private:
  void Print(bool final);

  std::mutex mutex_;
  std::FILE* out_;
  size_t total_;
  bool terminal_, pulses_;
  size_t done_ = 0, failed_ = 0, printedDone_ = 0;
  int64_t pulsesFound_ = 0;
  std::chrono::steady_clock::time_point start_, lastPrint_;
  size_t lastTenth_ = 0;
};

}  // namespace nv::cli
