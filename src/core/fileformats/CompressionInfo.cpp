#include "fileformats/CompressionInfo.h"

#include <algorithm>

#include "base/ByteOrder.h"

namespace nv {

std::array<uint8_t, CompressionInfo::kSize> CompressionInfo::ToBytes() const {
  std::array<uint8_t, kSize> b{};
  const int32_t v[8] = {size, release, version, fileType, levelDb, beforeMs, afterMs, segmentCount};
  for (int i = 0; i < 8; ++i) PutI32(&b[4 * i], v[i]);
  PutU32(&b[32], reserved32);
  PutU32(&b[36], reserved36);
  std::copy(tail.begin(), tail.end(), b.begin() + 40);
  return b;
}

CompressionInfo CompressionInfo::FromBytes(const uint8_t* p) {
  CompressionInfo c;
  int32_t* v[8] = {&c.size,    &c.release,  &c.version, &c.fileType,
                   &c.levelDb, &c.beforeMs, &c.afterMs, &c.segmentCount};
  for (int i = 0; i < 8; ++i) *v[i] = GetI32(p + 4 * i);
  c.reserved32 = GetU32(p + 32);
  c.reserved36 = GetU32(p + 36);
  std::copy(p + 40, p + 168, c.tail.begin());
  return c;
}

std::array<uint8_t, KeptSegment::kSize> KeptSegment::ToBytes() const {
  std::array<uint8_t, kSize> b{};
  PutI32(&b[0], 16);
  PutI32(&b[4], startFrame);
  PutI32(&b[8], lengthFrames);
  return b;
}

KeptSegment KeptSegment::FromBytes(const uint8_t* p) {
  KeptSegment s;
  s.startFrame = GetI32(p + 4);
  s.lengthFrames = GetI32(p + 8);
  return s;
}

}  // namespace nv
