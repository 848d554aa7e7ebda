#include "document/SourceFileWatch.h"

#include <sys/stat.h>

namespace nv {

namespace {

bool Read(const struct stat& st, uint64_t& device, uint64_t& inode, int64_t& size, timespec& modified) {
  device = static_cast<uint64_t>(st.st_dev);
  inode = static_cast<uint64_t>(st.st_ino);
  size = static_cast<int64_t>(st.st_size);
  modified = st.st_mtim;
  return true;
}

}  // namespace

std::string SourceChangeText(SourceChange change, const std::string& path) {
  switch (change) {
    case SourceChange::Shortened:
      return "The file " + path + " was shortened by another program while it was open; the sound beyond its "
             "new end is silence.";
    case SourceChange::Replaced:
      return "The file " + path + " was replaced or deleted by another program while it was open. The sound "
             "stays as it was when it was opened.";
    case SourceChange::Rewritten:
      return "The file " + path + " was changed by another program while it was open. Open it again to see "
             "it as it is now.";
    case SourceChange::None: break;
  }
  return {};
}

bool SourceFileWatch::FirstNoticeOfShortening() {
  if (shortenedSaid_) return false;
  shortenedSaid_ = true;
  rewrittenSaid_ = true;
  return true;
}

void SourceFileWatch::Watch(const std::string& path, int fd) {
  Stop();
  struct stat st;
  if (path.empty() || fd < 0 || fstat(fd, &st) != 0) return;
  Read(st, opened_.device, opened_.inode, opened_.sizeBytes, opened_.modified);
  path_ = path;
  watching_ = true;
}

void SourceFileWatch::Renew() {
  struct stat st;
  if (!watching_ || stat(path_.c_str(), &st) != 0) return;
  Read(st, opened_.device, opened_.inode, opened_.sizeBytes, opened_.modified);
  replacedSaid_ = false;
  rewrittenSaid_ = false;
}

SourceChange SourceFileWatch::Check(bool shortened) {
  if (!watching_) return SourceChange::None;
  // A shortened file was written to as well: one report says both.
  if (shortened && FirstNoticeOfShortening()) return SourceChange::Shortened;
  struct stat st;
  const bool present = stat(path_.c_str(), &st) == 0;
  const bool same = present && static_cast<uint64_t>(st.st_dev) == opened_.device &&
                    static_cast<uint64_t>(st.st_ino) == opened_.inode;
  if (!same) {
    if (replacedSaid_) return SourceChange::None;
    replacedSaid_ = true;
    return SourceChange::Replaced;
  }
  if (!rewrittenSaid_ && (!Same(st.st_mtim, opened_.modified) || st.st_size != opened_.sizeBytes)) {
    rewrittenSaid_ = true;
    return SourceChange::Rewritten;
  }
  return SourceChange::None;
}

}  // namespace nv
