#include "fileformats/RiffReader.h"

#include <algorithm>

#include "base/ByteOrder.h"
#include "fileformats/FileIo.h"

namespace nv {

bool RiffReader::ChunkAt(int64_t offset, int64_t end, RiffChunk& out) const {
  end = std::min(end, fileSize_);
  if (offset < 0 || offset + 8 > end) return false;
  uint8_t h[12];
  size_t got = ReadAt(fd_, offset, h, 12);
  if (got < 8) return false;
  out.id.assign(reinterpret_cast<const char*>(h), 4);
  out.size = GetU32(h + 4);
  out.headerOffset = offset;
  out.dataOffset = offset + 8;
  out.available = std::clamp<int64_t>(fileSize_ - out.dataOffset, 0, out.size);
  out.formType.clear();
  if ((out.id == "RIFF" || out.id == "LIST") && got >= 12 && out.size >= 4)
    out.formType.assign(reinterpret_cast<const char*>(h + 8), 4);
  return true;
}

bool RiffReader::FindForm(const char* formType, int64_t from, RiffChunk& out) const {
  RiffChunk c;
  int64_t pos = from;
  while (ChunkAt(pos, fileSize_, c)) {
    if (c.id == "RIFF" && c.formType == formType) {
      out = c;
      return true;
    }
    pos = c.NextOffset();
  }
  return false;
}

int64_t RiffReader::ContentEnd(const RiffChunk& c) const {
  return std::min<int64_t>(c.dataOffset + c.size, fileSize_);
}

bool RiffReader::FindSubChunk(const RiffChunk& form, const char* id, RiffChunk& out) const {
  const int64_t end = ContentEnd(form);
  RiffChunk c;
  int64_t pos = form.dataOffset + 4;
  while (ChunkAt(pos, end, c)) {
    if (c.id == id) {
      out = c;
      return true;
    }
    pos = c.NextOffset();
  }
  return false;
}

}  // namespace nv
