// Reading and parsing the GUANO chunk of a recording: a ten-second 384 kHz
// file with a field recorder's metadata after its data, the way the WAVE
// reader finds it (open, walk the top-level forms and the WAVE form's chunks,
// read the chunk, parse), and the parser and serialiser alone.
//
//   build/release/bench/norvane-bench --benchmark_filter=Guano
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/ByteOrder.h"
#include "base/TempFile.h"
#include "fileformats/FileIo.h"
#include "fileformats/Guano.h"
#include "fileformats/RiffReader.h"

namespace {

const std::string kGuano =
    "GUANO|Version: 1.0\n"
    "Timestamp: 2024-07-12T22:41:07-05:00\n"
    "Make: Acme Bioacoustics\nModel: TX-10\nSerial: 00417\nFirmware Version: 2.3.1\n"
    "TE: 1\nSamplerate: 384000\nLength: 10\n"
    "Loc Position: 37.1878016 -86.1057312\nLoc Elevation: 228.6\nLoc Accuracy: 5\n"
    "Temperature Int: 21.5\nFilter HP: 8.0\n"
    "Species Auto ID: MYLU\nSpecies Manual ID: MYSO\n"
    "Note: Recorded at the north end of the pond.\\nLight rain after 23:00.\n"
    "NABat|Grid Cell GRTS ID: 1234\nNABat|Site Name: Pond North\nNABat|Software Type: Norvane\n"
    "ACME|Gain: 80\nACME|Trigger Level: 12 dB\nACME|Trigger Window: 3 s\n";

std::string MakeFieldRecording() {
  const std::string path = nv::TemporaryDirectory() + "/nv-bench-guano.wav";
  const uint32_t dataBytes = 384000u * 2 * 10;
  std::vector<uint8_t> h(44, 0);
  std::memcpy(&h[0], "RIFF", 4);
  nv::PutU32(&h[4], static_cast<uint32_t>(36 + dataBytes + 8 + kGuano.size()));
  std::memcpy(&h[8], "WAVEfmt ", 8);
  nv::PutU32(&h[16], 16);
  nv::PutU16(&h[20], 1);
  nv::PutU16(&h[22], 1);
  nv::PutU32(&h[24], 384000);
  nv::PutU32(&h[28], 768000);
  nv::PutU16(&h[32], 2);
  nv::PutU16(&h[34], 16);
  std::memcpy(&h[36], "data", 4);
  nv::PutU32(&h[40], dataBytes);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(h.data(), 1, h.size(), f);
  std::vector<uint8_t> zeros(dataBytes, 0);
  std::fwrite(zeros.data(), 1, zeros.size(), f);
  uint8_t g[8];
  std::memcpy(g, "guan", 4);
  nv::PutU32(g + 4, static_cast<uint32_t>(kGuano.size()));
  std::fwrite(g, 1, 8, f);
  std::fwrite(kGuano.data(), 1, kGuano.size(), f);
  std::fclose(f);
  return path;
}

void BM_GuanoReadAndParseFile(benchmark::State& state) {
  const std::string path = MakeFieldRecording();
  size_t fields = 0;
  for (auto _ : state) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    nv::RiffReader rr(fd, nv::FileSize(fd));
    nv::RiffChunk wave, g;
    if (rr.FindForm("WAVE", 0, wave) && rr.FindSubChunk(wave, "guan", g)) {
      std::vector<uint8_t> buf(static_cast<size_t>(g.available));
      const size_t n = nv::ReadAt(fd, g.dataOffset, buf.data(), buf.size());
      nv::Guano parsed = nv::Guano::Parse(buf.data(), n);
      fields = parsed.Fields().size();
      benchmark::DoNotOptimize(parsed);
    }
    close(fd);
  }
  if (fields != 23) state.SkipWithError("the chunk was not read whole");
  std::remove(path.c_str());
}
BENCHMARK(BM_GuanoReadAndParseFile)->Unit(benchmark::kMicrosecond);

void BM_GuanoParse(benchmark::State& state) {
  for (auto _ : state) {
    nv::Guano g = nv::Guano::Parse(reinterpret_cast<const uint8_t*>(kGuano.data()), kGuano.size());
    benchmark::DoNotOptimize(g);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kGuano.size()));
}
BENCHMARK(BM_GuanoParse)->Unit(benchmark::kMicrosecond);

void BM_GuanoSerialise(benchmark::State& state) {
  const nv::Guano g = nv::Guano::Parse(reinterpret_cast<const uint8_t*>(kGuano.data()), kGuano.size());
  for (auto _ : state) {
    std::string s = g.Serialise();
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_GuanoSerialise)->Unit(benchmark::kMicrosecond);

}  // namespace

// The largest chunk that is read, 1 MiB of short distinct fields: time in
// proportion to the size, not to the square of the number of lines.
namespace {
void BM_GuanoParseLargestChunk(benchmark::State& state) {
  std::string text;
  for (int i = 0; text.size() < nv::Guano::kMaxChunkBytes; ++i) text += "K" + std::to_string(i) + ": v\n";
  for (auto _ : state) {
    nv::Guano g = nv::Guano::Parse(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    benchmark::DoNotOptimize(g);
  }
}
BENCHMARK(BM_GuanoParseLargestChunk)->Unit(benchmark::kMillisecond);
}  // namespace
