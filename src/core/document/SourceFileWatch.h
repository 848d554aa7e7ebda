#pragma once
// Watches the file a document reads its sound from in place, so that a
// change another program makes to it (a recorder still writing, a sync tool
// replacing it) is noticed and said instead of going by unseen.
//
// Watch() remembers the identity of the file under its path (device, inode,
// size, modification time) as it was opened; Check() compares the path and
// the opened file with it:
//  - Shortened: the opened file now ends before the sound read from it (the
//    reads beyond its end see silence);
//  - Replaced: the path names another file, or none (the opened file is
//    still held open, so its sound stays as it was);
//  - Rewritten: the same file was written to (its modification time or its
//    size changed) without getting shorter than the sound.
// Each change is reported once; after it the watch goes on for the others.
// Renew() takes the file now under the path as the one opened (after the
// document saved over it itself).
//
// Not thread-safe: the interface thread of its document.
#include <cstdint>
#include <ctime>
#include <string>

struct stat;

namespace nv {

enum class SourceChange { None, Shortened, Replaced, Rewritten };

// What the user is told of a change of the file `path`.
std::string SourceChangeText(SourceChange change, const std::string& path);

class SourceFileWatch {
 public:
  // Starts watching `path`, opened as `fd` (read in place); `fd` is only
  // looked at here, not kept.
  void Watch(const std::string& path, int fd);
  void Stop() { *this = SourceFileWatch(); }
  bool Watching() const { return watching_; }
  // The file now under the path is the document's (it saved there).
  void Renew();
  // What changed since Watch or the last report, `shortened` from the
  // reader of the opened file (it knows how much sound it read).
  SourceChange Check(bool shortened);
  // True the first time the opened file is known to be shorter, whoever
  // noticed it (Check, or a copy of the sound that met the new end).
  bool FirstNoticeOfShortening();

 private:
  struct Identity {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t sizeBytes = 0;
    timespec modified{};
  };
  static Identity IdentityOf(const struct stat& st);
  static bool Same(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
  }

  bool watching_ = false;
  std::string path_;
  Identity opened_;
  bool shortenedSaid_ = false;
  bool replacedSaid_ = false;
  bool rewrittenSaid_ = false;
};

}  // namespace nv
