#pragma once
// The rules of the power-spectrum settings dialog as core logic: the entries
// it shows for a settings record, the FFT size choices, the validation of
// its entries (the first failing rule's message, in a fixed order) and the
// storing of valid entries. The dialog only moves values between its fields
// and a PowerSettingsEntry.
#include <cstdint>
#include <string>
#include <vector>

#include "settings/PowerSettings.h"

namespace nv {

struct PowerSettingsEntry {
  int32_t fftSize = 0;   // 0 automatic
  int32_t window = 2;    // WindowCode
  bool logScale = true;
  double minLevel = -120;  // dB or V²
  double maxLevel = 0;
  int64_t minFrequencyHz = 0;
  int64_t maxFrequencyHz = 0;
  bool contUpdate = false;
};

// The FFT size combo: "Automatic", "16384 samples", "8192 samples", ...,
// "16 samples"; and the size a text stands for ("Automatic" 0, otherwise its
// leading digits).
std::vector<std::string> PowerFftSizeChoices();
int32_t PowerFftSizeFromChoice(const std::string& text);
std::string PowerFftSizeChoice(int32_t fftSize);

// The entries shown for `s`: the levels of its scale, its frequency range
// or, when that is invalid, 0 ... nyquistHz.
PowerSettingsEntry PowerSettingsEntryOf(const PowerSettings& s, int32_t nyquistHz);
// The levels shown for a scale (used when the scale box is toggled).
void PowerEntryLevels(const PowerSettings& s, bool logScale, double& minLevel, double& maxLevel);

// The first failing rule's message, or "" when the entries are valid.
std::string PowerSettingsError(const PowerSettingsEntry& e, int32_t nyquistHz);

// Shows the first failing rule's message and returns false, or stores the
// entries in `s` (levels in dB truncated to whole dB) and returns true.
bool ApplyPowerSettings(const PowerSettingsEntry& e, int32_t nyquistHz, PowerSettings& s);

}  // namespace nv
