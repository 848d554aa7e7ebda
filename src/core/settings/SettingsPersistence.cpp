#include "settings/SettingsPersistence.h"

#include <cstdio>
#include <cstring>


namespace nv {
namespace {

// Stored thousandths of a floating value: value × 1000 + 0.5, truncated.
int32_t ToThousandths(double v) { return static_cast<int32_t>(v * 1000.0 + 0.5); }

// The low 32 bits of a 64-bit record value, as stored.
int32_t Low32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

std::string MapKey(int index) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%03d", index);
  return buf;
}

}  // namespace

void LoadPowerSettings(SettingsStore& st, PowerSettings& s) {
  const std::string sec = section::kPower;
  st.ReadSwitchExact(sec, "LeftChan", s.leftChannel);
  st.ReadSwitchExact(sec, "RightChan", s.rightChannel);
  st.ReadSwitchExact(sec, "ContUpd", s.contUpdate);
  st.ReadSwitchExact(sec, "LogScale", s.logScale);
  st.Read(sec, "FftSize", s.fftSize);
  st.Read(sec, "FftWindow", s.window);
  st.Read(sec, "ZeroDB", s.zeroDb);
  st.Read(sec, "MaxDB", s.maxDb);
  if (auto v = st.ReadNumber(sec, "ZeroV")) s.zeroV = *v * 0.001;
  if (auto v = st.ReadNumber(sec, "MaxV")) s.maxV = *v * 0.001;
}

void SavePowerSettings(SettingsStore& st, const PowerSettings& s) {
  const std::string sec = section::kPower;
  st.WriteNumber(sec, "LeftChan", s.leftChannel);
  st.WriteNumber(sec, "RightChan", s.rightChannel);
  st.WriteNumber(sec, "ContUpd", s.contUpdate);
  st.WriteNumber(sec, "LogScale", s.logScale);
  st.WriteNumber(sec, "FftSize", s.fftSize);
  st.WriteNumber(sec, "FftWindow", s.window);
  st.WriteNumber(sec, "ZeroDB", s.zeroDb);
  st.WriteNumber(sec, "MaxDB", s.maxDb);
  st.WriteNumber(sec, "ZeroV", ToThousandths(s.zeroV));
  st.WriteNumber(sec, "MaxV", ToThousandths(s.maxV));
}

void LoadRateSettings(SettingsStore& st, RateSettings& s) {
  const std::string sec = section::kRate;
  st.ReadSwitchExact(sec, "LeftChan", s.leftChannel);
  st.ReadSwitchExact(sec, "RightChan", s.rightChannel);
  st.ReadSwitchExact(sec, "ContUpd", s.contUpdate);
  st.ReadSwitchExact(sec, "AutoCalc", s.autoCalc);
  st.Read(sec, "HistStart", s.histStartMs);
  st.Read(sec, "HistEnd", s.histEndMs);
  st.Read(sec, "BarAnt", s.bars);
  st.Read(sec, "Delay", s.delayMs);
  st.Read(sec, "Threshold", s.threshold);
}

void SaveRateSettings(SettingsStore& st, const RateSettings& s) {
  const std::string sec = section::kRate;
  st.WriteNumber(sec, "LeftChan", s.leftChannel);
  st.WriteNumber(sec, "RightChan", s.rightChannel);
  st.WriteNumber(sec, "ContUpd", s.contUpdate);
  st.WriteNumber(sec, "AutoCalc", s.autoCalc);
  st.WriteNumber(sec, "HistStart", s.histStartMs);
  st.WriteNumber(sec, "HistEnd", s.histEndMs);
  st.WriteNumber(sec, "BarAnt", s.bars);
  st.WriteNumber(sec, "Delay", s.delayMs);
  st.WriteNumber(sec, "Threshold", s.threshold);
}

