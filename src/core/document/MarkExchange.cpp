#include "document/MarkExchange.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "base/MessageSink.h"
#include "base/TempFile.h"
#include "base/TimeBase.h"
#include "document/CNorvaneDoc.h"
#include "fileformats/FileIo.h"

namespace nv {
namespace {

constexpr const char* kTableHeader =
    "Selection\tView\tChannel\tBegin Time (s)\tEnd Time (s)\tLow Freq (Hz)\tHigh Freq (Hz)\tAnnotation";
constexpr size_t kMaxListedErrors = 10;
// A mark file larger than this is not a mark file.
constexpr int64_t kMaxImportBytes = int64_t{64} << 20;

TimeBase TimeOf(const MarkTimeBase& b) { return TimeBase(b.rateHz, b.expansionThousandths).Repaired(); }

// Frames per second of real time.
double RealRate(const MarkTimeBase& b) { return TimeOf(b).RealRateHzExact(); }

// Enough decimals that a time written and read back lands on its frame.
int TimeDecimals(const MarkTimeBase& b) { return RealRate(b) > 1e6 ? 9 : 6; }

std::string Seconds(int32_t position, const MarkTimeBase& b) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", TimeDecimals(b), TimeOf(b).FramesToSeconds(position));
  return buf;
}

std::string Hz(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

// A label on one line and one field: tabs and line ends become blanks.
std::string OneField(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return r;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> f;
  size_t start = 0;
  for (;;) {
    const size_t t = line.find('\t', start);
    f.push_back(line.substr(start, t == std::string::npos ? std::string::npos : t - start));
    if (t == std::string::npos) break;
    start = t + 1;
  }
  return f;
}

std::string Trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
  while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t')) --b;
  return s.substr(a, b - a);
}

// A whole field as a finite decimal number.
std::optional<double> Number(const std::string& field) {
  const std::string t = Trim(field);
  if (t.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || errno == ERANGE || !std::isfinite(v)) return std::nullopt;
  // strtod also takes hexadecimal, "inf" and "nan"; a mark file holds decimals.
  for (char c : t)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
          c == 'e' || c == 'E'))
      return std::nullopt;
  return v;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string t = text;
  if (t.compare(0, 3, "\xEF\xBB\xBF") == 0) t.erase(0, 3);  // byte-order mark
  std::istringstream in(t);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string At(size_t lineIndex, const std::string& what) {
  return "line " + std::to_string(lineIndex + 1) + ": " + what;
}

// Converts a start time to a frame of the sound; an error text otherwise.
std::optional<int32_t> FrameOf(double seconds, const MarkTimeBase& b, std::string& error) {
  if (seconds < 0) {
    error = "negative time";
    return std::nullopt;
  }
  const double f = std::round(seconds * RealRate(b));
  if (f > static_cast<double>(b.frameCount) || f > INT32_MAX) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "time %.6f s lies beyond the end of the sound (%.6f s)", seconds,
                  TimeOf(b).FramesToSeconds(b.frameCount));
    error = buf;
    return std::nullopt;
  }
  return static_cast<int32_t>(f);
}

// Puts a frequency band on a point: its middle, in whole Hz.
bool SetFrequency(MarkPoint& p, double low, double high, std::string& error) {
  if (low > high) {
    error = "low frequency above the high frequency";
    return false;
  }
  const double mid = std::round((low + high) / 2);
  if (mid > INT32_MAX) {
    error = "frequency out of range";
    return false;
  }
  if (high <= 0) return true;  // no frequency: a mark in time only
  p.inSpectrogram = true;
  p.value = static_cast<int32_t>(mid);
  p.kind = CursorKind::Measurement;
  return true;
}

