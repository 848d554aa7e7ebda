// The program's own wave types read by other programs: Python's wave module,
// scipy.io.wavfile and sox see a plain WAVE file with the right rate, length
// and samples, and the same files still carry every view record, mark and
// kept stretch back into Norvane.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "TestSupport.h"
#include "base/SampleSource.h"
#include "document/DemoRecording.h"
#include "fileformats/Compressor.h"
#include "settings/ViewRecord.h"

namespace nv {
namespace {

using test::ScopedSink;
using test::TempDir;

// Runs a shell command; returns its exit status and standard output.
int RunShell(const std::string& cmd, std::string* out = nullptr) {
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return -1;
  std::string text;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  const int status = pclose(p);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HaveTool(const std::string& name) { return RunShell("command -v " + name + " >/dev/null 2>&1") == 0; }

// Python's wave module and scipy read `path`; both must give `ch` channels at
// `rate` Hz and exactly the frames of the raw file `expected`.
const char* kPythonCheck = R"PY(
import sys, wave, warnings
import numpy as np
from scipy.io import wavfile
path, raw, ch, rate, bits = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
dt = np.dtype('<i2') if bits == 16 else np.uint8
exp = np.fromfile(raw, dtype=dt).reshape(-1, ch)
w = wave.open(path, 'rb')
assert w.getframerate() == rate, ('wave rate', w.getframerate())
assert w.getnchannels() == ch and w.getsampwidth() == bits // 8
assert w.getnframes() == len(exp), ('wave frames', w.getnframes(), len(exp))
got = np.frombuffer(w.readframes(w.getnframes()), dtype=dt).reshape(-1, ch)
assert (got == exp).all(), 'wave samples'
with warnings.catch_warnings():
    warnings.simplefilter('ignore')
    r, s = wavfile.read(path)
s = s.reshape(len(s), -1)
assert r == rate and s.shape == exp.shape and (s == exp).all(), 'scipy'
print('ok')
)PY";

class PlainWaveReaders : public ::testing::Test {
 protected:

  // Every available reader must see `frames` (raw bytes) in `path`.
  void ExpectReadEverywhere(const std::string& path, const std::vector<uint8_t>& frames, int ch,
                            int rate, int bits) {
    const std::string raw = path + ".expected.raw";
    test::WriteFileBytes(raw, frames);
    const std::string script = dir.File("check.py");
    test::WriteFileBytes(script, std::vector<uint8_t>(kPythonCheck, kPythonCheck + strlen(kPythonCheck)));
    std::string out;
    if (HaveTool("/usr/bin/python3")) {
      EXPECT_EQ(RunShell("/usr/bin/python3 " + script + " '" + path + "' '" + raw + "' " + std::to_string(ch) +
                        " " + std::to_string(rate) + " " + std::to_string(bits) + " 2>&1",
                    &out),
                0)
          << path << ": " << out;
    } else {
      ADD_FAILURE() << "/usr/bin/python3 with numpy and scipy is needed";
    }
    if (!HaveTool("sox")) {
      ADD_FAILURE() << "sox is needed";
      return;
    }
    ASSERT_EQ(RunShell("soxi -r '" + path + "'", &out), 0) << path;
    EXPECT_EQ(std::stol(out), rate) << path;
    ASSERT_EQ(RunShell("soxi -s '" + path + "'", &out), 0) << path;
    EXPECT_EQ(std::stoll(out), static_cast<long long>(frames.size() / (ch * bits / 8))) << path;
    const std::string soxRaw = path + ".sox.raw";
    ASSERT_EQ(RunShell("sox -V1 '" + path + "' -t raw '" + soxRaw + "'"), 0) << path;
    EXPECT_EQ(test::ReadFileBytes(soxRaw), frames) << path;
  }

  ScopedSink sink;
  TempDir dir;
};

TEST_F(PlainWaveReaders, TheWaveFormComesFirst) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  std::vector<int16_t> s(301);
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(i * 97 - 15000);
  test::FillDocument(doc, 1, 16, 44100, test::Samples16(s));
  for (int code : {1, 5, 7}) {
    const std::string path = dir.File("first" + std::to_string(code) + ".wav");
    ASSERT_TRUE(doc.Save({path, FileTypeFromCode(code)}));
    auto b = test::ReadFileBytes(path);
    ASSERT_GE(b.size(), 12u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF") << code;
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 12), "WAVE") << code;
  }
}

