#include "fileformats/Guano.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>
#include <unordered_set>

#include "base/RecordingInfo.h"
#include "base/TimeBase.h"

namespace nv {
namespace {

constexpr const char* kVersionKey = "GUANO|Version";

bool IsBlank(unsigned char c) { return c <= 0x20 || c == 0x7F; }

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && IsBlank(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int n;
    uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) n = 1, cp = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF) n = 2, cp = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4) n = 3, cp = c & 0x07;
    else return false;
    if (i + static_cast<size_t>(n) >= s.size()) return false;
    for (int k = 1; k <= n; ++k) {
      const unsigned char d = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if (n == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return false;
    if (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) return false;
    i += static_cast<size_t>(n) + 1;
  }
  return true;
}

// A decimal number in the "C" notation, whatever the process locale.
std::optional<double> Number(std::string_view s) {
  s = Trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v))
    return std::nullopt;
  return v;
}

// Fixed notation with at most `decimals` places, trailing zeros removed.
std::string Decimal(double v, int decimals) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return "0";
  std::string s(buf, end);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

// At most `bytes` bytes of `s`, never cutting a UTF-8 sequence.
std::string Clip(const std::string& s, size_t bytes) {
  if (s.size() <= bytes) return s;
  size_t n = bytes;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return s.substr(0, n);
}

bool Digits(std::string_view s, size_t at, size_t count, int& out) {
  if (at + count > s.size()) return false;
  out = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    out = out * 10 + (s[i] - '0');
  }
  return true;
}

// The forms recorders and survey software write in practice:
// "YYYY-MM-DD[T| ]HH:MM[:SS[.fff...]][offset]", the offset "Z", "+hh:mm",
// "+hhmm", "+hh" (or with '-') or none for local time. Gives the local date
// "DD.MM.YY" and time "HH:MM[:SS]" it states, and the offset's text as
// written (empty for none).
bool ParseTimestamp(std::string_view s, std::string& date, std::string& time, std::string* offset = nullptr) {
  int y, mo, d, h, mi, sec = -1;
  if (!Digits(s, 0, 4, y) || s.size() < 16 || s[4] != '-' || !Digits(s, 5, 2, mo) || s[7] != '-' ||
      !Digits(s, 8, 2, d) || (s[10] != 'T' && s[10] != ' ') || !Digits(s, 11, 2, h) || s[13] != ':' ||
      !Digits(s, 14, 2, mi))
    return false;
  size_t p = 16;
  if (p < s.size() && s[p] == ':') {
    if (!Digits(s, p + 1, 2, sec)) return false;
    p += 3;
    if (p < s.size() && s[p] == '.') {
      ++p;
      const size_t f = p;
      while (p < s.size() && s[p] >= '0' && s[p] <= '9') ++p;
      if (p == f) return false;
    }
  }
  const std::string_view zone = s.substr(p);
  if (!zone.empty()) {
    int zh = 0, zm = 0;
    const size_t n = zone.size();
    const bool signedZone = zone[0] == '+' || zone[0] == '-';
    if (zone == "Z") {
    } else if (signedZone && n == 3 && Digits(zone, 1, 2, zh)) {
    } else if (signedZone && n == 5 && Digits(zone, 1, 2, zh) && Digits(zone, 3, 2, zm)) {
    } else if (signedZone && n == 6 && Digits(zone, 1, 2, zh) && zone[3] == ':' && Digits(zone, 4, 2, zm)) {
    } else {
      return false;
    }
    if (zh > 14 || zm > 59) return false;
  }
  static constexpr int kDaysIn[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (mo < 1 || mo > 12 || d < 1 || d > kDaysIn[mo - 1] || h > 23 || mi > 59 || sec > 60) return false;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%02d", d, mo, y % 100);
  date = buf;
  if (sec >= 0)
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, mi, sec);
  else
    std::snprintf(buf, sizeof buf, "%02d:%02d", h, mi);
  time = buf;
  if (offset) *offset = std::string(zone);
  return true;
}