void ParseLabels(const std::vector<std::string>& lines, const MarkTimeBase& b, ParsedMarks& out) {
  bool lastWasLabel = false;  // a frequency line may follow
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (Trim(line).empty()) {
      lastWasLabel = false;
      continue;
    }
    const std::vector<std::string> f = SplitTabs(line);
    std::string error;
    if (line[0] == '\\') {
      // "\<TAB>low<TAB>high" under the label it belongs to.
      if (!lastWasLabel) {
        out.errors.push_back(At(i, "frequency line without a label line above it"));
        continue;
      }
      lastWasLabel = false;
      if (f.size() < 3 || Trim(f[0]) != "\\") {
        out.errors.push_back(At(i, "a frequency line holds \"\\\", the low and the high frequency"));
        continue;
      }
      const auto low = Number(f[1]), high = Number(f[2]);
      if (!low || !high) {
        out.errors.push_back(At(i, "frequency is not a number"));
        continue;
      }
      if (!SetFrequency(out.marks.back().first, *low, *high, error)) out.errors.push_back(At(i, error));
      continue;
    }
    lastWasLabel = false;
    if (f.size() < 2) {
      out.errors.push_back(At(i, "a label line holds the start time, the end time and the label"));
      continue;
    }
    const auto start = Number(f[0]), end = Number(f[1]);
    if (!start || !end) {
      out.errors.push_back(At(i, start ? "end time is not a number" : "start time is not a number"));
      continue;
    }
    if (*end < *start) {
      out.errors.push_back(At(i, "end time before start time"));
      continue;
    }
    const auto frame = FrameOf(*start, b, error);
    if (!frame) {
      out.errors.push_back(At(i, error));
      continue;
    }
    MarkPoint p;
    p.position = *frame;
    p.channel = 3;
    p.kind = CursorKind::Marking;
    std::string label;
    for (size_t k = 2; k < f.size(); ++k) label += (k > 2 ? " " : "") + f[k];
    out.marks.emplace_back(p, label);
    lastWasLabel = true;
  }
}

void ParseTable(const std::vector<std::string>& lines, const MarkTimeBase& b, ParsedMarks& out) {
  size_t first = 0;
  while (first < lines.size() && Trim(lines[first]).empty()) ++first;
  if (first == lines.size()) return;  // an empty file: no marks
  const std::vector<std::string> head = SplitTabs(lines[first]);
  auto column = [&](const char* title) -> int {
    for (size_t k = 0; k < head.size(); ++k)
      if (Trim(head[k]) == title) return static_cast<int>(k);
    return -1;
  };
  const int cSel = column("Selection"), cChan = column("Channel"), cBegin = column("Begin Time (s)"),
            cEnd = column("End Time (s)"), cLow = column("Low Freq (Hz)"),
            cHigh = column("High Freq (Hz)"), cNote = column("Annotation");
  if (cBegin < 0) {
    out.errors.push_back(At(first, "the header has no \"Begin Time (s)\" column"));
    return;
  }
  std::vector<std::string> seen;
  for (size_t i = first + 1; i < lines.size(); ++i) {
    if (Trim(lines[i]).empty()) continue;
    const std::vector<std::string> f = SplitTabs(lines[i]);
    auto field = [&](int c) -> std::string { return c >= 0 && static_cast<size_t>(c) < f.size() ? f[c] : ""; };
    if (static_cast<size_t>(cBegin) >= f.size()) {
      out.errors.push_back(At(i, "fewer fields than the header has columns"));
      continue;
    }
    // A selection is listed once per view; the first row stands for it.
    if (cSel >= 0) {
      const std::string sel = Trim(field(cSel));
      bool dup = false;
      for (const std::string& s : seen) dup = dup || s == sel;
      if (dup && !sel.empty()) continue;
      seen.push_back(sel);
    }
    const auto begin = Number(field(cBegin));
    if (!begin) {
      out.errors.push_back(At(i, "begin time is not a number"));
      continue;
    }
    if (cEnd >= 0 && !Trim(field(cEnd)).empty()) {
      const auto end = Number(field(cEnd));
      if (!end) {
        out.errors.push_back(At(i, "end time is not a number"));
        continue;
      }
      if (*end < *begin) {
        out.errors.push_back(At(i, "end time before begin time"));
        continue;
      }
    }
    std::string error;
    const auto frame = FrameOf(*begin, b, error);
    if (!frame) {
      out.errors.push_back(At(i, error));
      continue;
    }
    MarkPoint p;
    p.position = *frame;
    p.kind = CursorKind::Marking;
    p.channel = 1;
    if (cChan >= 0 && !Trim(field(cChan)).empty()) {
      const auto ch = Number(field(cChan));
      if (!ch || *ch != std::floor(*ch) || *ch < 1) {
        out.errors.push_back(At(i, "channel is not a channel number"));
        continue;
      }
      if (*ch > b.channels) {
        out.errors.push_back(At(i, "channel " + Trim(field(cChan)) + " but the sound has " +
                                       std::to_string(b.channels) +
                                       (b.channels == 1 ? " channel" : " channels")));
        continue;
      }
      p.channel = static_cast<int32_t>(*ch);
    }
    const std::string lowText = Trim(field(cLow)), highText = Trim(field(cHigh));
    if (!lowText.empty() || !highText.empty()) {
      const auto low = Number(lowText.empty() ? highText : lowText);
      const auto high = Number(highText.empty() ? lowText : highText);
      if (!low || !high) {
        out.errors.push_back(At(i, "frequency is not a number"));
        continue;
      }
      if (!SetFrequency(p, *low, *high, error)) {
        out.errors.push_back(At(i, error));
        continue;
      }
    }
    out.marks.emplace_back(p, Trim(field(cNote)));
  }
}

}  // namespace

