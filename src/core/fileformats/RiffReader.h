#pragma once
// Walks the chunks of a RIFF file through a file descriptor. Every size is
// taken from the file but never trusted: a chunk reaching past the end of the
// file is read as far as the file goes, and nothing is allocated from a size.
#include <cstdint>
#include <string>

namespace nv {

struct RiffChunk {
  std::string id;        // four characters
  std::string formType;  // of "RIFF" and "LIST" chunks, else empty
  uint32_t size = 0;     // as stored
  int64_t headerOffset = 0;
  int64_t dataOffset = 0;  // after the 8-byte header
  int64_t available = 0;   // bytes of content in the file, at most `size`
  // Offset of the chunk that follows (size, plus the pad byte of odd sizes).
  int64_t NextOffset() const { return dataOffset + size + (size & 1); }
};

class RiffReader {
 public:
  RiffReader(int fd, int64_t fileSize) : fd_(fd), fileSize_(fileSize) {}

  // Reads the chunk header at `offset` within [offset, end); false when no
  // whole header fits.
  bool ChunkAt(int64_t offset, int64_t end, RiffChunk& out) const;
  // Finds the first top-level "RIFF" form of `formType` at or after `from`.
  bool FindForm(const char* formType, int64_t from, RiffChunk& out) const;
  // Finds the first chunk `id` among the sub-chunks of a form.
  bool FindSubChunk(const RiffChunk& form, const char* id, RiffChunk& out) const;
  // End of a form's content within the file.
  int64_t ContentEnd(const RiffChunk& c) const;

  int64_t FileSize() const { return fileSize_; }
  int Fd() const { return fd_; }

 private:
  int fd_;
  int64_t fileSize_;
};

}  // namespace nv