// The recording information's date "DD.MM.YY" and time "HH:MM[:SS]" as a
// GUANO local date and time (20YY); false when they are not in that form.
bool TimestampOf(const RecordingInfo& info, std::string& out) {
  const std::string d = info.Date(), t = info.Time();
  int day, mon, year, h, mi, sec = 0;
  if (!(d.size() == 8 && Digits(d, 0, 2, day) && d[2] == '.' && Digits(d, 3, 2, mon) && d[5] == '.' &&
        Digits(d, 6, 2, year)))
    return false;
  year += 2000;
  if (!((t.size() == 5 || t.size() == 8) && Digits(t, 0, 2, h) && t[2] == ':' && Digits(t, 3, 2, mi) &&
        (t.size() == 5 || (t[5] == ':' && Digits(t, 6, 2, sec)))))
    return false;
  if (day < 1 || day > 31 || mon < 1 || mon > 12 || h > 23 || mi > 59 || sec > 60) return false;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", year, mon, day, h, mi, sec);
  out = buf;
  return true;
}

// The literal two characters "\n" stand for a line break in GUANO text.
std::string OneLine(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == 'n') {
      if (!out.empty() && out.back() != ' ') out += ' ';
      ++i;
    } else {
      out += s[i];
    }
  }
  return std::string(Trim(out));
}

}  // namespace

Guano Guano::Parse(const uint8_t* p, size_t n, int* badLines) {
  Guano g;
  int bad = 0;
  std::string_view text(reinterpret_cast<const char*>(p), n);
  // Keys seen so far (views into the text), so that a chunk of many lines
  // costs time in proportion to its size.
  std::unordered_set<std::string_view> keys;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  while (!text.empty()) {
    // LF, CR LF and a lone CR (as older recorders write) all end a line, so
    // no value ever holds a line break of either kind.
    size_t nl = text.find_first_of("\r\n");
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    line = Trim(line);
    if (line.empty()) continue;
    const size_t colon = line.find(':');
    const std::string_view key = colon == std::string_view::npos ? std::string_view() : Trim(line.substr(0, colon));
    if (key.empty() || !IsUtf8(line) || line.find('\0') != std::string_view::npos ||
        !keys.insert(key).second) {
      ++bad;
      continue;
    }
    g.fields_.push_back({std::string(key), std::string(Trim(line.substr(colon + 1)))});
  }
  if (badLines) *badLines = bad;
  return g;
}

namespace {
// A value as one line: a line break becomes the two characters "\n", a
// carriage return a space (values read from a chunk hold neither).
void AppendLine(std::string& out, const std::string& text) {
  for (char c : text) {
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += ' ';
    else out += c;
  }
}
}  // namespace

std::string Guano::Serialise() const {
  std::string out = kVersionKey;
  const std::string* v = Find(kVersionKey);
  out += ": ";
  AppendLine(out, v ? *v : "1.0");
  out += '\n';
  for (const Field& f : fields_) {
    if (f.key == kVersionKey) continue;
    AppendLine(out, f.key);
    out += ": ";
    AppendLine(out, f.value);
    out += '\n';
  }
  if (out.size() & 1) out += ' ';
  return out;
}

const std::string* Guano::Find(const std::string& key) const {
  for (const Field& f : fields_)
    if (f.key == key) return &f.value;
  return nullptr;
}

void Guano::Set(const std::string& key, const std::string& value) {
  for (Field& f : fields_) {
    if (f.key == key) {
      f.value = value;
      return;
    }
  }
  fields_.push_back({key, value});
}