std::optional<MarkExchangeFormat> ParseMarkExchangeFormat(const std::string& name) {
  if (name == "labels") return MarkExchangeFormat::Labels;
  if (name == "raven") return MarkExchangeFormat::SelectionTable;
  return std::nullopt;
}

std::string FormatMarks(const MarkList& marks, MarkExchangeFormat f, const MarkTimeBase& b) {
  std::string out;
  if (f == MarkExchangeFormat::Labels) {
    for (const MarkRecord& m : marks) {
      const std::string t = Seconds(m.position, b);
      out += t + "\t" + t + "\t" + OneField(m.label) + "\n";
      if (m.inSpectrogram == 1) {
        const std::string hz = Hz(m.value, 6);
        out += "\\\t" + hz + "\t" + hz + "\n";
      }
    }
    return out;
  }
  out = std::string(kTableHeader) + "\n";
  int selection = 1;
  for (const MarkRecord& m : marks) {
    const std::string t = Seconds(m.position, b);
    const bool spect = m.inSpectrogram == 1;
    const std::string hz = Hz(spect ? m.value : 0, 3);
    out += std::to_string(selection++) + (spect ? "\tSpectrogram 1\t" : "\tWaveform 1\t") +
           std::to_string(m.channel == 2 ? 2 : 1) + "\t" + t + "\t" + t + "\t" + hz + "\t" + hz +
           "\t" + OneField(m.label) + "\n";
  }
  return out;
}

ParsedMarks ParseMarks(const std::string& text, MarkExchangeFormat f, const MarkTimeBase& base) {
  ParsedMarks out;
  const std::vector<std::string> lines = Lines(text);
  if (f == MarkExchangeFormat::Labels)
    ParseLabels(lines, base, out);
  else
    ParseTable(lines, base, out);
  if (!out.errors.empty()) out.marks.clear();
  return out;
}

MarkTimeBase TimeBaseOf(const CNorvaneDoc& doc) {
  MarkTimeBase b;
  b.rateHz = doc.Format().nSamplesPerSec;
  b.expansionThousandths = doc.Time().Repaired().ExpansionThousandths();
  b.frameCount = doc.FrameCount();
  b.channels = doc.Format().nChannels;
  return b;
}

bool ExportMarksFile(const CNorvaneDoc& doc, MarkExchangeFormat f, const std::string& path) {
  const std::string text = FormatMarks(doc.Marks(), f, TimeBaseOf(doc));
  ReplacingFile file(path);
  if (!file.Open() || !file.Append(text.data(), text.size()) || !file.Commit()) {
    ShowMessage("Can not write file: " + SystemErrorText(file.Error() ? file.Error() : errno));
    return false;
  }
  return true;
}

bool ImportMarksFile(CNorvaneDoc& doc, MarkExchangeFormat f, const std::string& path, size_t* added) {
  if (added) *added = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ShowMessage("Can not open file: " + SystemErrorText(errno ? errno : ENOENT));
    return false;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size > kMaxImportBytes) {
    ShowMessage("The marks were not imported: " + path + " is too large for a mark file.");
    return false;
  }
  in.seekg(0);
  std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0 && !in.read(text.data(), size)) {
    ShowMessage("Can not read file: " + SystemErrorText(errno ? errno : EIO));
    return false;
  }
  if (text.find('\0') != std::string::npos) {
    ShowMessage("The marks were not imported: " + path + " is not a text file.");
    return false;
  }
  const ParsedMarks parsed = ParseMarks(text, f, TimeBaseOf(doc));
  if (!parsed.errors.empty()) {
    std::string msg = "The marks were not imported; malformed lines in " + path + ":";
    for (size_t i = 0; i < parsed.errors.size() && i < kMaxListedErrors; ++i) msg += "\n" + parsed.errors[i];
    if (parsed.errors.size() > kMaxListedErrors)
      msg += "\nand " + std::to_string(parsed.errors.size() - kMaxListedErrors) + " more.";
    ShowMessage(msg);
    return false;
  }
  const size_t n = doc.Marks().AddMany(parsed.marks);
  if (added) *added = n;
  return n == parsed.marks.size();
}

}  // namespace nv
