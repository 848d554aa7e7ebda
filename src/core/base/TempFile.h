#pragma once
// A per-document temporary file (work, clip or undo file) with its mapping.
// The file is created with mkstemp in the temporary directory and unlinked at
// once, so nothing is left behind even after a crash; it lives as long as its
// descriptor. The whole file can be mapped; a mapping covers the size at the
// time it was made and must be released before the length changes.
// Interface thread only (a worker may read through an existing mapping).
//
// Positions: the contents start Head() bytes into the file, so that they can
// keep the offset within a page that a source file's data has (a WAVE file's
// sound usually starts at byte 44). Copies between equal offsets within a
// page run in the kernel at their fastest (copy_file_range, a reflink where
// the file system shares blocks); shifted copies take a little longer. Size, Truncate, WriteAt
// and Map work in positions of the contents; only code that hands Fd() to a
// system call sees file offsets, through FileOffset(). The head is at least
// one byte, so that emptying the file never truncates it to length 0: on
// ext4 a file truncated to 0 and written again has all its data flushed to
// disk when it is closed (the replace-by-truncate safeguard), which for a
// temporary file is wasted time and disk traffic.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace nv {

// $TMPDIR when it names a writable directory, else /var/tmp, else /tmp.
std::string TemporaryDirectory();
// The text of the last system error (errno).
std::string SystemErrorText(int err);
// Shows the message of a failed write to a document's temporary files.
void ShowWorkFileWriteError();

class TempFile {
 public:
  static constexpr int64_t kPageBytes = 4096;

  TempFile() = default;
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  // Creates the file "<dir>/<prefix>XXXXXX", empty; false (errno set) on failure.
  bool Create(const std::string& prefix);
  void Close();

  bool IsOpen() const { return fd_ >= 0; }
  // The descriptor; position p of the contents is at file offset FileOffset(p).
  int Fd() const { return fd_; }
  const std::string& Name() const { return name_; }
  int64_t Head() const { return head_; }
  int64_t FileOffset(int64_t position) const { return head_ + position; }
  // Empties the file and places position 0 at the same offset within a page
  // as file offset `likeOffset` of another file (1 ... 4096 bytes in), so
  // that copies from there are page-aligned. Releases the mapping first;
  // creates the file (with the prefix of the last Create, else "NrTmp")
  // when there is none yet.
  bool Reset(int64_t likeOffset = 0);

  // Length of the contents.
  int64_t Size() const;
  // Changes the length of the contents; releases the mapping first.
  bool Truncate(int64_t bytes);
  // Writes at a position of the contents; false on a short write.
  bool WriteAt(int64_t position, const void* data, size_t n);

  // Makes the contents the `bytes` bytes of another file, open for reading
  // only as `fd`, from `offset` on: read in place instead of copied. The
  // descriptor is duplicated and nothing can be written through it; writing,
  // mapping for writing and growing fail with EROFS, shortening only
  // shortens the contents. Truncate(0) and Reset make it an empty temporary
  // file of its own again. False (errno set) when the descriptor is not
  // read-only or cannot be duplicated. For readers that never change the
  // sound; the other file must not be shortened while it is mapped.
  bool AdoptReadOnly(int fd, int64_t offset, int64_t bytes);
  bool IsAdopted() const { return adoptedBytes_ >= 0; }
  // True when the adopted file no longer holds all the contents it had: it
  // is shorter now, or a read through the mapping met its new end (such
  // reads see silence instead of ending the process; see ReadMappingGuard).
  bool SourceShortened() const;

  // Copies `bytes` bytes from file offset `srcOffset` of `src` to file
  // offset `dstOffset` of `dst`; false (errno set, ECANCELED when the user
  // cancelled) when the copy did not complete.
  using Copier = std::function<bool(int src, int64_t srcOffset, int dst, int64_t dstOffset, int64_t bytes)>;
  // Makes adopted contents a temporary file of their own, copied through
  // `copy`, with the same offset within a page and the length adopted (zeros
  // where another program has cut the file since); the adopted file is let go.
  // Nothing changes when the copy fails (false, errno set). True at once
  // for a file that is already our own.
  bool MakeOwn(const Copier& copy);
  // Copy on write: with a hook set, the first change of adopted contents
  // (WriteAt, Truncate to a greater length, a writable Map) calls it first;
  // the hook makes the contents our own (MakeOwn), else the change fails.
  void SetBeforeFirstChange(std::function<bool(TempFile&)> hook) { beforeFirstChange_ = std::move(hook); }
  // For writers through Fd(): makes adopted contents our own first (through
  // the hook); false (errno set) when they stay adopted. True for our own.
  bool PrepareForChange() { return OwnBeforeChange(); }

  // Maps the whole contents (the file from the page boundary at or below
  // the head); returns the address of position 0 or null (errno set). An
  // existing mapping is returned as it is unless a writable one is asked
  // for over a read-only mapping, which is then remade. Empty contents
  // yield a valid address of no bytes.
  uint8_t* Map(bool readOnly);
  void Unmap();
  bool IsMapped() const { return base_ != nullptr; }
  // Bytes of the contents the mapping covers.
  int64_t MappedSize() const { return mappedSize_; }

 private:
  int fd_ = -1;
  int64_t head_ = kPageBytes;
  std::string name_;
  uint8_t* base_ = nullptr;      // position 0 in the mapping
  uint8_t* mapStart_ = nullptr;  // start of the mapping (a page boundary)
  size_t mapBytes_ = 0;
  int64_t mappedSize_ = 0;
  bool mappedReadOnly_ = true;
  std::string prefix_ = "NrTmp";  // of Create, to become a temporary file again
  int64_t adoptedBytes_ = -1;     // length of adopted contents; -1 = our own file
  int guardSlot_ = -1;            // the adopted mapping's ReadMappingGuard slot
  bool shortened_ = false;        // a read met the end of the shortened adopted file
  std::function<bool(TempFile&)> beforeFirstChange_;
  // Adopted contents about to change: made our own through the hook, if any.
  bool OwnBeforeChange();
};

}  // namespace nv