namespace {
// The result-column switches of the pulse settings, in stored order.
struct PulseSwitch {
  const char* key;
  uint8_t PulseSettings::*field;
};
constexpr PulseSwitch kPulseSwitches[] = {
    {"AmpMaxAmp", &PulseSettings::ampMaxAmp},       {"Energy", &PulseSettings::energy},
    {"FreqStrong", &PulseSettings::freqStrong},     {"FreqStrongMark", &PulseSettings::freqStrongMark},
    {"FreqMax", &PulseSettings::freqMax},           {"FreqMin", &PulseSettings::freqMin},
    {"FreqMaxMark", &PulseSettings::freqMaxMark},   {"FreqMinMark", &PulseSettings::freqMinMark},
    {"PulsNum", &PulseSettings::pulseNumber},       {"RelPulsCalc", &PulseSettings::relPulseCalc},
    {"StartTime", &PulseSettings::startTime},       {"StartTimeMark", &PulseSettings::startTimeMark},
    {"StopTime", &PulseSettings::stopTime},         {"StopTimeMark", &PulseSettings::stopTimeMark},
    {"Duration", &PulseSettings::duration},         {"StartFreq", &PulseSettings::startFreq},
    {"StopFreq", &PulseSettings::stopFreq},         {"DurationFreq", &PulseSettings::durationFreq},
};

// A microsecond value with its older millisecond key: the new key when it is
// positive, else the old one times 1000 when that is positive, else the field
// keeps its value.
void ReadMicrosecondsWithFallback(SettingsStore& st, const std::string& sec, const char* newKey,
                                  const char* oldKey, int32_t& field) {
  auto v = st.ReadNumber(sec, newKey);
  if (v && *v > 0) {
    field = *v;
    return;
  }
  auto old = st.ReadNumber(sec, oldKey);
  if (!old) return;
  const int64_t us = static_cast<int64_t>(*old) * 1000;
  if (us > 0 && us <= INT32_MAX) field = static_cast<int32_t>(us);
}
}  // namespace

void LoadPulseSettings(SettingsStore& st, PulseSettings& s) {
  const std::string sec = section::kPulse;
  st.ReadSwitchExact(sec, "LeftChan", s.leftChannel);
  st.ReadSwitchExact(sec, "RightChan", s.rightChannel);
  st.ReadSwitchExact(sec, "ContUpd", s.contUpdate);
  st.ReadSwitchExact(sec, "AutoCalc", s.autoCalc);
  st.Read(sec, "PlotSize", s.plotSize);
  st.Read(sec, "FontSize", s.fontSize);
  st.Read(sec, "MinFrequency", s.minFrequencyHz);
  st.Read(sec, "MaxFrequency", s.maxFrequencyHz);
  st.Read(sec, "FreqThreshold", s.freqThreshold);
  st.Read(sec, "FreqSeparation", s.freqSeparationHz);
  ReadMicrosecondsWithFallback(st, sec, "AmpSeparationMySec", "AmpSeparation", s.ampSeparationUs);
  ReadMicrosecondsWithFallback(st, sec, "DurTimeMySec", "DurTime", s.durTimeUs);
  st.Read(sec, "AmpThres", s.ampThreshold);
  for (const PulseSwitch& sw : kPulseSwitches) st.ReadSwitchExact(sec, sw.key, s.*sw.field);
  st.Read(sec, "Method", s.method);
}

void SavePulseSettings(SettingsStore& st, const PulseSettings& s) {
  const std::string sec = section::kPulse;
  st.WriteNumber(sec, "LeftChan", s.leftChannel);
  st.WriteNumber(sec, "RightChan", s.rightChannel);
  st.WriteNumber(sec, "ContUpd", s.contUpdate);
  st.WriteNumber(sec, "AutoCalc", s.autoCalc);
  st.WriteNumber(sec, "PlotSize", s.plotSize);
  st.WriteNumber(sec, "FontSize", s.fontSize);
  st.WriteNumber(sec, "MinFrequency", s.minFrequencyHz);
  st.WriteNumber(sec, "MaxFrequency", s.maxFrequencyHz);
  st.WriteNumber(sec, "FreqThreshold", s.freqThreshold);
  st.WriteNumber(sec, "FreqSeparation", s.freqSeparationHz);
  st.WriteNumber(sec, "AmpSeparationMySec", s.ampSeparationUs);
  st.WriteNumber(sec, "DurTimeMySec", s.durTimeUs);
  st.WriteNumber(sec, "AmpThres", s.ampThreshold);
  for (const PulseSwitch& sw : kPulseSwitches) st.WriteNumber(sec, sw.key, s.*sw.field);
  st.WriteNumber(sec, "Method", s.method);
}

