#include "analysis/PowerSettingsCheck.h"

#include <cctype>
#include <cstdio>

#include "base/MessageSink.h"

namespace nv {

std::vector<std::string> PowerFftSizeChoices() {
  std::vector<std::string> v{"Automatic"};
  for (int n = 16384; n >= 16; n /= 2) v.push_back(std::to_string(n) + " samples");
  return v;
}

int32_t PowerFftSizeFromChoice(const std::string& text) {
  int64_t v = 0;
  size_t i = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && v < 1000000)
    v = v * 10 + (text[i++] - '0');
  return static_cast<int32_t>(v);
}

std::string PowerFftSizeChoice(int32_t n) {
  if (n == 0) return "Automatic";
  for (const std::string& c : PowerFftSizeChoices())
    if (PowerFftSizeFromChoice(c) == n) return c;
  return "Automatic";
}

void PowerEntryLevels(const PowerSettings& s, bool logScale, double& minLevel, double& maxLevel) {
  if (logScale) {
    minLevel = s.zeroDb;
    maxLevel = s.maxDb;
  } else {
    minLevel = s.zeroV;
    maxLevel = s.maxV;
  }
}

PowerSettingsEntry PowerSettingsEntryOf(const PowerSettings& s, int32_t nyquistHz) {
  PowerSettingsEntry e;
  e.fftSize = s.fftSize;
  e.window = s.window;
  e.logScale = s.logScale != 0;
  e.contUpdate = s.contUpdate != 0;
  PowerEntryLevels(s, e.logScale, e.minLevel, e.maxLevel);
  if (s.maxFrequencyHz >= 1 && s.minFrequencyHz >= 0 && s.maxFrequencyHz <= nyquistHz &&
      s.minFrequencyHz <= s.maxFrequencyHz) {
    e.minFrequencyHz = s.minFrequencyHz;
    e.maxFrequencyHz = s.maxFrequencyHz;
  } else {
    e.minFrequencyHz = 0;
    e.maxFrequencyHz = nyquistHz;
  }
  return e;
}

std::string PowerSettingsError(const PowerSettingsEntry& e, int32_t nyquistHz) {
  if (!(e.minLevel < e.maxLevel)) return "Zero level must be less than Maximum level.";
  if (e.logScale) {
    if (e.maxLevel > 0) return "Maximum level must be less than or equal to Zero dB.";
    if (e.minLevel < -120) return "Minimum level must be greater than or equal to -120 dB.";
  } else {
    if (e.maxLevel > 100) return "Maximum level must be less than or equal to 100 V\u00b2.";
    if (e.maxLevel < 0.01) return "Maximum level must be greater than or equal to 0.01 V\u00b2.";
    if (e.minLevel < 0) return "Minimum level must be greater than or equal to 0 V\u00b2.";
  }
  if (e.maxFrequencyHz > nyquistHz) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "Error: Max frequency > %d", nyquistHz);
    return buf;
  }
  if (e.minFrequencyHz >= e.maxFrequencyHz) return "Error: Min frequency > Max frequency.";
  if (e.minFrequencyHz < 0) return "Error: Min frequency < zero.";
  return std::string();
}

bool ApplyPowerSettings(const PowerSettingsEntry& e, int32_t nyquistHz, PowerSettings& s) {
  const std::string error = PowerSettingsError(e, nyquistHz);
  if (!error.empty()) {
    ShowMessage(error);
    return false;
  }
  // Whole dB are stored: -0.5 ... 0 would become an empty range.
  if (e.logScale && !(static_cast<int32_t>(e.minLevel) < static_cast<int32_t>(e.maxLevel))) {
    ShowMessage("Zero level must be less than Maximum level.");
    return false;
  }
  s.fftSize = e.fftSize;
  s.window = e.window;
  s.logScale = e.logScale ? 1 : 0;
  s.contUpdate = e.contUpdate ? 1 : 0;
  if (e.logScale) {
    s.zeroDb = static_cast<int32_t>(e.minLevel);
    s.maxDb = static_cast<int32_t>(e.maxLevel);
  } else {
    s.zeroV = e.minLevel;
    s.maxV = e.maxLevel;
  }
  s.minFrequencyHz = static_cast<int32_t>(e.minFrequencyHz);
  s.maxFrequencyHz = static_cast<int32_t>(e.maxFrequencyHz);
  return true;
}

}  // namespace nv
