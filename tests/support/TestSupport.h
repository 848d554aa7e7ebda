#pragma once
// Helpers shared by the core tests: a recording message sink installed for
// the test's lifetime, a private temporary directory, a builder for RIFF
// files byte by byte, and documents filled with given samples.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/MessageSink.h"
#include "document/CNorvaneDoc.h"
#include "settings/ViewRecord.h"
#include "base/ByteOrder.h"

namespace nv::test {

struct ScopedSink {
  RecordingMessageSink sink;
  MessageSink* old;
  ScopedSink() { old = SetMessageSink(&sink); }
  ~ScopedSink() { SetMessageSink(old); }
  const std::vector<std::string>& texts() const { return sink.texts; }
  std::string last() const { return sink.texts.empty() ? "" : sink.texts.back(); }
};

struct TempDir {
  std::filesystem::path path;
  TempDir() {
    std::string t = (std::filesystem::temp_directory_path() / "nvtestXXXXXX").string();
    std::vector<char> b(t.begin(), t.end());
    b.push_back('\0');
    path = mkdtemp(b.data());
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string File(const std::string& name) const { return (path / name).string(); }
};

inline std::vector<uint8_t> ReadFileBytes(const std::string& p) {
  std::ifstream f(p, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}
inline void WriteFileBytes(const std::string& p, const std::vector<uint8_t>& b) {
  std::ofstream f(p, std::ios::binary);
  f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// Builds RIFF files: Bytes() returns what was appended.
class RiffBuilder {
 public:
  std::vector<uint8_t> bytes;
  void Raw(const void* p, size_t n) {
    const uint8_t* c = static_cast<const uint8_t*>(p);
    bytes.insert(bytes.end(), c, c + n);
  }
  void Id(const char* id) { Raw(id, 4); }
  void U32(uint32_t v) {
    uint8_t b[4];
    PutU32(b, v);
    Raw(b, 4);
  }
  void U16(uint16_t v) {
    uint8_t b[2];
    PutU16(b, v);
    Raw(b, 2);
  }
  // A top-level form with its content, sized and padded.
  void Form(const char* type, const std::vector<uint8_t>& content) {
    Id("RIFF");
    U32(static_cast<uint32_t>(content.size() + 4));
    Id(type);
    Raw(content.data(), content.size());
    if (content.size() & 1) bytes.push_back(0);
  }
  static std::vector<uint8_t> Chunk(const char* id, const std::vector<uint8_t>& content) {
    RiffBuilder b;
    b.Id(id);
    b.U32(static_cast<uint32_t>(content.size()));
    b.Raw(content.data(), content.size());
    if (content.size() & 1) b.bytes.push_back(0);
    return b.bytes;
  }
  static std::vector<uint8_t> Fmt(uint16_t tag, uint16_t ch, uint32_t rate, uint16_t bits,
                                  size_t size = 16) {
    std::vector<uint8_t> f(size, 0);
    PutU16(&f[0], tag);
    PutU16(&f[2], ch);
    PutU32(&f[4], rate);
    PutU32(&f[8], rate * ch * bits / 8);
    PutU16(&f[12], static_cast<uint16_t>(ch * bits / 8));
    PutU16(&f[14], bits);
    return Chunk("fmt ", f);
  }
  // A plain PCM WAVE form with a 16-byte "fmt " chunk.
  void Wave(uint16_t ch, uint32_t rate, uint16_t bits, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> c = Fmt(1, ch, rate, bits);
    auto d = Chunk("data", data);
    c.insert(c.end(), d.begin(), d.end());
    Form("WAVE", c);
  }
};

inline std::vector<uint8_t> Samples16(const std::vector<int16_t>& s) {
  std::vector<uint8_t> b(s.size() * 2);
  for (size_t i = 0; i < s.size(); ++i) PutU16(&b[2 * i], static_cast<uint16_t>(s[i]));
  return b;
}

// A file of the program's own WAVE kind: a recording information form of
// `release` and `version` with the factor `timeExp`, a view record form (the
// first `viewSize` bytes) for each of `views`, one mark form and a short
// 16-bit mono WAVE form.
inline std::vector<uint8_t> NorvaneFile(int32_t release, int32_t version, int32_t timeExp,
                                        const std::vector<ViewRecord>& views, size_t viewSize) {
  RiffBuilder rb;
  RecordingInfo info;
  info.SetRelease(release);
  info.SetVersion(version);
  info.SetTimeExpansion(timeExp);
  info.SetContents("old file");
  auto ib = info.Bytes();
  rb.Form("NRn0", std::vector<uint8_t>(ib.begin(), ib.end()));
  for (const ViewRecord& v : views)
    rb.Form("NRn1", std::vector<uint8_t>(v.Bytes().begin(), v.Bytes().begin() + static_cast<long>(viewSize)));
  MarkRecord m;
  m.number = 9;
  m.label = "old mark";
  auto mb = m.ToBytes();
  rb.Form("NRn2", std::vector<uint8_t>(mb.begin(), mb.end()));
  rb.Wave(1, 44100, 16, Samples16({1, 2, 3, 4}));
  return rb.bytes;
}

// Fills a document's work file with `bytes` and sets the format and length.
inline void FillDocument(CNorvaneDoc& doc, int channels, int bits, int rate,
                         const std::vector<uint8_t>& bytes) {
  doc.SetFormat(channels, bits, rate);
  doc.RecomputeBufferSize();
  doc.WritableWorkFile().Truncate(0);
  if (!bytes.empty()) doc.WritableWorkFile().WriteAt(0, bytes.data(), bytes.size());
  doc.SetLength(doc.BytesToFrames(static_cast<int64_t>(bytes.size())));
}

inline std::vector<uint8_t> WorkBytes(CNorvaneDoc& doc) {
  const SampleMapping m = doc.MapSamples(MapAccess::Read);
  return std::vector<uint8_t>(m.Data(), m.Data() + doc.WorkFile().Size());
}

// A sound view stand-in with a selection and settings.
struct FakeView : SoundViewObserver {
  FrameIndex selEnd = -1;
  FrameIndex lastLength = -1;
  int updates = 0;
  AnalysisSettings settings;
  FrameIndex SelectionEnd() const override { return selEnd; }
  void ClearSelection() override { selEnd = -1; }
  void OnNewLength(FrameIndex f) override { lastLength = f; }
  void OnUpdate(UpdateHint) override { ++updates; }
  AnalysisSettings CurrentSettings() const override { return settings; }
};

}  // namespace nv::test
