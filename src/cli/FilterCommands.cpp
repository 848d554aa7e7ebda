// norvane-cli filter-design and filter: validate and design an IIR filter as
// the "Time Domain Filter" dialog does, print its coefficients, or filter a
// range of a sound with it.
#include <cstdio>

#include "CliSupport.h"
#include "document/CNorvaneDoc.h"
#include "filter/FilterCommand.h"
#include "filter/FilterDesign.h"
#include "filter/FilterFile.h"
#include "filter/FilterReport.h"

namespace nv::cli {

bool ReadFilterOptions(const Args& a, FilterDescription& desc) {
  const std::string type = a.Get("type-name");
  if (type == "butterworth") desc.filterType = FilterType::Butterworth;
  else if (type == "chebyshev") desc.filterType = FilterType::Chebyshev1;
  else if (type == "elliptic") desc.filterType = FilterType::Elliptic;
  else if (type == "user") desc.filterType = FilterType::UserDefined;
  else {
    Fail("--type must be butterworth, chebyshev, elliptic or user.");
    return false;
  }
  auto integer = [&](const char* name, int32_t& field) {
    if (!a.Has(name)) return true;
    auto v = ParseInteger(a.Get(name), std::string("--") + name);
    if (!v) return false;
    if (*v < INT32_MIN || *v > INT32_MAX) {
      Fail(std::string("--") + name + " is out of range.");
      return false;
    }
    field = static_cast<int32_t>(*v);
    return true;
  };
  if (desc.filterType == FilterType::UserDefined) {
    if (!a.Has("file")) {
      Fail("A user defined filter needs --file FILTER.txt.");
      return false;
    }
    return LoadFilterFile(a.Get("file"), desc) == FilterFileResult::Loaded;
  }
  const std::string band = a.Get("band");
  if (band == "lowpass") desc.bandType = BandType::LowPass;
  else if (band == "highpass") desc.bandType = BandType::HighPass;
  else if (band == "bandpass") desc.bandType = BandType::BandPass;
  else if (band == "bandstop") desc.bandType = BandType::BandStop;
  else {
    Fail("--band must be lowpass, highpass, bandpass or bandstop.");
    return false;
  }
  if (!a.Has("order")) {
    Fail("--order N is needed.");
    return false;
  }
  int32_t fc = 0, fl = 0, fu = 0;
  if (!integer("order", desc.order) || !integer("fc", fc) || !integer("fl", fl) ||
      !integer("fu", fu) || !integer("ripple", desc.rippleTenthsDb) ||
      !integer("stopband", desc.stopBandGainDb))
    return false;
  desc.lowPassHz = desc.bandType == BandType::LowPass ? fc : 0;
  desc.highPassHz = desc.bandType == BandType::HighPass ? fc : 0;
  desc.bandPassLowHz = desc.bandType == BandType::BandPass ? fl : 0;
  desc.bandPassHighHz = desc.bandType == BandType::BandPass ? fu : 0;
  desc.bandStopLowHz = desc.bandType == BandType::BandStop ? fl : 0;
  desc.bandStopHighHz = desc.bandType == BandType::BandStop ? fu : 0;
  return true;
}

int RunFilterDesign(const Args& a, DocumentContext& documents) {
  if (a.Has("nyquist") == a.Has("sound"))
    return Fail("usage: norvane-cli filter-design --type TYPE --band BAND --order N "
                "[--fc HZ | --fl HZ --fu HZ] [--ripple TENTHS_DB] [--stopband DB] "
                "[--file FILTER.txt] (--nyquist HZ | --sound FILE) [--response]");
  FilterDescription desc;
  if (!ReadFilterOptions(a, desc)) return 1;
  int64_t nyquist = 0;
  if (a.Has("nyquist")) {
    auto v = ParseInteger(a.Get("nyquist"), "--nyquist");
    if (!v) return 1;
    if (*v < 1) return Fail("--nyquist must be a positive frequency in Hz.");
    nyquist = *v;
  } else {
    CNorvaneDoc doc(documents);
    if (!OpenSoundArgument(doc, a.Get("sound"))) return 1;
    nyquist = DocumentNyquistHz(doc);
  }
  if (!DesignFilter(desc, nyquist)) return 1;
  std::string report = FormatFilterReport(desc);
  if (!a.Has("response")) {
    // The report's last line is the response.
    size_t pos = report.find("response:");
    if (pos != std::string::npos) report.erase(pos);
  }
  std::fputs(report.c_str(), stdout);
  return 0;
}

int RunFilter(const Args& a, DocumentContext& documents) {
  if (a.positional.size() != 2)
    return Fail("usage: norvane-cli filter IN OUT --type TYPE --band BAND --order N "
                "[--fc HZ | --fl HZ --fu HZ] [--ripple TENTHS_DB] [--stopband DB] "
                "[--file FILTER.txt] [--channel 1|2|3] [--from FRAME --to FRAME] [--type CODE]");
  FilterDescription desc;
  if (!ReadFilterOptions(a, desc)) return 1;
  long long channel = 3, from = 0, to = -1, out = -1;
  struct Opt {
    const char* name;
    long long* value;
  } opts[] = {{"channel", &channel}, {"from", &from}, {"to", &to}, {"type-code", &out}};
  for (const Opt& o : opts) {
    if (!a.Has(o.name)) continue;
    auto v = ParseInteger(a.Get(o.name), std::string("--") + o.name);
    if (!v) return 1;
    *o.value = *v;
  }
  if (channel < 1 || channel > 3) return Fail("--channel must be 1 (left), 2 (right) or 3 (both).");
  CNorvaneDoc doc(documents);
  if (!OpenSoundArgument(doc, a.positional[0])) return 1;
  if (to < 0) to = doc.FrameCount();
  if (out < 0) out = ToCode(doc.File().type);
  if (out < 1 || out > 7 || out == 4) return Fail("Type " + std::to_string(out) + " can not be written.");
  if (!FilterDocumentRange(doc, desc, from, to, ChannelSelectionFromCode(channel))) return 1;
  return doc.Save({a.positional[1], FileTypeFromCode(out)}) ? 0 : 1;
}

}  // namespace nv::cli
