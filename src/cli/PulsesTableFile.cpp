#include "PulsesTableFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "base/TempFile.h"

namespace nv::cli {
namespace {

// The whole content of an open file; false on a read error.
bool ReadAll(int fd, std::string& out) {
  out.clear();
  char buf[65536];
  off_t pos = 0;
  for (;;) {
    const ssize_t n = pread(fd, buf, sizeof buf, pos);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    out.append(buf, static_cast<size_t>(n));
    pos += n;
  }
}

// The file cell of a row: the text before its first tab.
std::string FileOfRow(const std::string& line) { return line.substr(0, line.find('\t')); }

}  // namespace

PulsesTableFile::~PulsesTableFile() {
  // Files not listed are measured again by the next run; nothing is lost.
  std::string error;
  Flush(error);
  if (tableFd_ >= 0) close(tableFd_);  // also releases the lock
  if (doneFd_ >= 0) close(doneFd_);
}

const char* PulsesTableFile::Header() {
  return "File\tPuls#\tStart (s)\tStop (s)\tDuration (ms)\tMax freq. (Hz)\tMin freq. (Hz)"
         "\tStrongest freq (Hz)\tMax freq amplitude (dB)\n";
}

std::string PulsesTableFile::CellText(const std::string& file) {
  // A tab or line end in a file name would split its row.
  std::string cell = file;
  for (char& c : cell)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return cell;
}

std::string PulsesTableFile::Rows(const std::string& file, const std::vector<PulseResult>& results) {
  const std::string cell = CellText(file);
  std::string rows;
  char buf[320];
  // A frequency of 0 was not measured (frequency separation 0, or no cell
  // above the spectrogram threshold): its cell stays empty.
  auto hz = [](double v) {
    char t[32] = "";
    if (v > 0) std::snprintf(t, sizeof t, "%.0f", v);
    return std::string(t);
  };
  for (const PulseResult& r : results) {
    std::snprintf(buf, sizeof buf, "\t%.0f\t%.6f\t%.6f\t%.3f\t%s\t%s\t%s\t%.2f\n", r.pulseNumber,
                  r.startUs * 1e-6, r.endUs * 1e-6, r.durationUs * 1e-3, hz(r.maxFrequencyHz).c_str(),
                  hz(r.minFrequencyHz).c_str(), hz(r.strongestHz).c_str(), r.maxLevelDb);
    rows += cell;
    rows += buf;
  }
  return rows;
}

std::string PulsesTableFile::ErrorsPathBeside(const std::string& table) {
  // A prefix, not a suffix: a pattern that joins the tables of shares
  // ("share-*.tsv") never takes their errors files.
  const size_t slash = table.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : table.substr(0, slash + 1);
  return folder + "errors-" + table.substr(slash == std::string::npos ? 0 : slash + 1);
}

bool PulsesTableFile::WriteAll(int fd, const std::string& text, std::string& error) const {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = "Can not write the table " + path_ + ": " + SystemErrorText(errno);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool PulsesTableFile::Open(const std::string& path, std::string& error) {
  path_ = path;
  tableFd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (tableFd_ < 0) {
    error = "Can not write the table " + path + ": " + SystemErrorText(errno);
    return false;
  }
  if (flock(tableFd_, LOCK_EX | LOCK_NB) != 0) {
    error = "The table " + path + " is being written by another run; give each run a table of its own.";
    return false;
  }
  std::string content;
  if (!ReadAll(tableFd_, content)) {
    error = "Can not read the table " + path + ": " + SystemErrorText(errno);
    return false;
  }
  const std::string header = Header();
  const std::string donePath = path + ".done";
  if (!content.empty() && content.compare(0, header.size(), header) != 0) {
    error = path + " is not a table of batch pulses (its first line differs); it is left as it is.";
    return false;
  }

  // The files done: the list beside the table, else (the list was lost)
  // every file of the table but the last, which may have been cut off.
  std::string doneText;
  bool haveList = false;
  {
    const int fd = open(donePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
      haveList = ReadAll(fd, doneText);
      close(fd);
    }
  }
  // A list beside a table that is new (or was emptied to start again) is stale.
  if (content.empty()) {
    haveList = false;
    doneText.clear();
  }
  std::vector<std::string> lines;  // whole rows after the header
  for (size_t pos = std::min(header.size(), content.size()); pos < content.size();) {
    const size_t end = content.find('\n', pos);
    if (end == std::string::npos) break;  // a row cut off in the middle
    lines.push_back(content.substr(pos, end + 1 - pos));
    pos = end + 1;
  }
  if (haveList) {
    for (size_t pos = 0; pos < doneText.size();) {
      size_t end = doneText.find('\n', pos);
      if (end == std::string::npos) break;  // a name cut off is not done
      done_.insert(doneText.substr(pos, end - pos));
      pos = end + 1;
    }
  } else if (!lines.empty()) {
    const std::string last = FileOfRow(lines.back());
    for (const std::string& l : lines)
      if (FileOfRow(l) != last) done_.insert(FileOfRow(l));
  }
  std::string kept = header;
  for (const std::string& l : lines)
    if (done_.count(FileOfRow(l))) kept += l;
  if (kept != content) {
    // The rows of files not done go: a prefix is cut, anything else written anew.
    const bool prefix = content.compare(0, kept.size(), kept) == 0;
    if (ftruncate(tableFd_, prefix ? static_cast<off_t>(kept.size()) : 0) != 0) {
      error = "Can not write the table " + path + ": " + SystemErrorText(errno);
      return false;
    }
    if (!prefix) {
      lseek(tableFd_, 0, SEEK_SET);
      if (!WriteAll(tableFd_, kept, error)) return false;
    }
  }
  lseek(tableFd_, 0, SEEK_END);

  // The list is written anew from what was read, so that it holds whole
  // names only: the list's whole lines, or the files done in table order.
  std::string list;
  if (haveList) {
    list = doneText.substr(0, doneText.rfind('\n') + 1);  // nothing when no line is whole
  } else {
    std::unordered_set<std::string> listed;
    for (const std::string& l : lines) {
      const std::string f = FileOfRow(l);
      if (done_.count(f) && listed.insert(f).second) list += f + "\n";
    }
  }
  doneFd_ = open(donePath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (doneFd_ < 0 || ftruncate(doneFd_, 0) != 0) {
    error = "Can not write " + donePath + ": " + SystemErrorText(errno);
    return false;
  }
  return WriteAll(doneFd_, list, error);
}

bool PulsesTableFile::Done(const std::string& file) const { return done_.count(CellText(file)) > 0; }

bool PulsesTableFile::Append(const std::string& file, const std::string& rows, std::string& error) {
  if (!WriteAll(tableFd_, rows, error)) return false;
  const std::string cell = CellText(file);
  done_.insert(cell);
  pendingDone_ += cell + "\n";
  if (std::chrono::steady_clock::now() - lastSync_ < std::chrono::seconds(1)) return true;
  return Flush(error);
}

bool PulsesTableFile::Flush(std::string& error) {
  if (pendingDone_.empty() || tableFd_ < 0 || doneFd_ < 0) return true;
  if (fdatasync(tableFd_) != 0 && errno != EINVAL) {
    error = "Can not write the table " + path_ + ": " + SystemErrorText(errno);
    return false;
  }
  lastSync_ = std::chrono::steady_clock::now();
  const std::string lines = std::move(pendingDone_);
  pendingDone_.clear();
  return WriteAll(doneFd_, lines, error);
}

}  // namespace nv::cli
