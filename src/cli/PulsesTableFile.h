#pragma once
// The table that norvane-cli batch pulses writes: one tab-separated row per
// pulse (the file, the pulse number and its measures in real seconds, Hz and
// dB), the rows of each file together, and beside it "OUT.done", the files
// whose rows are all on the disk in the table (also those without pulses). A run that
// starts on an existing table keeps the rows of the files done, drops the
// rows of a file cut off by an interrupted run, and skips the files done.
// The table is locked while a run writes it, so two runs never write into
// one table. One thread (the batch's commit) at a time.
#include <chrono>
#include <string>
#include <unordered_set>
#include <vector>

#include "analysis/PulseResult.h"

namespace nv::cli {

class PulsesTableFile {
 public:
  PulsesTableFile() = default;
  PulsesTableFile(const PulsesTableFile&) = delete;
  PulsesTableFile& operator=(const PulsesTableFile&) = delete;
  ~PulsesTableFile();

  // Opens or creates the table at `path` and reads what is done; false with
  // `error` (not a table of this kind, in use by another run, cannot write).
  bool Open(const std::string& path, std::string& error);
  // Whether the rows of `file` are in the table.
  bool Done(const std::string& file) const;
  // Appends the rows of a file; false with `error`. The file is listed as
  // done once its rows are on the disk: the table is synchronised at most
  // once a second (and by Flush), and the files whose rows that covered are
  // listed then, so that a machine that goes down never leaves a file
  // listed whose rows are lost.
  bool Append(const std::string& file, const std::string& rows, std::string& error);
  // Synchronises the table and lists the files appended since; the
  // destructor does it too.
  bool Flush(std::string& error);

  // The first line of the table.
  static const char* Header();
  // The rows of one file's results.
  static std::string Rows(const std::string& file, const std::vector<PulseResult>& results);
  // The errors file of a table, in its folder: "DIR/OUT.tsv" gives
  // "DIR/errors-OUT.tsv".
  static std::string ErrorsPathBeside(const std::string& table);
  const std::string& Path() const { return path_; }

 private:
  static std::string CellText(const std::string& file);
  bool WriteAll(int fd, const std::string& text, std::string& error) const;

  std::string path_;
  int tableFd_ = -1, doneFd_ = -1;
  std::unordered_set<std::string> done_;
  std::string pendingDone_;  // lines of the done list waiting for a synchronisation
  std::chrono::steady_clock::time_point lastSync_ = std::chrono::steady_clock::now();
};

}  // namespace nv::cli
