#include "document/SourceFileWatch.h"

#include <sys/stat.h>

namespace nv {

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

SourceFileWatch::Identity SourceFileWatch::IdentityOf(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), static_cast<int64_t>(st.st_size),
          st.st_mtim};
}

void SourceFileWatch::Watch(const std::string& path, int fd) {
  Stop();
  struct stat st;
  if (path.empty() || fd < 0 || fstat(fd, &st) != 0) return;
  opened_ = IdentityOf(st);
  path_ = path;
  watching_ = true;
}

void SourceFileWatch::Renew() {
  struct stat st;
  if (!watching_ || stat(path_.c_str(), &st) != 0) return;
  opened_ = IdentityOf(st);
  replacedSaid_ = false;
  rewrittenSaid_ = false;
}

SourceChange SourceFileWatch::Check(bool shortened) {
  if (!watching_) return SourceChange::None;
  // A shortened file was written to as well: one report says both.
  if (shortened && FirstNoticeOfShortening()) return SourceChange::Shortened;
  struct stat st;
  const bool present = stat(path_.c_str(), &st) == 0;
  const Identity now = present ? IdentityOf(st) : Identity{};
  if (!present || now.device != opened_.device || now.inode != opened_.inode) {
    if (replacedSaid_) return SourceChange::None;
    replacedSaid_ = true;
    return SourceChange::Replaced;
  }
  if (!rewrittenSaid_ && (!Same(now.modified, opened_.modified) || now.sizeBytes != opened_.sizeBytes)) {
    rewrittenSaid_ = true;
    return SourceChange::Rewritten;
  }
  return SourceChange::None;
}

}  // namespace nv
