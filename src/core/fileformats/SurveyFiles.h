#pragma once
// The sound files of a survey: every WAVE file under the paths a batch is
// given, in a fixed order, and the deterministic shares of that list that
// several machines take when they divide a survey between them. Plain value
// type; any thread.
#include <cstdint>
#include <string>
#include <vector>

namespace nv {

struct SurveyFile {
  std::string path;      // the file as found (its argument, then the names below it)
  std::string relative;  // below its argument; the file name for a file argument
};

class SurveyFiles {
 public:
  // A file argument is taken whatever its name. A folder is walked with all
  // its subfolders: files whose names end in ".wav" (any case) are taken,
  // other files are counted in `skipped`. Folders reached through symbolic
  // links are not entered (no loops); linked files are taken. Arguments
  // that do not exist or cannot be read are listed in `problems`. The list
  // is in argument order, each argument's files sorted by their relative
  // name, without repeats, so that every run over the same paths gives the
  // same list.
  static SurveyFiles Collect(const std::vector<std::string>& paths);

  // Share k (1 ... n) of n: the files at positions k-1, k-1+n, k-1+2n, ...
  // of the list. The n shares together hold every file exactly once.
  SurveyFiles Shard(int k, int n) const;
  // Reads "K/N" (1 <= K <= N); false when the text is not such a share.
  static bool ParseShard(const std::string& text, int& k, int& n);

  std::vector<SurveyFile> files;
  int64_t skipped = 0;
  std::vector<std::string> problems;  // "path: reason"
};

}  // namespace nv
