#include "settings/CardParameterRules.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace nv {

const std::vector<CardRate>& RecordingRates(CardKind card) {
  static const std::vector<CardRate> boards = {
      {"50 kHz", 50000},     {"100 kHz", 100000},   {"151.5 kHz", 151515}, {"200 kHz", 200000},
      {"250 kHz", 250000},   {"312.5 kHz", 312500}, {"333.3 kHz", 333333}};
  static const std::vector<CardRate> daq = {
      {"50 kHz", 50000},     {"100 kHz", 100000},   {"151.5 kHz", 151515}, {"200 kHz", 200000},
      {"250 kHz", 250000},   {"294.1 kHz", 294117}, {"357.1 kHz", 357142}, {"384.6 kHz", 384615},
      {"454.5 kHz", 454545}, {"500 kHz", 500000}};
  return card == CardKind::ComputerBoards ? boards : daq;
}

int32_t RecordingRateOfText(CardKind card, const std::string& text) {
  for (const CardRate& r : RecordingRates(card))
    if (text == r.text) return r.hz;
  return 0;
}

std::string RecordingTextOfRate(CardKind card, int32_t hz) {
  for (const CardRate& r : RecordingRates(card))
    if (r.hz == hz) return r.text;
  return std::string();
}

std::string TimeExpansionTextFor(CardKind card, const std::string& recordingText,
                                 const std::string& playbackText) {
  if (recordingText.empty() || playbackText.empty()) return std::string();
  const double f = RecordingRateOfText(card, recordingText);
  // The leading number of the playback text ("22050 Hz").
  const double p = std::strtod(playbackText.c_str(), nullptr);
  if (!(p > 100 && p <= 200000 && f > 100 && f < 19999999)) return std::string();
  const double t = f / p;
  if (!(t > 0.1 && t <= 100)) return std::string();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%2.3f", t);
  return buf;
}

std::string PlaybackTextFor(CardKind card, const std::string& recordingText,
                            const std::string& expansionText) {
  if (expansionText.empty() || recordingText.empty()) return std::string();
  const double t = std::strtod(expansionText.c_str(), nullptr);
  const double f = RecordingRateOfText(card, recordingText);
  if (!(t > 0.1 && t <= 100 && f >= 100)) return std::string();
  if (f > 19999998) return std::string();
  const long p = std::lround(f / t);
  if (!(p > 100 && p <= 100000)) return std::string();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%ld Hz", p);
  return buf;
}

}  // namespace nv
