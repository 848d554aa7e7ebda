#include "fileformats/SoundFileWriter.h"

#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "base/MessageSink.h"
#include "base/SampleSource.h"
#include "base/TempFile.h"
#include "base/ByteOrder.h"
#include "base/TimeBase.h"
#include "fileformats/Compressor.h"
#include "fileformats/FileIo.h"
#include "fileformats/Guano.h"
#include "settings/ViewRecord.h"

namespace nv {
namespace {

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Appends one top-level "RIFF" form with the given content.
bool AppendForm(ReplacingFile& f, const char* formType, const uint8_t* content, size_t n) {
  uint8_t h[12];
  std::memcpy(h, "RIFF", 4);
  PutU32(h + 4, static_cast<uint32_t>(n + 4));
  std::memcpy(h + 8, formType, 4);
  bool ok = f.Append(h, 12) && f.Append(content, n);
  if (ok && (n & 1)) {
    const uint8_t pad = 0;
    ok = f.Append(&pad, 1);
  }
  return ok;
}

void TooLongForWaveMessage() {
  ShowMessage("The sound is too long for a WAVE file (more than 4 GiB). Save it as \"Raw data\" "
              "or save a shorter range.");
}

}  // namespace

bool CheckDiskSpace(const std::string& target, int64_t bytes) {
  struct statvfs st;
  if (statvfs(DirectoryOf(target).c_str(), &st) != 0) return true;
  const long double freeBytes = static_cast<long double>(st.f_bavail) * st.f_frsize;
  if (freeBytes >= 1.1L * bytes + 16384) return true;
  ShowMessage("Disk full!");
  return false;
}

bool WriteRiffFile(const std::string& path, FileType type, const WaveContents& contents, TempFile& work,
                   int64_t first, int64_t end, bool whole, CompressionInfo* writtenCompression) {
  const WaveFormatEx& fmt = contents.format;
  const size_t piece = CopyPieceBytes(ComputeBufferSize(fmt));
  const int64_t align = fmt.nBlockAlign;
  int64_t dataBytes = (end - first) * align;
  // The WAVE form must fit a 32-bit size; checked before anything is written.
  auto tooLong = [&](int64_t n) { return 4 + 8 + 18 + 8 + n + (n & 1) > int64_t{0xFFFFFFFF}; };
  if (tooLong(dataBytes) && type != FileType::NorvaneWaveComp) {
    TooLongForWaveMessage();
    return false;
  }

  ReplacingFile f(path);
  if (!f.Open()) {
    ShowMessage("Failed to open/create file.");
    return false;
  }

  // Type 7: the range is compressed first; its kept stretches are the data.
  TempFile packed;
  std::vector<KeptSegment> segments;
  CompressionInfo ci = contents.compression;
  if (type == FileType::NorvaneWaveComp) {
    const TimeBase time(fmt.nSamplesPerSec, contents.info.TimeExpansion());
    const uint8_t* base = work.Map(true);
    const SampleSource sound(base, base ? work.MappedSize() / fmt.nBlockAlign : 0, fmt);
    if (!packed.Create("NcTmp") ||
        !CompressRange(sound, first, end, ci.levelDb,
                       time.MicrosecondsToFrames(int64_t{ci.beforeMs} * 1000),
                       time.MicrosecondsToFrames(int64_t{ci.afterMs} * 1000),
                       packed, segments)) {
      ShowMessage("Disk write error! Disk full or write protected?");
      return false;
    }
    dataBytes = packed.Size();
    if (tooLong(dataBytes)) {
      TooLongForWaveMessage();
      return false;
    }
    ci.fileType = 7;
    ci.segmentCount = static_cast<int32_t>(segments.size());
    if (writtenCompression) *writtenCompression = ci;
  }

  // The GUANO chunk, after the data, with the fields read and those a save
  // changes brought up to date for the frames written.
  Guano guano = contents.guano;
  guano.UpdateForSave(contents.info, fmt.nSamplesPerSec, align > 0 ? dataBytes / align : 0,
                      path.substr(path.find_last_of('/') + 1));
  const std::string guan = guano.Serialise();
  // The original file's other chunks follow the data; those that count
  // sample positions only where the data are the sound's own frames.
  bool positionsLeftOut = false;
  const int64_t frames = align > 0 ? work.Size() / align : 0;
  const std::vector<ForeignChunk> others = contents.otherChunks.ForSave(
      first, end, frames, align > 0 ? dataBytes / align : 0,
      contents.positionsAsRead && type != FileType::NorvaneWaveComp, &positionsLeftOut);
  const int64_t guanBytes = 8 + static_cast<int64_t>(guan.size()) + ForeignChunks::FileBytes(others);
  if (tooLong(dataBytes + (dataBytes & 1) + guanBytes)) {
    TooLongForWaveMessage();
    return false;
  }

  // The WAVE form comes first, so that every program that reads plain WAVE
  // files (they look at the first top-level form only) reads ours too; the
  // private forms follow it, found by searching from the start as before.
  // "fmt " with the document format (cbSize 0), "data", then "guan".
  uint8_t h[12 + 8 + 18 + 8];
  uint8_t* p = h;
  std::memcpy(p, "RIFF", 4);
  PutU32(p + 4, static_cast<uint32_t>(4 + 8 + 18 + 8 + dataBytes + (dataBytes & 1) + guanBytes));
  std::memcpy(p + 8, "WAVE", 4);
  std::memcpy(p + 12, "fmt ", 4);
  PutU32(p + 16, 18);
  WaveFormatEx out = fmt;
  out.cbSize = 0;
  auto fb = out.ToBytes();
  std::memcpy(p + 20, fb.data(), 18);
  std::memcpy(p + 38, "data", 4);
  PutU32(p + 42, static_cast<uint32_t>(dataBytes));
  f.Append(h, sizeof h);
  if (dataBytes > 0) {
    if (type == FileType::NorvaneWaveComp) {
      f.AppendCopy(packed, 0, dataBytes, piece);
    } else {
      work.Unmap();
      f.AppendCopy(work, first * align, dataBytes, piece);
    }
  }
  if (dataBytes & 1) {
    const uint8_t pad = 0;
    f.Append(&pad, 1);
  }
  for (const ForeignChunk& c : others) {
    uint8_t ch[8];
    std::memcpy(ch, c.id.data(), 4);
    PutU32(ch + 4, static_cast<uint32_t>(c.content.size()));
    f.Append(ch, 8);
    f.Append(c.content.data(), c.content.size());
    if (c.content.size() & 1) {
      const uint8_t pad = 0;
      f.Append(&pad, 1);
    }
  }
  uint8_t gh[8];
  std::memcpy(gh, "guan", 4);
  PutU32(gh + 4, static_cast<uint32_t>(guan.size()));
  f.Append(gh, 8);
  f.Append(guan.data(), guan.size());

  if ((type == FileType::NorvaneWave || type == FileType::NorvaneWaveComp) && !f.Failed()) {
    auto info = contents.info.Bytes();
    bool ok = AppendForm(f, "NRn0", info.data(), info.size());
    for (auto it = contents.views.begin(); ok && it != contents.views.end(); ++it) {
      ViewRecord rec = ViewRecord::FromSettings(*it);
      rec.Rebase(static_cast<int32_t>(first));
      ok = AppendForm(f, "NRn1", rec.Bytes().data(), ViewRecord::kSize);
    }
    for (const MarkRecord& m : contents.marks) {
      if (!ok) break;
      if (!whole && m.position > end) continue;
      if (first > 0 && m.position < first) continue;
      MarkRecord out = m;
      if (first > 0) out.position = static_cast<int32_t>(m.position - first);
      auto b = out.ToBytes();
      ok = AppendForm(f, "NRn2", b.data(), b.size());
    }
    if (type == FileType::NorvaneWaveComp && ok) {
      std::vector<uint8_t> c;
      auto cb = ci.ToBytes();
      c.insert(c.end(), cb.begin(), cb.end());
      for (const KeptSegment& s : segments) {
        auto sb = s.ToBytes();
        c.insert(c.end(), sb.begin(), sb.end());
      }
      AppendForm(f, "NRnC", c.data(), c.size());
    }
  }
  if (!f.Commit()) {
    ShowMessage("Disk write error! Disk full or write protected?");
    return false;
  }
  if (positionsLeftOut)
    ShowMessage("The cue points, loops or labels of the original file no longer fit the saved sound and "
                "were left out; the rest of its metadata was saved.");
  return true;
}

bool WriteRawFile(const std::string& path, const WaveFormatEx& format, TempFile& work, int64_t first,
                  int64_t end) {
  const int64_t align = format.nBlockAlign;
  ReplacingFile f(path);
  if (!f.Open()) {
    ShowMessage("Can not open file: " + SystemErrorText(errno));
    return false;
  }
  const int64_t bytes = (end - first) * align;
  if (bytes > 0) f.AppendCopy(work, first * align, bytes, CopyPieceBytes(ComputeBufferSize(format)));
  if (!f.Commit()) {
    ShowMessage("Error writing to file: " + SystemErrorText(f.Error()));
    return false;
  }
  return true;
}

}  // namespace nv
