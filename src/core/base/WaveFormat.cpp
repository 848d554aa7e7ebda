#include "base/WaveFormat.h"

#include <algorithm>

#include <cstring>

#include "base/ByteOrder.h"

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

uint32_t ComputeBufferSize(const WaveFormatEx& f) {
  const uint32_t align = static_cast<uint32_t>(f.wBitsPerSample) * f.nChannels / 8;
  const uint64_t avg = static_cast<uint64_t>(f.nSamplesPerSec) * align;
  uint64_t q = avg / 16;
  q -= q % 64;
  if (align) q -= q % align;
  // Very low rates give 0; 64 bytes keep every division by it defined.
  return q ? static_cast<uint32_t>(q) : 64u;
}

size_t CopyPieceBytes(uint32_t bufferSize) {
  const size_t b = bufferSize ? bufferSize : 64;
  return std::max<size_t>(b, (size_t{64} << 10) / b * b);
}

}  // namespace nv
