#include "settings/SettingsPersistence.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>


namespace nv {
namespace {

// Stored thousandths of a floating value: value × 1000 + 0.5, rounded down
// (for values of 0 and more the same as truncated), within the 32 bits
// stored. Rounding down rather than towards zero keeps a negative value as
// it was read: -1.0 is stored as -1000 again, not as -999.
int32_t ToThousandths(double v) {
  const double t = std::floor(v * 1000.0 + 0.5);
  if (!(t > INT32_MIN)) return INT32_MIN;
  if (t > INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(t);
}

// The low 32 bits of a 64-bit record value, as stored.
int32_t Low32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

std::string MapKey(int index) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%03d", index);
  return buf;
}

// Every stored field of a section is one row of its table: the key, how the
// number is read, and how the field becomes the stored number and back.
// Loading and saving walk the same rows in the same order, so a field cannot
// be written under one key and read under another. The few values whose
// reading depends on other values (older key forms, the span and its
// threshold, the two oscillogram switches, the colour map) are rows with
// their own load and save steps.
enum class Kind {
  Number,         // any stored number
  SwitchExact,    // on only when the stored number is exactly 1
  SwitchNonZero,  // on for any non-zero number
  SaveOnly,       // written for other readers, not read back
  Custom,         // the row's own load and save steps
};

template <class R>
struct Row {
  const char* key;
  Kind kind;
  int64_t (*get)(const R&) = nullptr;
  void (*set)(R&, int64_t) = nullptr;
  void (*load)(SettingsStore&, const std::string&, R&) = nullptr;
  void (*save)(SettingsStore&, const std::string&, const R&) = nullptr;
};

#define NV_ROW(R, key, kind, member)                                                  \
  Row<R> {                                                                            \
    key, kind, [](const R& r) -> int64_t { return static_cast<int64_t>(r.member); },  \
        [](R& r, int64_t v) { r.member = static_cast<decltype(r.member)>(v); }       \
  }
#define NV_NUMBER(R, key, member) NV_ROW(R, key, Kind::Number, member)
#define NV_SWITCH(R, key, member) NV_ROW(R, key, Kind::SwitchExact, member)

template <class R, size_t N>
void LoadRows(SettingsStore& st, const std::string& sec, const Row<R> (&rows)[N], R& r) {
  for (const Row<R>& row : rows) {
    if (row.kind == Kind::Custom) {
      if (row.load) row.load(st, sec, r);
      continue;
    }
    if (row.kind == Kind::SaveOnly) continue;
    const auto v = st.ReadNumber(sec, row.key);
    if (!v) continue;
    if (row.kind == Kind::SwitchExact)
      row.set(r, *v == 1 ? 1 : 0);
    else if (row.kind == Kind::SwitchNonZero)
      row.set(r, *v != 0 ? 1 : 0);
    else
      row.set(r, *v);
  }
}

template <class R, size_t N>
void SaveRows(SettingsStore& st, const std::string& sec, const Row<R> (&rows)[N], const R& r) {
  for (const Row<R>& row : rows) {
    if (row.kind == Kind::Custom) {
      if (row.save) row.save(st, sec, r);
      continue;
    }
    st.WriteNumber(sec, row.key, Low32(row.get(r)));
  }
}

// ---- Settings\Power
const Row<PowerSettings> kPowerRows[] = {
    NV_SWITCH(PowerSettings, "LeftChan", leftChannel),
    NV_SWITCH(PowerSettings, "RightChan", rightChannel),
    NV_SWITCH(PowerSettings, "ContUpd", contUpdate),
    NV_SWITCH(PowerSettings, "LogScale", logScale),
    NV_NUMBER(PowerSettings, "FftSize", fftSize),
    NV_NUMBER(PowerSettings, "FftWindow", window),
    NV_NUMBER(PowerSettings, "ZeroDB", zeroDb),
    NV_NUMBER(PowerSettings, "MaxDB", maxDb),
    // The linear axis limits are stored in thousandths.
    {"ZeroV", Kind::Number, [](const PowerSettings& s) -> int64_t { return ToThousandths(s.zeroV); },
     [](PowerSettings& s, int64_t v) { s.zeroV = static_cast<double>(v) * 0.001; }},
    {"MaxV", Kind::Number, [](const PowerSettings& s) -> int64_t { return ToThousandths(s.maxV); },
     [](PowerSettings& s, int64_t v) { s.maxV = static_cast<double>(v) * 0.001; }},
};

// ---- Settings\Rate
const Row<RateSettings> kRateRows[] = {
    NV_SWITCH(RateSettings, "LeftChan", leftChannel),
    NV_SWITCH(RateSettings, "RightChan", rightChannel),
    NV_SWITCH(RateSettings, "ContUpd", contUpdate),
    NV_SWITCH(RateSettings, "AutoCalc", autoCalc),
    NV_NUMBER(RateSettings, "HistStart", histStartMs),
    NV_NUMBER(RateSettings, "HistEnd", histEndMs),
    NV_NUMBER(RateSettings, "BarAnt", bars),
    NV_NUMBER(RateSettings, "Delay", delayMs),
    NV_NUMBER(RateSettings, "Threshold", threshold),
};

// ---- Settings\Puls
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

const Row<PulseSettings> kPulseRows[] = {
    NV_SWITCH(PulseSettings, "LeftChan", leftChannel),
    NV_SWITCH(PulseSettings, "RightChan", rightChannel),
    NV_SWITCH(PulseSettings, "ContUpd", contUpdate),
    NV_SWITCH(PulseSettings, "AutoCalc", autoCalc),
    NV_NUMBER(PulseSettings, "PlotSize", plotSize),
    NV_NUMBER(PulseSettings, "FontSize", fontSize),
    NV_NUMBER(PulseSettings, "MinFrequency", minFrequencyHz),
    NV_NUMBER(PulseSettings, "MaxFrequency", maxFrequencyHz),
    NV_NUMBER(PulseSettings, "FreqThreshold", freqThreshold),
    NV_NUMBER(PulseSettings, "FreqSeparation", freqSeparationHz),
    {"AmpSeparationMySec", Kind::Custom, nullptr, nullptr,
     [](SettingsStore& st, const std::string& sec, PulseSettings& s) {
       ReadMicrosecondsWithFallback(st, sec, "AmpSeparationMySec", "AmpSeparation", s.ampSeparationUs);
     },
     [](SettingsStore& st, const std::string& sec, const PulseSettings& s) {
       st.WriteNumber(sec, "AmpSeparationMySec", s.ampSeparationUs);
     }},
    {"DurTimeMySec", Kind::Custom, nullptr, nullptr,
     [](SettingsStore& st, const std::string& sec, PulseSettings& s) {
       ReadMicrosecondsWithFallback(st, sec, "DurTimeMySec", "DurTime", s.durTimeUs);
     },
     [](SettingsStore& st, const std::string& sec, const PulseSettings& s) {
       st.WriteNumber(sec, "DurTimeMySec", s.durTimeUs);
     }},
    NV_NUMBER(PulseSettings, "AmpThres", ampThreshold),
    // The result-column switches.
    NV_SWITCH(PulseSettings, "AmpMaxAmp", ampMaxAmp),
    NV_SWITCH(PulseSettings, "Energy", energy),
    NV_SWITCH(PulseSettings, "FreqStrong", freqStrong),
    NV_SWITCH(PulseSettings, "FreqStrongMark", freqStrongMark),
    NV_SWITCH(PulseSettings, "FreqMax", freqMax),
    NV_SWITCH(PulseSettings, "FreqMin", freqMin),
    NV_SWITCH(PulseSettings, "FreqMaxMark", freqMaxMark),
    NV_SWITCH(PulseSettings, "FreqMinMark", freqMinMark),
    NV_SWITCH(PulseSettings, "PulsNum", pulseNumber),
    NV_SWITCH(PulseSettings, "RelPulsCalc", relPulseCalc),
    NV_SWITCH(PulseSettings, "StartTime", startTime),
    NV_SWITCH(PulseSettings, "StartTimeMark", startTimeMark),
    NV_SWITCH(PulseSettings, "StopTime", stopTime),
    NV_SWITCH(PulseSettings, "StopTimeMark", stopTimeMark),
    NV_SWITCH(PulseSettings, "Duration", duration),
    NV_SWITCH(PulseSettings, "StartFreq", startFreq),
    NV_SWITCH(PulseSettings, "StopFreq", stopFreq),
    NV_SWITCH(PulseSettings, "DurationFreq", durationFreq),
    NV_NUMBER(PulseSettings, "Method", method),
};

// ---- Settings\CB and Settings\NI (read only; the National Instruments card
// also has a "Gain")
const Row<CardParameters> kCardHeadRows[] = {
    NV_NUMBER(CardParameters, "NumSamples", numSamples),
    NV_NUMBER(CardParameters, "SampFreq", sampFreqHz),
    NV_NUMBER(CardParameters, "CutFreq", cutFreqHz),
    NV_NUMBER(CardParameters, "TimeExp", timeExp),
    NV_NUMBER(CardParameters, "StoreTime", storeTime),
};
// "Gain" stands between "StoreTime" and the switches.
const Row<CardParameters> kGainRows[] = {NV_NUMBER(CardParameters, "Gain", gain)};
const Row<CardParameters> kCardTailRows[] = {
    NV_ROW(CardParameters, "CircularBuffer", Kind::SwitchNonZero, circularBuffer),
    NV_ROW(CardParameters, "PlayAfter", Kind::SwitchNonZero, playAfter),
    NV_ROW(CardParameters, "Spectro", Kind::SwitchNonZero, spectro),
    NV_ROW(CardParameters, "FixReplay", Kind::SwitchNonZero, fixReplay),
    NV_NUMBER(CardParameters, "ReplayFreq", replayFreqHz),
};
// ---- Settings\DefData
void SaveText(SettingsStore& st, const std::string& sec, const char* key, const std::string& v) {
  st.WriteText(sec, key, v);
}
const Row<DefaultData> kDefaultDataRows[] = {
    {"Release", Kind::SaveOnly, [](const DefaultData& d) -> int64_t { return d.info.Release(); }},
    {"Version", Kind::SaveOnly, [](const DefaultData& d) -> int64_t { return d.info.Version(); }},
    {"Build", Kind::SaveOnly, [](const DefaultData& d) -> int64_t { return d.info.Build(); }},
    {"Copyright", Kind::Custom, nullptr, nullptr, nullptr,
     [](SettingsStore& st, const std::string& sec, const DefaultData& d) {
       SaveText(st, sec, "Copyright", d.info.ProductNotice());
     }},
    {"TimeExp25", Kind::Number, [](const DefaultData& d) -> int64_t { return d.info.TimeExpansion(); },
     [](DefaultData& d, int64_t v) { d.info.SetTimeExpansion(static_cast<int32_t>(v)); }},
    NV_NUMBER(DefaultData, "Chans", channels),
    NV_NUMBER(DefaultData, "Bits", bits),
    NV_NUMBER(DefaultData, "Rate", rateHz),
    {"Date", Kind::Custom, nullptr, nullptr, nullptr,
     [](SettingsStore& st, const std::string& sec, const DefaultData& d) { SaveText(st, sec, "Date", d.info.Date()); }},
    {"Time", Kind::Custom, nullptr, nullptr, nullptr,
     [](SettingsStore& st, const std::string& sec, const DefaultData& d) { SaveText(st, sec, "Time", d.info.Time()); }},
    // The contents text is cleared after every use, so it is stored empty and
    // cleared when read.
    {"At", Kind::Custom, nullptr, nullptr,
     [](SettingsStore&, const std::string&, DefaultData& d) { d.info.SetContents(""); },
     [](SettingsStore& st, const std::string& sec, const DefaultData&) { SaveText(st, sec, "At", ""); }},
    {"By", Kind::Custom, nullptr, nullptr,
     [](SettingsStore& st, const std::string& sec, DefaultData& d) {
       if (auto by = st.ReadText(sec, "By")) d.info.SetRecordedBy(by->substr(0, 39));
     },
     [](SettingsStore& st, const std::string& sec, const DefaultData& d) {
       SaveText(st, sec, "By", d.info.RecordedBy());
     }},
    NV_NUMBER(DefaultData, "CBoardSamp", cboardSamp),
    NV_NUMBER(DefaultData, "NiDaqSamp", niDaqSamp),
};

// ---- Settings\DefData\Analys
const Row<AnalysisSettings> kAnalysisRows[] = {
    // The oscillogram switch and the trace-form switch. Older stores hold one
    // "Amp" for both (the trace switch then reads as the oscillogram's); the
    // trace switch has its own key "AmpLine", so each reads back as written.
    {"Amp", Kind::Custom, nullptr, nullptr,
     [](SettingsStore& st, const std::string& sec, AnalysisSettings& s) {
       if (st.ReadSwitchExact(sec, "Amp", s.oscillogramShown)) s.lineBetweenSamples = s.oscillogramShown;
       st.ReadSwitchExact(sec, "AmpLine", s.lineBetweenSamples);
     },
     [](SettingsStore& st, const std::string& sec, const AnalysisSettings& s) {
       st.WriteNumber(sec, "Amp", s.oscillogramShown);
       st.WriteNumber(sec, "AmpLine", s.lineBetweenSamples);
     }},
    NV_SWITCH(AnalysisSettings, "Spect", spectrogramShown),
    NV_SWITCH(AnalysisSettings, "LeftChan", leftChannel),
    NV_SWITCH(AnalysisSettings, "RightChan", rightChannel),
    NV_SWITCH(AnalysisSettings, "Scale", colorBar),
    // The span in microseconds; older stores hold only milliseconds. The
    // threshold is read only with a positive span.
    {"PlotSizemySec", Kind::Custom, nullptr, nullptr,
     [](SettingsStore& st, const std::string& sec, AnalysisSettings& s) {
       std::optional<int64_t> span;
       if (auto us = st.ReadNumber(sec, "PlotSizemySec"); us && *us >= 0) {
         span = *us;
       } else if (auto ms = st.ReadNumber(sec, "PlotSize")) {
         span = static_cast<int64_t>(*ms) * 1000;
         // Only a span "PlotSizemySec" can hold: a larger one would be
         // written back as its low 32 bits, another span at the next start.
         if (*span > INT32_MAX) span.reset();
       }
       if (span && *span > 0) {
         s.timePerPlotUs = *span;
         st.Read(sec, "FftThresHold", s.threshold);
       }
     },
     [](SettingsStore& st, const std::string& sec, const AnalysisSettings& s) {
       st.WriteNumber(sec, "PlotSizemySec", Low32(s.timePerPlotUs));
     }},
    // The visible stretch and ranges are written for other readers only.
    NV_ROW(AnalysisSettings, "PlotStartmySec", Kind::SaveOnly, firstVisibleSample),
    NV_ROW(AnalysisSettings, "PlotEndmySec", Kind::SaveOnly, lastVisibleSample),
    {"PlotSize", Kind::SaveOnly,
     [](const AnalysisSettings& s) -> int64_t {
       return (s.timePerPlotUs < 0 || s.timePerPlotUs <= 1000) ? s.timePerPlotUs : s.timePerPlotUs / 1000;
     }},
    {"PlotStart", Kind::SaveOnly,
     [](const AnalysisSettings& s) -> int64_t { return s.firstVisibleSample / 1000; }},
    {"PlotEnd", Kind::SaveOnly, [](const AnalysisSettings& s) -> int64_t { return s.lastVisibleSample / 1000; }},
    NV_ROW(AnalysisSettings, "SpectMin", Kind::SaveOnly, minFrequencyHz),
    NV_ROW(AnalysisSettings, "SpectMax", Kind::SaveOnly, maxFrequencyHz),
    NV_ROW(AnalysisSettings, "AmpMin", Kind::SaveOnly, minAmplitude),
    NV_ROW(AnalysisSettings, "AmpMax", Kind::SaveOnly, maxAmplitude),
    // Read together with the span above.
    NV_ROW(AnalysisSettings, "FftThresHold", Kind::SaveOnly, threshold),
    NV_NUMBER(AnalysisSettings, "FftWindow", window),
    NV_NUMBER(AnalysisSettings, "ColorSchema", colorScheme),
    NV_NUMBER(AnalysisSettings, "Contrast", contrast),
    NV_SWITCH(AnalysisSettings, "InvColors", invColors),
    NV_NUMBER(AnalysisSettings, "FontSize", fontSize),
    NV_NUMBER(AnalysisSettings, "FreqSize", freqSize),
    NV_NUMBER(AnalysisSettings, "FreqPlot", freqPlot),
    NV_NUMBER(AnalysisSettings, "FreqThreshold", freqThreshold),
    NV_NUMBER(AnalysisSettings, "FreqPlotType", freqPlotType),
    NV_NUMBER(AnalysisSettings, "FreqGridX", freqGridX),
    NV_NUMBER(AnalysisSettings, "FreqGridY", freqGridY),
    NV_NUMBER(AnalysisSettings, "OscGridX", oscGridX),
    NV_NUMBER(AnalysisSettings, "OscGridY", oscGridY),
    NV_NUMBER(AnalysisSettings, "SpectGridX", spectGridX),
    NV_NUMBER(AnalysisSettings, "SpectGridY", spectGridY),
    {"UserColor", Kind::Custom, nullptr, nullptr,
     [](SettingsStore& st, const std::string& sec, AnalysisSettings& s) {
       if (auto map = st.ReadBinary(sec, "UserColor"); map && map->size() == UserColorMap::kSize) {
         s.userColorMap = UserColorMap::FromBytes(map->data());
         s.userColorMap.BringToCurrentForm();
       }
     },
     [](SettingsStore& st, const std::string& sec, const AnalysisSettings& s) {
       const auto map = s.userColorMap.ToBytes();
       st.WriteBinary(sec, "UserColor", std::vector<uint8_t>(map.begin(), map.end()));
     }},
};

#undef NV_SWITCH
#undef NV_NUMBER
#undef NV_ROW

}  // namespace

void LoadPowerSettings(SettingsStore& st, PowerSettings& s) { LoadRows(st, section::kPower, kPowerRows, s); }
void SavePowerSettings(SettingsStore& st, const PowerSettings& s) { SaveRows(st, section::kPower, kPowerRows, s); }
void LoadRateSettings(SettingsStore& st, RateSettings& s) { LoadRows(st, section::kRate, kRateRows, s); }
void SaveRateSettings(SettingsStore& st, const RateSettings& s) { SaveRows(st, section::kRate, kRateRows, s); }
void LoadPulseSettings(SettingsStore& st, PulseSettings& s) { LoadRows(st, section::kPulse, kPulseRows, s); }
void SavePulseSettings(SettingsStore& st, const PulseSettings& s) { SaveRows(st, section::kPulse, kPulseRows, s); }

void LoadCardParameters(SettingsStore& st, const std::string& sec, bool withGain, CardParameters& p) {
  LoadRows(st, sec, kCardHeadRows, p);
  if (withGain) LoadRows(st, sec, kGainRows, p);
  LoadRows(st, sec, kCardTailRows, p);
}

void SaveCardParameters(SettingsStore& st, const std::string& sec, bool withGain,
                        const CardParameters& p) {
  SaveRows(st, sec, kCardHeadRows, p);
  if (withGain) SaveRows(st, sec, kGainRows, p);
  SaveRows(st, sec, kCardTailRows, p);
  st.Flush();
}

void LoadDefaultData(SettingsStore& st, DefaultData& d) {
  LoadRows(st, section::kDefData, kDefaultDataRows, d);
}
void SaveDefaultData(SettingsStore& st, const DefaultData& d) {
  SaveRows(st, section::kDefData, kDefaultDataRows, d);
}
void LoadAnalysisSettings(SettingsStore& st, AnalysisSettings& s) {
  LoadRows(st, section::kAnalysis, kAnalysisRows, s);
}
void SaveAnalysisSettings(SettingsStore& st, const AnalysisSettings& s) {
  SaveRows(st, section::kAnalysis, kAnalysisRows, s);
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
