#include "settings/ViewRecord.h"

#include <algorithm>
#include <cstring>

#include "base/ByteOrder.h"

namespace nv {
namespace {
constexpr size_t kSwitches = 8, kSpan = 16, kStart = 36, kEnd = 40, kMap = 120;
}

ViewRecord::ViewRecord() {
  SetAt(0, 3);
  SetAt(4, 1);
  const uint8_t sw[6] = {1, 0, 1, 1, 1, 1};
  std::memcpy(&bytes_[kSwitches], sw, 6);
  SetAt(16, 15000);
  SetAt(20, 0);
  SetAt(24, -1);
  SetAt(28, -10000);
  SetAt(32, 10000);
  SetAt(36, 0);
  SetAt(40, 0);
  SetAt(44, 0);
  SetAt(48, -1);
  SetAt(52, 16);
  SetAt(56, 2);
  SetAt(60, 0);
  SetAt(64, 0);
  SetAt(68, 0);
  SetAt(72, 9);
  SetAt(76, 50);
  SetAt(80, 0);
  SetAt(84, 5);
  SetAt(88, 0);
  SetAt(92, 0);
  SetAt(96, -1);
  SetAt(100, 0);
  SetAt(104, -1);
  SetAt(108, 0);
  SetAt(112, 0);
  SetAt(116, 0);
  auto map = UserColorMap().ToBytes();
  std::memcpy(&bytes_[kMap], map.data(), map.size());
}

int32_t ViewRecord::At(size_t offset) const { return GetI32(&bytes_[offset]); }
void ViewRecord::SetAt(size_t offset, int32_t v) { PutI32(&bytes_[offset], v); }
int32_t ViewRecord::Release() const { return At(0); }
int32_t ViewRecord::Version() const { return At(4); }

void ViewRecord::ReadBytes(const uint8_t* p, size_t n) {
  std::memcpy(bytes_.data(), p, std::min(n, kSize));
}

bool ViewRecord::IsAcceptable() const {
  int32_t r = Release(), v = Version();
  if (r < 0 || r > 3 || v < 0 || v > 99) return false;
  return !(r == 3 && v > 1);
}

void ViewRecord::UpgradeIfOld() {
  int32_t r = Release(), v = Version();
  if (r < 3 || (r == 3 && v < 1)) {
    SetAt(0, 3);
    SetAt(4, 1);
    for (size_t off : {kSpan, kStart, kEnd}) {
      int32_t x = At(off);
      if (x > 0) SetAt(off, static_cast<int32_t>(static_cast<int64_t>(x) * 1000));
    }
  }
}

void ViewRecord::Rebase(int32_t s) {
  if (s <= 0) return;
  int32_t a = static_cast<int32_t>(static_cast<int64_t>(At(kStart)) - s);
  int32_t b = static_cast<int32_t>(static_cast<int64_t>(At(kEnd)) - s);
  if (a < 0) {
    a = 0;
    b = -1;
  }
  SetAt(kStart, a);
  SetAt(kEnd, b);
}

ViewRecord ViewRecord::FromSettings(const AnalysisSettings& s) {
  ViewRecord r;
  r.SetAt(0, s.release);
  r.SetAt(4, s.version);
  const uint8_t sw[6] = {s.oscillogramShown, s.lineBetweenSamples, s.spectrogramShown,
                         s.leftChannel,      s.rightChannel,       s.colorBar};
  std::memcpy(&r.bytes_[kSwitches], sw, 6);
  r.bytes_[14] = r.bytes_[15] = 0;
  const int64_t wide[7] = {s.timePerPlotUs, s.minFrequencyHz,     s.maxFrequencyHz,
                           s.minAmplitude,  s.maxAmplitude,       s.firstVisibleSample,
                           s.lastVisibleSample};
  for (int i = 0; i < 7; ++i) r.SetAt(16 + 4 * i, static_cast<int32_t>(static_cast<uint32_t>(wide[i])));
  const int32_t narrow[18] = {s.fftSize,    s.fftOverlap,    s.threshold,    s.window,
                              s.colorScheme, s.contrast,     s.invColors,    s.fontSize,
                              s.freqSize,   s.freqPlot,      s.freqThreshold, s.freqPlotType,
                              s.freqGridX,  s.freqGridY,     s.spectGridX,   s.spectGridY,
                              s.oscGridX,   s.oscGridY};
  for (int i = 0; i < 18; ++i) r.SetAt(44 + 4 * i, narrow[i]);
  r.SetAt(116, 0);
  auto map = s.userColorMap.ToBytes();
  std::memcpy(&r.bytes_[kMap], map.data(), map.size());
  return r;
}

AnalysisSettings ViewRecord::ToSettings() const {
  AnalysisSettings s;
  s.release = At(0);
  s.version = At(4);
  s.oscillogramShown = bytes_[8];
  s.lineBetweenSamples = bytes_[9];
  s.spectrogramShown = bytes_[10];
  s.leftChannel = bytes_[11];
  s.rightChannel = bytes_[12];
  s.colorBar = bytes_[13];
  int64_t* wide[7] = {&s.timePerPlotUs, &s.minFrequencyHz,     &s.maxFrequencyHz,
                      &s.minAmplitude,  &s.maxAmplitude,       &s.firstVisibleSample,
                      &s.lastVisibleSample};
  for (int i = 0; i < 7; ++i) *wide[i] = At(16 + 4 * i);
  int32_t* narrow[18] = {&s.fftSize,     &s.fftOverlap, &s.threshold,     &s.window,
                         &s.colorScheme, &s.contrast,   &s.invColors,     &s.fontSize,
                         &s.freqSize,    &s.freqPlot,   &s.freqThreshold, &s.freqPlotType,
                         &s.freqGridX,   &s.freqGridY,  &s.spectGridX,    &s.spectGridY,
                         &s.oscGridX,    &s.oscGridY};
  for (int i = 0; i < 18; ++i) *narrow[i] = At(44 + 4 * i);
  s.userColorMap = UserColorMap::FromBytes(&bytes_[kMap]);
  s.userColorMap.BringToCurrentForm();
  return s;
}

}  // namespace nv