void LoadCardParameters(SettingsStore& st, const std::string& sec, bool withGain,
                        CardParameters& p) {
  st.Read(sec, "NumSamples", p.numSamples);
  st.Read(sec, "SampFreq", p.sampFreqHz);
  st.Read(sec, "CutFreq", p.cutFreqHz);
  st.Read(sec, "TimeExp", p.timeExp);
  st.Read(sec, "StoreTime", p.storeTime);
  if (withGain) st.Read(sec, "Gain", p.gain);
  st.ReadSwitchNonZero(sec, "CircularBuffer", p.circularBuffer);
  st.ReadSwitchNonZero(sec, "PlayAfter", p.playAfter);
  st.ReadSwitchNonZero(sec, "Spectro", p.spectro);
  st.ReadSwitchNonZero(sec, "FixReplay", p.fixReplay);
  st.Read(sec, "ReplayFreq", p.replayFreqHz);
}

void LoadDefaultData(SettingsStore& st, DefaultData& d) {
  const std::string sec = section::kDefData;
  if (auto v = st.ReadNumber(sec, "TimeExp25")) d.info.SetTimeExpansion(*v);
  st.Read(sec, "Chans", d.channels);
  st.Read(sec, "Bits", d.bits);
  st.Read(sec, "Rate", d.rateHz);
  if (auto by = st.ReadText(sec, "By")) d.info.SetRecordedBy(by->substr(0, 39));
  st.Read(sec, "CBoardSamp", d.cboardSamp);
  st.Read(sec, "NiDaqSamp", d.niDaqSamp);
  d.info.SetContents("");
}

void SaveDefaultData(SettingsStore& st, const DefaultData& d) {
  const std::string sec = section::kDefData;
  st.WriteNumber(sec, "Release", d.info.Release());
  st.WriteNumber(sec, "Version", d.info.Version());
  st.WriteNumber(sec, "Build", d.info.Build());
  st.WriteText(sec, "Copyright", d.info.ProductNotice());
  st.WriteNumber(sec, "TimeExp25", d.info.TimeExpansion());
  st.WriteNumber(sec, "Chans", d.channels);
  st.WriteNumber(sec, "Bits", d.bits);
  st.WriteNumber(sec, "Rate", d.rateHz);
  st.WriteText(sec, "Date", d.info.Date());
  st.WriteText(sec, "Time", d.info.Time());
  // The contents text is cleared after every use, so it is stored empty.
  st.WriteText(sec, "At", "");
  st.WriteText(sec, "By", d.info.RecordedBy());
  st.WriteNumber(sec, "CBoardSamp", d.cboardSamp);
  st.WriteNumber(sec, "NiDaqSamp", d.niDaqSamp);
}

void LoadAnalysisSettings(SettingsStore& st, AnalysisSettings& s) {
  const std::string sec = section::kAnalysis;
  // "Amp" holds one switch for both the oscillogram and the trace form.
  if (st.ReadSwitchExact(sec, "Amp", s.oscillogramShown)) s.lineBetweenSamples = s.oscillogramShown;
  st.ReadSwitchExact(sec, "Spect", s.spectrogramShown);
  st.ReadSwitchExact(sec, "LeftChan", s.leftChannel);
  st.ReadSwitchExact(sec, "RightChan", s.rightChannel);
  st.ReadSwitchExact(sec, "Scale", s.colorBar);

  // The span in microseconds; older stores hold only milliseconds.
  std::optional<int64_t> span;
  if (auto us = st.ReadNumber(sec, "PlotSizemySec"); us && *us >= 0) {
    span = *us;
  } else if (auto ms = st.ReadNumber(sec, "PlotSize")) {
    span = static_cast<int64_t>(*ms) * 1000;
  }
  if (span && *span > 0) {
    s.timePerPlotUs = *span;
    st.Read(sec, "FftThresHold", s.threshold);
  }

  st.Read(sec, "FftWindow", s.window);
  st.Read(sec, "ColorSchema", s.colorScheme);
  st.Read(sec, "Contrast", s.contrast);
  if (auto v = st.ReadNumber(sec, "InvColors")) s.invColors = *v == 1 ? 1 : 0;
  st.Read(sec, "FontSize", s.fontSize);
  st.Read(sec, "FreqSize", s.freqSize);
  st.Read(sec, "FreqPlot", s.freqPlot);
  st.Read(sec, "FreqThreshold", s.freqThreshold);
  st.Read(sec, "FreqPlotType", s.freqPlotType);
  st.Read(sec, "FreqGridX", s.freqGridX);
  st.Read(sec, "FreqGridY", s.freqGridY);
  st.Read(sec, "OscGridX", s.oscGridX);
  st.Read(sec, "OscGridY", s.oscGridY);
  st.Read(sec, "SpectGridX", s.spectGridX);
  st.Read(sec, "SpectGridY", s.spectGridY);
  if (auto map = st.ReadBinary(sec, "UserColor"); map && map->size() == UserColorMap::kSize) {
    s.userColorMap = UserColorMap::FromBytes(map->data());
    s.userColorMap.BringToCurrentForm();
  }
}

