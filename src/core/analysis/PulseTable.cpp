#include "analysis/PulseTable.h"

#include <cstdio>

#include "plot/AxisRules.h"

namespace nv {
namespace {

constexpr size_t kMaxRowBytes = 32000;

double ValueOf(PulseTable::Field f, const PulseResult& r) {
  switch (f) {
    case PulseTable::Field::Number: return r.pulseNumber;
    case PulseTable::Field::Start: return r.startUs * 0.001;
    case PulseTable::Field::Stop: return r.endUs * 0.001;
    case PulseTable::Field::Duration: return r.durationUs * 0.001;
    case PulseTable::Field::Energy: return r.energy;
    case PulseTable::Field::MaxFrequency: return r.maxFrequencyHz;
    case PulseTable::Field::MinFrequency: return r.minFrequencyHz;
    case PulseTable::Field::Strongest: return r.strongestHz;
    case PulseTable::Field::MaxLevel: return r.maxLevelDb;
  }
  return 0;
}

}  // namespace

PulseTable::PulseTable(const PulseSettings& s) {
  if (s.pulseNumber) columns_.push_back({Field::Number, "Puls# ", "Puls# ", " %4.0f "});
  if (s.startTime) columns_.push_back({Field::Start, "Start(ms) ", "Start osc. (ms) ", " %5.2f "});
  if (s.stopTime) columns_.push_back({Field::Stop, "Stop(ms) ", "Stop osc. (ms) ", " %5.2f "});
  if (s.duration) columns_.push_back({Field::Duration, "Duration(ms) ", "Duration osc. (ms) ", " %4.2f "});
  if (s.energy) columns_.push_back({Field::Energy, "Energy ", "Energy ", " %4.0f "});
  if (s.freqMax) columns_.push_back({Field::MaxFrequency, "Max freq. ", "Max freq. (Hz)", " %4.0f "});
  if (s.freqMin) columns_.push_back({Field::MinFrequency, "Min freq. ", "Min freq. (Hz)", " %4.0f "});
  if (s.freqStrong)
    columns_.push_back({Field::Strongest, "Strongest freq ", "Freq. at max amp. (Hz)", " %4.0f "});
  if (s.ampMaxAmp)
    columns_.push_back({Field::MaxLevel, "Max freq amplitude ", "Max freq amplitude (dB)", " %4.2f "});
}

PulseTable::Row PulseTable::TitleRow() const {
  Row row;
  for (const Column& c : columns_) row.push_back(c.title);
  return row;
}

PulseTable::Row PulseTable::Cells(const PulseResult& r) const {
  Row row;
  for (const Column& c : columns_) row.push_back(FormatDouble(c.format, ValueOf(c.field, r)));
  return row;
}

std::string PulseTable::Text(const std::vector<PulseResult>& results) const {
  std::vector<Row> rows;
  rows.push_back(TitleRow());
  for (const PulseResult& r : results) rows.push_back(Cells(r));
  return CopyText(rows);
}

std::string PulseTable::CopyText(const std::vector<Row>& rows) {
  std::string out;
  for (const Row& row : rows) {
    std::string line;
    for (const std::string& cell : row) {
      if (cell.empty()) break;
      if (line.size() + cell.size() + 1 > kMaxRowBytes) break;
      line += cell;
      line += '\t';
    }
    out += line;
    out += "\r\n";
  }
  return out;
}

std::string PulseTable::RavenText(const std::vector<PulseResult>& results, int channel) {
  std::string out =
      "Selection\tView\tChannel\tBegin Time (s)\tEnd Time (s)\tLow Freq (Hz)\tHigh Freq (Hz)"
      "\tDuration (ms)\tStrongest Freq (Hz)\tMax Freq Amplitude (dB)\n";
  char buf[512];
  for (const PulseResult& r : results) {
    std::snprintf(buf, sizeof buf, "%.0f\tSpectrogram 1\t%d\t%.6f\t%.6f\t%.0f\t%.0f\t%.3f\t%.0f\t%.2f\n",
                  r.pulseNumber, channel, r.startUs * 1e-6, r.endUs * 1e-6, r.minFrequencyHz,
                  r.maxFrequencyHz, r.durationUs * 0.001, r.strongestHz, r.maxLevelDb);
    out += buf;
  }
  return out;
}

}  // namespace nv