TEST_F(PlainWaveReaders, DemoRecordingAndSavesOfTypesFiveAndSevenReadEverywhere) {
  DocumentContext documents;
  // The demo recording as norvane-cli demo writes it.
  const std::string demoPath = dir.File("demo.wav");
  {
    CNorvaneDoc built(documents);
    ASSERT_TRUE(BuildDemoRecording(built));
    test::FakeView view;
    view.settings = DemoViewSettings();
    built.RegisterSoundView(&view);
    ASSERT_TRUE(built.Save({demoPath, FileType::NorvaneWave}));
    built.RemoveView(&view);
  }
  CNorvaneDoc demo(documents);
  ASSERT_TRUE(demo.Open({demoPath}));
  EXPECT_EQ(demo.ViewRecordsRead(), 1);
  EXPECT_EQ(demo.Marks().size(), 3u);
  ExpectReadEverywhere(demoPath, test::WorkBytes(demo), 1, 44100, 16);

  // A stereo 16-bit sound with loud bursts in silence, saved whole and as a
  // range in type 5, and compressed in type 7 (other programs see the kept
  // stretches one after the other).
  CNorvaneDoc doc(documents);
  const int frames = 40001;
  std::vector<int16_t> s(frames * 2, 0);
  for (int i = 0; i < frames; ++i) {
    const bool loud = (i / 2000) % 4 == 1;
    s[2 * i] = static_cast<int16_t>(loud ? (i * 131) % 20000 - 10000 : 0);
    s[2 * i + 1] = static_cast<int16_t>(loud ? (i * 17) % 9000 - 4500 : 0);
  }
  const auto bytes = test::Samples16(s);
  test::FillDocument(doc, 2, 16, 96000, bytes);
  doc.Info().SetTimeExpansion(10000);
  const std::string p5 = dir.File("five.wav");
  ASSERT_TRUE(doc.Save({p5, FileType::NorvaneWave}));
  ExpectReadEverywhere(p5, bytes, 2, 96000, 16);
  const std::string r5 = dir.File("range.wav");
  ASSERT_TRUE(doc.Save({r5, FileType::NorvaneWave}, 1001, 30000));
  ExpectReadEverywhere(r5, std::vector<uint8_t>(bytes.begin() + 1001 * 4, bytes.begin() + 30000 * 4), 2,
                       96000, 16);

  doc.Compression().levelDb = 40;
  doc.Compression().beforeMs = 1;
  doc.Compression().afterMs = 1;
  const std::string p7 = dir.File("seven.wav");
  ASSERT_TRUE(doc.Save({p7, FileType::NorvaneWaveComp}));
  CNorvaneDoc back(documents);
  ASSERT_TRUE(back.Open({p7}));
  ASSERT_FALSE(back.KeptSegments().empty());
  std::vector<uint8_t> kept;
  for (const KeptSegment& k : back.KeptSegments())
    kept.insert(kept.end(), bytes.begin() + int64_t{k.startFrame} * 4,
                bytes.begin() + (int64_t{k.startFrame} + k.lengthFrames) * 4);
  ExpectReadEverywhere(p7, kept, 2, 96000, 16);

  // An 8-bit mono save as well.
  CNorvaneDoc eight(documents);
  std::vector<uint8_t> b8(5001);
  for (size_t i = 0; i < b8.size(); ++i) b8[i] = static_cast<uint8_t>(i * 7);
  test::FillDocument(eight, 1, 8, 22050, b8);
  const std::string p8 = dir.File("eight.wav");
  ASSERT_TRUE(eight.Save({p8, FileType::NorvaneWave}));
  ExpectReadEverywhere(p8, b8, 1, 22050, 8);
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
}