void SaveAnalysisSettings(SettingsStore& st, const AnalysisSettings& s) {
  const std::string sec = section::kAnalysis;
  // Both switches go to "Amp"; the second write is the one kept.
  st.WriteNumber(sec, "Amp", s.oscillogramShown);
  st.WriteNumber(sec, "Amp", s.lineBetweenSamples);
  st.WriteNumber(sec, "Spect", s.spectrogramShown);
  st.WriteNumber(sec, "LeftChan", s.leftChannel);
  st.WriteNumber(sec, "RightChan", s.rightChannel);
  st.WriteNumber(sec, "Scale", s.colorBar);
  st.WriteNumber(sec, "PlotSizemySec", Low32(s.timePerPlotUs));
  st.WriteNumber(sec, "PlotStartmySec", Low32(s.firstVisibleSample));
  st.WriteNumber(sec, "PlotEndmySec", Low32(s.lastVisibleSample));
  const int64_t spanMs =
      (s.timePerPlotUs < 0 || s.timePerPlotUs <= 1000) ? s.timePerPlotUs : s.timePerPlotUs / 1000;
  st.WriteNumber(sec, "PlotSize", Low32(spanMs));
  st.WriteNumber(sec, "PlotStart", Low32(s.firstVisibleSample / 1000));
  st.WriteNumber(sec, "PlotEnd", Low32(s.lastVisibleSample / 1000));
  st.WriteNumber(sec, "SpectMin", Low32(s.minFrequencyHz));
  st.WriteNumber(sec, "SpectMax", Low32(s.maxFrequencyHz));
  st.WriteNumber(sec, "AmpMin", Low32(s.minAmplitude));
  st.WriteNumber(sec, "AmpMax", Low32(s.maxAmplitude));
  st.WriteNumber(sec, "FftThresHold", s.threshold);
  st.WriteNumber(sec, "FftWindow", s.window);
  st.WriteNumber(sec, "ColorSchema", s.colorScheme);
  st.WriteNumber(sec, "Contrast", s.contrast);
  st.WriteNumber(sec, "InvColors", s.invColors);
  st.WriteNumber(sec, "FontSize", s.fontSize);
  st.WriteNumber(sec, "FreqSize", s.freqSize);
  st.WriteNumber(sec, "FreqPlot", s.freqPlot);
  st.WriteNumber(sec, "FreqThreshold", s.freqThreshold);
  st.WriteNumber(sec, "FreqPlotType", s.freqPlotType);
  st.WriteNumber(sec, "FreqGridX", s.freqGridX);
  st.WriteNumber(sec, "FreqGridY", s.freqGridY);
  st.WriteNumber(sec, "OscGridX", s.oscGridX);
  st.WriteNumber(sec, "OscGridY", s.oscGridY);
  st.WriteNumber(sec, "SpectGridX", s.spectGridX);
  st.WriteNumber(sec, "SpectGridY", s.spectGridY);
  const auto map = s.userColorMap.ToBytes();
  st.WriteBinary(sec, "UserColor", std::vector<uint8_t>(map.begin(), map.end()));
}

void LoadColorMaps(SettingsStore& st, ColorMapList& list) {
  list.maps.clear();
  int misses = 9;
  for (int i = 0; i <= 999 && misses > 0; ++i) {
    auto bytes = st.ReadBinary(section::kColorMap, MapKey(i));
    if (bytes && !bytes->empty()) {
      // A value of another length is laid over a new map's image, so that a
      // short value cannot be read past its end.
      auto image = UserColorMap().ToBytes();
      std::memcpy(image.data(), bytes->data(), std::min(bytes->size(), image.size()));
      UserColorMap map = UserColorMap::FromBytes(image.data());
      map.BringToCurrentForm();
      list.maps.push_back(map);
      misses = 9;
    } else {
      --misses;
    }
  }
}

void SaveColorMaps(SettingsStore& st, const ColorMapList& list) {
  int i = 0;
  for (const UserColorMap& map : list.maps) {
    const auto bytes = map.ToBytes();
    st.WriteBinary(section::kColorMap, MapKey(i++), std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }
  for (int k = 0; k < 10; ++k) st.WriteBinary(section::kColorMap, MapKey(i++), {});
  st.Flush();
}

}  // namespace nv
