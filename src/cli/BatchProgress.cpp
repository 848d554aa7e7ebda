#include "BatchProgress.h"

#include <unistd.h>

#include <string>

namespace nv::cli {
namespace {

std::string Duration(double seconds) {
  const long s = static_cast<long>(seconds + 0.5);
  char buf[32];
  if (s >= 3600)
    std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  else
    std::snprintf(buf, sizeof buf, "%ld:%02ld", s / 60, s % 60);
  return buf;
}

}  // namespace

BatchProgress::BatchProgress(size_t total, bool terminal, bool pulses, std::FILE* out)
    : out_(out), total_(total), terminal_(terminal), pulses_(pulses) {
  start_ = lastPrint_ = std::chrono::steady_clock::now();
}

bool BatchProgress::StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void BatchProgress::FileDone(bool failed, int64_t pulses) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++done_;
  if (failed) ++failed_;
  pulsesFound_ += pulses;
  const auto now = std::chrono::steady_clock::now();
  const double sinceLast = std::chrono::duration<double>(now - lastPrint_).count();
  const size_t tenth = total_ ? done_ * 10 / total_ : 10;
  if (terminal_ ? sinceLast >= 0.2 || done_ == total_ : tenth > lastTenth_ || sinceLast >= 10) {
    lastTenth_ = tenth;
    lastPrint_ = now;
    Print(false);
  }
}

void BatchProgress::Finish() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (terminal_) {
    Print(true);
    std::fputc('\n', out_);
  } else if (printedDone_ != done_ || done_ == 0) {
    Print(true);
  }
  std::fflush(out_);
}

void BatchProgress::Note(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (terminal_) std::fputs("\r\033[K", out_);
  std::fprintf(out_, "%s\n", text.c_str());
  if (terminal_ && done_ > 0) Print(false);
  std::fflush(out_);
}

void BatchProgress::Print(bool) {
  printedDone_ = done_;
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  const double rate = elapsed > 0 ? done_ / elapsed : 0;
  std::string text;
  char buf[160];
  std::snprintf(buf, sizeof buf, "%zu/%zu files", done_, total_);
  text += buf;
  if (failed_) text += ", " + std::to_string(failed_) + " failed";
  if (pulses_) text += ", " + std::to_string(pulsesFound_) + " pulses";
  std::snprintf(buf, sizeof buf, ", %.1f files/s", rate);
  text += buf;
  if (done_ < total_ && rate > 0) text += ", " + Duration((total_ - done_) / rate) + " left";
  else if (done_ == total_) text += ", " + Duration(elapsed) + " in all";
  if (terminal_) {
    const int width = 24;
    const int filled = total_ ? static_cast<int>(width * done_ / total_) : width;
    std::string bar = "[" + std::string(filled, '#') + std::string(width - filled, '-') + "] ";
    std::fprintf(out_, "\r\033[K%s%s", bar.c_str(), text.c_str());
  } else {
    std::fprintf(out_, "batch: %s\n", text.c_str());
  }
  std::fflush(out_);
}

}  // namespace nv::cli