void Guano::ApplyTo(RecordingInfo& info, uint32_t fileRateHz, std::vector<std::string>& problems) const {
  const std::string* te = Find("TE");
  const std::string* rate = Find("Samplerate");
  const std::optional<double> readRate = rate ? Number(*rate) : std::nullopt;
  // The real rate stated, 0 when none can be used.
  const double rateHz = std::max(readRate.value_or(0.0), 0.0);
  if (rate && rateHz <= 0) problems.push_back("the sampling rate \"" + *rate + "\" is not a number");
  if (te) {
    const std::optional<double> f = Number(*te);
    if (!f || *f < 0.1 || *f > 100) {
      problems.push_back("the time-expansion factor \"" + *te + "\" is not a number from 0.1 to 100");
    } else {
      info.SetTimeExpansion(static_cast<int32_t>(std::lround(*f * 1000)));
      if (rateHz > 0 && fileRateHz > 0 && std::fabs(rateHz - *f * fileRateHz) > 0.005 * *f * fileRateHz)
        problems.push_back("the sampling rate " + *rate + " Hz does not agree with the time-expansion factor " +
                           *te + " and the file's rate of " + std::to_string(fileRateHz) +
                           " Hz; the factor " + *te + " is used");
    }
  } else if (rateHz > 0 && fileRateHz > 0) {
    // Without "TE" the real sampling rate tells the factor.
    const double f = rateHz / fileRateHz;
    if (f >= 0.1 && f <= 100) info.SetTimeExpansion(static_cast<int32_t>(std::lround(f * 1000)));
  }
  if (const std::string* ts = Find("Timestamp")) {
    std::string date, time;
    if (ParseTimestamp(*ts, date, time)) {
      info.SetDate(date);
      info.SetTime(time);
    } else {
      problems.push_back("the timestamp \"" + *ts + "\" is not a date and time");
    }
  }
  std::string by;
  for (const char* k : {"Make", "Model", "Serial"}) {
    const std::string* v = Find(k);
    if (!v || v->empty()) continue;
    if (!by.empty()) by += ' ';
    by += *v;
  }
  if (!by.empty()) info.SetRecordedBy(Clip(by, 39));
  std::string contents;
  const std::string* species = Find("Species Manual ID");
  if (!species || species->empty()) species = Find("Species Auto ID");
  if (species && !species->empty()) contents = *species;
  if (const std::string* note = Find("Note"); note && !note->empty())
    contents += (contents.empty() ? "" : "; ") + OneLine(*note);
  if (!contents.empty()) info.SetContents(Clip(contents, 79));
}

void Guano::UpdateForSave(const RecordingInfo& info, uint32_t fileRateHz, int64_t frames,
                          const std::string& fileName) {
  const TimeBase timeBase = TimeBase(fileRateHz, info.TimeExpansion()).Repaired();
  const double factor = timeBase.ExpansionFactor();
  // Keeps the text of a field that already holds `value` (within `tolerance`).
  auto update = [this](const char* key, double value, double tolerance, const std::string& text) {
    const std::string* old = Find(key);
    if (old) {
      const std::optional<double> v = Number(*old);
      if (v && std::fabs(*v - value) <= tolerance) return;
    }
    Set(key, text);
  };
  update("TE", factor, 0.0005, Decimal(factor, 3));
  const double realRate = timeBase.RealRateHzExact();
  update("Samplerate", realRate, 0.5, Decimal(std::round(realRate), 0));
  const double seconds = timeBase.FramesToSeconds(frames);
  update("Length", seconds, 0.5e-6, Decimal(seconds, 6));
  if (!Find("Original Filename") && !fileName.empty()) Set("Original Filename", fileName);
  // A timestamp whose date and time the recording still states is written
  // back as it was read, in the recorder's own form. One that the recording
  // information now contradicts (its date or time was edited) is written
  // anew, with the offset the old one had; one that cannot be read is kept.
  std::string stamp, date, time, offset;
  const std::string* old = Find("Timestamp");
  if (old && !ParseTimestamp(*old, date, time, &offset)) return;
  if (old && date == info.Date() && time == info.Time()) return;
  if (TimestampOf(info, stamp)) Set("Timestamp", stamp + offset);
}

}  // namespace nv
