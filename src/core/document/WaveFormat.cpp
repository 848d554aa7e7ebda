#include "document/WaveFormat.h"

#include <cstring>

#include "fileformats/ByteOrder.h"

namespace nv {

void WaveFormatEx::SetFormat(int channels, int bits, int64_t rateHz) {
  wFormatTag = 1;
  if (channels > 0) nChannels = static_cast<uint16_t>(channels);
  if (channels == 0) nChannels = 1;
  if (bits > 0) wBitsPerSample = static_cast<uint16_t>(bits);
  if (rateHz > 0) nSamplesPerSec = static_cast<uint32_t>(rateHz);
  cbSize = 0;
  Recompute();
}

void WaveFormatEx::Recompute() {
  nBlockAlign = static_cast<uint16_t>(wBitsPerSample * nChannels / 8);
  nAvgBytesPerSec = nSamplesPerSec * nBlockAlign;
}

std::array<uint8_t, WaveFormatEx::kSize> WaveFormatEx::ToBytes() const {
  std::array<uint8_t, kSize> b{};
  PutU16(&b[0], wFormatTag);
  PutU16(&b[2], nChannels);
  PutU32(&b[4], nSamplesPerSec);
  PutU32(&b[8], nAvgBytesPerSec);
  PutU16(&b[12], nBlockAlign);
  PutU16(&b[14], wBitsPerSample);
  PutU16(&b[16], cbSize);
  return b;
}

WaveFormatEx WaveFormatEx::FromBytes(const uint8_t* p, size_t n) {
  uint8_t b[kSize] = {};
  std::memcpy(b, p, n < kSize ? n : kSize);
  WaveFormatEx f;
  f.wFormatTag = GetU16(&b[0]);
  f.nChannels = GetU16(&b[2]);
  f.nSamplesPerSec = GetU32(&b[4]);
  f.nAvgBytesPerSec = GetU32(&b[8]);
  f.nBlockAlign = GetU16(&b[12]);
  f.wBitsPerSample = GetU16(&b[14]);
  f.cbSize = GetU16(&b[16]);
  return f;
}

}  // namespace nv