TEST_F(PlainWaveReaders, SavesRoundTripEveryViewMarkAndKeptStretch) {
  DocumentContext documents;
  CNorvaneDoc doc(documents);
  const int frames = 30000;
  std::vector<int16_t> s(frames, 0);
  for (int i = 0; i < frames; ++i)
    if ((i / 1500) % 3 == 1) s[i] = static_cast<int16_t>((i * 211) % 30000 - 15000);
  const auto bytes = test::Samples16(s);
  test::FillDocument(doc, 1, 16, 250000, bytes);
  doc.Info().SetTimeExpansion(1000);
  doc.Info().SetContents("round trip");
  test::FakeView a, b, c;
  a.settings.fftSize = 256;
  a.settings.colorScheme = 3;
  b.settings.fftSize = 1024;
  b.settings.timePerPlotUs = 20000;
  c.settings.freqPlot = 1;
  c.settings.contrast = 4;
  doc.RegisterSoundView(&a);
  doc.RegisterSoundView(&b);
  doc.RegisterSoundView(&c);
  for (int i = 0; i < 4; ++i) {
    MarkRecord m;
    m.number = 10 + i;
    m.position = 3000 * (i + 1) + i;
    m.value = 40000 + i;
    m.channel = 1 + i % 3;
    m.label = "Mark " + std::to_string(i);
    m.description = "call " + std::to_string(i) + " of the pass";
    doc.Marks().AppendFromFile(m);
  }
  doc.Compression().levelDb = 30;
  doc.Compression().beforeMs = 0;
  doc.Compression().afterMs = 0;
  const WaveContents sent = doc.Contents();

  for (int code : {5, 7}) {
    const std::string path = dir.File("rt" + std::to_string(code) + ".wav");
    ASSERT_TRUE(doc.Save({path, FileTypeFromCode(code)}));
    CNorvaneDoc back(documents);
    ASSERT_TRUE(back.Open({path}));
    EXPECT_EQ(back.File().type, FileTypeFromCode(code));
    EXPECT_EQ(back.Info().Bytes(), doc.Info().Bytes());
    ASSERT_EQ(back.ViewRecordsRead(), 3);
    // Views come back in the order they were registered.
    for (const test::FakeView* v : {&a, &b, &c}) {
      test::FakeView r;
      auto got = back.RegisterSoundView(&r);
      ASSERT_TRUE(got);
      EXPECT_EQ(ViewRecord::FromSettings(*got).Bytes(), ViewRecord::FromSettings(v->settings).Bytes());
      back.RemoveView(&r);
    }
    ASSERT_EQ(back.Marks().size(), sent.marks.size());
    for (size_t i = 0; i < sent.marks.size(); ++i) {
      MarkRecord want = sent.marks[i];
      want.active = 0;
      EXPECT_EQ(back.Marks()[i].ToBytes(), want.ToBytes()) << i;
    }
    if (code == 7) {
      // The same stretches the compressor finds, and the sound expands to
      // the original frames in them and silence between them.
      const SampleSource src(bytes.data(), frames, doc.Format());
      TempFile scratch;
      ASSERT_TRUE(scratch.Create("NvTst"));
      std::vector<KeptSegment> want;
      ASSERT_TRUE(CompressRange(src, 0, frames, 30, 0, 0, scratch, want));
      EXPECT_EQ(back.KeptSegments(), want);
      ASSERT_FALSE(want.empty());
      const int64_t endFrame = int64_t{want.back().startFrame} + want.back().lengthFrames;
      std::vector<uint8_t> expanded(static_cast<size_t>(endFrame) * 2, 0);
      for (const KeptSegment& k : want)
        std::copy(bytes.begin() + int64_t{k.startFrame} * 2,
                  bytes.begin() + (int64_t{k.startFrame} + k.lengthFrames) * 2,
                  expanded.begin() + int64_t{k.startFrame} * 2);
      EXPECT_EQ(test::WorkBytes(back), expanded);
    } else {
      EXPECT_EQ(test::WorkBytes(back), bytes);
    }
  }
  for (test::FakeView* v : {&a, &b, &c}) doc.RemoveView(v);
  EXPECT_TRUE(sink.texts().empty()) << sink.last();
}

}  // namespace
}  // namespace nv
