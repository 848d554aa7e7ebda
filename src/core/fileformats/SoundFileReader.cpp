#include "fileformats/SoundFileReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "base/MessageSink.h"
#include "base/ByteOrder.h"
#include "fileformats/FileIo.h"
#include "fileformats/Guano.h"
#include "fileformats/RiffReader.h"
#include "settings/ViewRecord.h"

namespace nv {
namespace {

constexpr int64_t kMaxRate = 5120000;
constexpr int64_t kMaxFrames = 2147483647;

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

void TooLongMessage() {
  ShowMessage("The sound is longer than 2147483647 frames; only the first 2147483647 frames were read.");
}

// Settles the release and version of a recording information record. Returns
// whether the private forms that follow may be read; `oldViews` tells that
// view records are in the 80-byte form.
bool SettleVersion(RecordingInfo& info, bool& oldViews) {
  int32_t r = info.Release(), v = info.Version();
  oldViews = false;
  if (r == 5 && v == 2) {
    r = 2;
    v = 5;
  }
  bool readOn = true;
  if (r == 0 && v < 9) {
    info = RecordingInfo();
  } else if (r < 2 || (r == 2 && v < 1)) {
    info.SetTimeExpansion(static_cast<int32_t>(
        std::clamp<int64_t>(static_cast<int64_t>(info.TimeExpansion()) * 1000, INT32_MIN, INT32_MAX)));
    oldViews = true;
  } else if (r == 2 && v < 5) {
    oldViews = true;
  } else if (r > 3 || (r == 3 && v > 1)) {
    ShowMessage(
        "Can not read all Norvane format information, file written with Norvane version later "
        "than this.");
    readOn = false;
  }
  info.SetRelease(3);
  info.SetVersion(1);
  return readOn;
}

// Reads the "NRn1" forms; false when a record was unacceptable (which also
// suppresses marks and segments).
bool ReadViewRecords(WaveContents& out, const RiffReader& rr, bool oldViews) {
  const size_t recSize = oldViews ? ViewRecord::kOldSize : ViewRecord::kSize;
  RiffChunk form;
  int64_t pos = 0;
  std::vector<uint8_t> buf(recSize);
  while (rr.FindForm("NRn1", pos, form)) {
    pos = form.NextOffset();
    const int64_t avail = rr.ContentEnd(form) - (form.dataOffset + 4);
    size_t n = avail > 0 ? ReadAt(rr.Fd(), form.dataOffset + 4, buf.data(),
                                  std::min<size_t>(recSize, static_cast<size_t>(avail)))
                         : 0;
    if (n == 0) continue;
    ViewRecord rec;
    rec.ReadBytes(buf.data(), n);
    if (!rec.IsAcceptable()) return false;
    rec.UpgradeIfOld();
    out.views.push_back(rec.ToSettings());
  }
  return true;
}

void ReadMarks(WaveContents& out, const RiffReader& rr) {
  RiffChunk form;
  int64_t pos = 0;
  uint8_t buf[MarkRecord::kSize];
  while (rr.FindForm("NRn2", pos, form)) {
    pos = form.NextOffset();
    const int64_t avail = rr.ContentEnd(form) - (form.dataOffset + 4);
    if (avail < static_cast<int64_t>(MarkRecord::kSize)) break;
    if (ReadAt(rr.Fd(), form.dataOffset + 4, buf, MarkRecord::kSize) != MarkRecord::kSize) break;
    MarkRecord m;
    m.ReadBytes(buf, MarkRecord::kSize);
    m.size = 540;
    m.release = 3;
    m.version = 1;
    m.active = 0;
    out.marks.push_back(m);
  }
}

void ReadSegments(WaveContents& out, const RiffReader& rr) {
  RiffChunk form;
  if (!rr.FindForm("NRnC", 0, form)) return;
  const int64_t start = form.dataOffset + 4;
  const int64_t end = rr.ContentEnd(form);
  uint8_t buf[CompressionInfo::kSize];
  if (end - start < static_cast<int64_t>(CompressionInfo::kSize)) return;
  if (ReadAt(rr.Fd(), start, buf, CompressionInfo::kSize) != CompressionInfo::kSize) return;
  out.compression = CompressionInfo::FromBytes(buf);
  std::vector<uint8_t> seg(KeptSegment::kSize * 4096);
  int64_t p = start + static_cast<int64_t>(CompressionInfo::kSize);
  while (end - p >= static_cast<int64_t>(KeptSegment::kSize)) {
    size_t want = static_cast<size_t>(std::min<int64_t>(end - p, static_cast<int64_t>(seg.size())));
    want -= want % KeptSegment::kSize;
    size_t got = ReadAt(rr.Fd(), p, seg.data(), want);
    got -= got % KeptSegment::kSize;
    for (size_t i = 0; i < got; i += KeptSegment::kSize)
      out.segments.push_back(KeptSegment::FromBytes(&seg[i]));
    if (got < want || got == 0) break;
    p += static_cast<int64_t>(got);
  }
}

// A compressed file may expand to at most this many times the sound its data
// chunk gives the segments, or to kFreeExpansionFrames whatever it holds.
// The compressor keeps every loud stretch with its margins before and after,
// so a real file keeps far more than one frame in 4096 (1 ms in every 4 s of
// the recording); a list that claims more silence than that describes a
// sound this file does not hold, and expanding it would cost time and disk
// out of all proportion to the file (a file of a few bytes could otherwise
// claim 2^31 frames). The free allowance (2^24 frames: about 6 minutes at
// 44.1 kHz, 44 s at 384 kHz) keeps every short recording with a single
// pulse readable.
constexpr int64_t kMaxExpansionRatio = 4096;
constexpr int64_t kFreeExpansionFrames = int64_t{1} << 24;

// Segments must be non-negative, in order, not overlapping, and the expanded
// sound must fit 32-bit frame positions. The expansion (below) stops at the
// first segment of which the data chunk (`dataBytes` bytes of `align`-byte
// frames) holds nothing, so the silence before such a segment does not
// count; what is expanded must stay within kMaxExpansionRatio of the bytes
// copied.
bool SegmentsAreSound(const std::vector<KeptSegment>& segs, int64_t dataBytes, int64_t align) {
  int64_t e = 0;
  for (const KeptSegment& s : segs) {
    if (s.startFrame < 0 || s.lengthFrames < 0 || s.startFrame < e) return false;
    e = static_cast<int64_t>(s.startFrame) + s.lengthFrames;
    if (e > kMaxFrames) return false;
  }
  int64_t expanded = 0, copied = 0;
  for (const KeptSegment& s : segs) {
    const int64_t len = static_cast<int64_t>(s.lengthFrames) * align;
    const int64_t have = std::clamp<int64_t>(dataBytes - copied, 0, len);
    if (have == 0) {
      if (len > 0) break;
      continue;
    }
    copied += have;
    expanded = static_cast<int64_t>(s.startFrame) * align + have;
    if (have < len) break;
  }
  return expanded <= std::max(kFreeExpansionFrames * align, copied * kMaxExpansionRatio);
}

// Reads the "guan" chunk of the WAVE form (anywhere in it, or after the form)
// into out.guano.
// Without the program's own recording information (`applyToInfo`) its fields
// fill the recording information. A damaged chunk never stops the reading:
// what could be read is kept and one message says what was ignored.
void ReadGuano(WaveContents& out, const RiffReader& rr, const RiffChunk& wave, bool applyToInfo) {
  RiffChunk c;
  if (!rr.FindSubChunk(wave, "guan", c)) {
    // Some recorders append the chunk after the WAVE form without counting
    // it in the form's size: a top-level "guan" chunk is taken as well.
    bool found = false;
    for (int64_t pos = 0; !found && rr.ChunkAt(pos, rr.FileSize(), c); pos = c.NextOffset())
      found = c.id == "guan";
    if (!found) return;
  }
  std::vector<std::string> problems;
  int64_t n = std::max<int64_t>(c.available, 0);
  if (n < static_cast<int64_t>(c.size)) problems.push_back("the chunk runs past the end of the file");
  if (n > static_cast<int64_t>(Guano::kMaxChunkBytes)) {
    n = static_cast<int64_t>(Guano::kMaxChunkBytes);
    problems.push_back("the chunk is larger than 1 MiB; only its first 1 MiB was read");
  }
  std::vector<uint8_t> buf(static_cast<size_t>(n));
  const size_t got = ReadAt(rr.Fd(), c.dataOffset, buf.data(), buf.size());
  int bad = 0;
  out.guano = Guano::Parse(buf.data(), got, &bad);
  if (bad == 1) problems.push_back("1 line is not UTF-8 text of the form \"Key: Value\"");
  if (bad > 1)
    problems.push_back(std::to_string(bad) + " lines are not UTF-8 text of the form \"Key: Value\"");
  if (applyToInfo) out.guano.ApplyTo(out.info, out.format.nSamplesPerSec, problems);
  if (problems.empty()) return;
  std::string text = "The GUANO metadata of this file are partly unreadable: ";
  for (size_t i = 0; i < problems.size(); ++i) text += (i ? "; " : "") + problems[i];
  ShowMessage(text + ". The rest of the metadata and the sound were read.");
}

}  // namespace

bool CheckWaveFormat(const unsigned char* fmt, size_t n, WaveFormatEx& out, std::string& problem) {
  if (n < 16) {
    problem = "the format information is incomplete";
    return false;
  }
  WaveFormatEx f = WaveFormatEx::FromBytes(fmt, n);
  uint16_t tag = f.wFormatTag;
  if (tag == 0xFFFE) {
    // WAVE_FORMAT_EXTENSIBLE: the sub-format's first two bytes name the coding.
    static const uint8_t kPcmTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                         0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    if (n >= 40 && GetU16(fmt + 24) == 1 && std::memcmp(fmt + 26, kPcmTail, 14) == 0)
      tag = 1;
    else if (n >= 40 && GetU16(fmt + 24) == 3)
      tag = 3;
  }
  if (tag != 1) {
    if (tag == 3)
      problem = "floating-point samples";
    else
      problem = "format tag " + std::to_string(f.wFormatTag) + " (only PCM is read)";
    return false;
  }
  if (f.nChannels < 1 || f.nChannels > 2) {
    problem = std::to_string(f.nChannels) + " channels (1 or 2 are read)";
    return false;
  }
  if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) {
    problem = std::to_string(f.wBitsPerSample) + " bits per sample (8 or 16 are read)";
    return false;
  }
  if (f.nSamplesPerSec < 1 || f.nSamplesPerSec > kMaxRate) {
    problem = "a sampling rate of " + std::to_string(f.nSamplesPerSec) +
              " Hz (1 to 5120000 Hz are read)";
    return false;
  }
  f.wFormatTag = 1;
  f.cbSize = 0;
  f.Recompute();
  out = f;
  return true;
}

bool ReadWaveFile(const std::string& path, WaveContents& out, TempFile& work, FileType& found,
                  const CopyProgress& progress, SampleAccess access) {
  Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    ShowMessage("Can not open file: " + SystemErrorText(errno));
    return false;
  }
  const int64_t fileSize = FileSize(fd.get());
  RiffReader rr(fd.get(), fileSize < 0 ? 0 : fileSize);
  found = FileType::NorvaneWave;
  out.info = RecordingInfo();

  RiffChunk form;
  if (!rr.FindForm("NRn0", 0, form)) {
    found = FileType::StandardWave;
  } else {
    uint8_t buf[RecordingInfo::kSize];
    const int64_t avail = rr.ContentEnd(form) - (form.dataOffset + 4);
    bool readOk = avail >= static_cast<int64_t>(RecordingInfo::kSize) &&
                  ReadAt(fd.get(), form.dataOffset + 4, buf, sizeof buf) == sizeof buf;
    if (!readOk) {
      ShowMessage("Can not read Norvane format information.");
    } else {
      out.info.ReadBytes(buf, sizeof buf);
      bool oldViews = false;
      if (SettleVersion(out.info, oldViews)) {
        if (ReadViewRecords(out, rr, oldViews)) {
          ReadMarks(out, rr);
          ReadSegments(out, rr);
        }
      }
    }
  }

  RiffChunk wave, fmt, data;
  if (!rr.FindForm("WAVE", 0, wave)) {
    ShowMessage("File is not a valid WAVE sound file.");
    return false;
  }
  if (!rr.FindSubChunk(wave, "fmt ", fmt)) {
    ShowMessage("Can not find format information.");
    return false;
  }
  // Up to 40 bytes (an extensible format); 18 are the document's record.
  uint8_t fb[40] = {};
  size_t fn = ReadAt(fd.get(), fmt.dataOffset, fb, std::min<int64_t>(40, std::max<int64_t>(fmt.available, 0)));
  if (fn < 16) {
    ShowMessage("Can not read format information.");
    return false;
  }
  WaveFormatEx f;
  std::string problem;
  if (!CheckWaveFormat(fb, fn, f, problem)) {
    ShowMessage("Unsupported sound format: " + problem + ". Norvane reads PCM sound with 1 or 2 "
                "channels and 8 or 16 bits per sample.");
    return false;
  }
  out.format = f;
  out.hasFormat = true;
  ReadGuano(out, rr, wave, found == FileType::StandardWave);
  {
    std::vector<std::string> problems;
    out.otherChunks = ForeignChunks::Read(rr, wave, problems);
    for (const std::string& p : problems)
      ShowMessage("The metadata of this file are partly unreadable: " + p + ". The sound was read.");
  }
  const size_t piece = CopyPieceBytes(ComputeBufferSize(f));
  work.Truncate(0);

  if (!rr.FindSubChunk(wave, "data", data)) {
    ShowMessage("Can not find sound data.");
    return false;
  }
  const int64_t align = f.nBlockAlign;
  bool writeOk = true;
  // The sound keeps its offset within a page, so that it is copied in the kernel.
  work.Reset(data.dataOffset);
  const std::vector<KeptSegment>& segs = out.segments;
  if (!segs.empty()) {
    if (!SegmentsAreSound(segs, data.available, align)) {
      ShowMessage("The list of kept stretches in this compressed file is damaged; the sound can "
                  "not be expanded.");
      return false;
    }
    found = FileType::NorvaneWaveComp;
    out.positionsAsRead = false;
    const uint8_t silence = f.wBitsPerSample == 8 ? 128 : 0;
    int64_t e = 0, src = 0, out = 0;
    for (const KeptSegment& s : segs) {
      const int64_t len = static_cast<int64_t>(s.lengthFrames) * align;
      // A data chunk that ends early (a cut file) ends the sound where it ends:
      // no silence is added before a segment it holds nothing of (a segment
      // of no frames adds none either; the next one's gap covers its place).
      const int64_t have = std::clamp<int64_t>(data.available - src, 0, len);
      if (have == 0) {
        if (len > 0) break;
        continue;
      }
      const int64_t gap = (s.startFrame - e) * align;
      // 16-bit silence is zero bytes: the gap is left as a hole of the file.
      if (gap > 0 && silence != 0 && !(writeOk = FillRange(work, out, gap, silence))) break;
      out += gap;
      if (have > 0 &&
          !(writeOk = CopyRange(fd.get(), data.dataOffset + src, work, out, have, piece)))
        break;
      src += have;
      out += have;
      if (have < len) break;
      e = static_cast<int64_t>(s.startFrame) + s.lengthFrames;
    }
    if (writeOk) writeOk = work.Truncate(out);
    // Told once the sound has its length: the expansion writes out of order.
    if (writeOk && progress) progress(out);
  } else {
    int64_t bytes = data.available;
    if (bytes / align > kMaxFrames) {
      bytes = kMaxFrames * align;
      TooLongMessage();
    }
    if (access != SampleAccess::Copy && work.AdoptReadOnly(fd.get(), data.dataOffset, bytes)) {
      if (progress) progress(work.Size());
      return true;
    }
    // A follower of the copy maps the whole sound at once when the file has
    // its length from the start.
    if (progress) writeOk = work.Truncate(bytes);
    writeOk = writeOk && CopyRange(fd.get(), data.dataOffset, work, 0, bytes, piece, progress);
  }
  if (!writeOk) {
    ShowWorkFileWriteError();
    return false;
  }
  return true;
}

bool ReadSoundFile(SoundFilePath& file, WaveContents& out, TempFile& work, const CopyProgress& progress,
                   SampleAccess access) {
  if (IsWaveType(file.type)) return ReadWaveFile(file.path, out, work, file.type, progress, access);
  return ReadRawFile(file.path, file.type, out, work, progress, access);
}

bool ReadRawFile(const std::string& path, FileType type, WaveContents& out, TempFile& work,
                 const CopyProgress& progress, SampleAccess access) {
  Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    ShowMessage("Can not open file: " + SystemErrorText(errno));
    return false;
  }
  switch (type) {
    case FileType::Samples16Mono: out.format.SetFormat(1, 16, 22050); break;
    case FileType::Samples8Mono: out.format.SetFormat(1, 8, 22050); break;
    case FileType::Special60Head: out.format.SetFormat(1, 16, 44100); break;
    default: ShowMessage("Unknown file type."); return false;
  }
  out.hasFormat = true;
  const size_t piece = CopyPieceBytes(ComputeBufferSize(out.format));
  work.Reset();
  const int64_t skip = type == FileType::Special60Head ? 60 : 0;
  int64_t bytes = std::max<int64_t>(FileSize(fd.get()) - skip, 0);
  const int64_t align = out.format.nBlockAlign;
  if (bytes / align > kMaxFrames) {
    bytes = kMaxFrames * align;
    TooLongMessage();
  }
  bool ok = true;
  if (type != FileType::Special60Head && access != SampleAccess::Copy &&
      work.AdoptReadOnly(fd.get(), 0, bytes)) {
    if (progress) progress(work.Size());
    return true;
  }
  if (type != FileType::Special60Head) {
    if (progress) ok = work.Truncate(bytes);
    ok = ok && CopyRange(fd.get(), 0, work, 0, bytes, piece, progress);
  } else {
    // Unsigned 16-bit samples with 32768 as zero become signed ones.
    std::vector<uint8_t> buf(piece);
    int64_t in = skip, out = 0, left = bytes;
    while (left > 0 && ok) {
      size_t n = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(buf.size())));
      size_t got = ReadAt(fd.get(), in, buf.data(), n);
      if (got == 0) break;
      for (size_t i = 0; i + 1 < got; i += 2) buf[i + 1] ^= 0x80;
      ok = work.WriteAt(out, buf.data(), got);
      in += static_cast<int64_t>(got);
      out += static_cast<int64_t>(got);
      left -= static_cast<int64_t>(got);
      if (ok && progress) progress(out);
    }
  }
  if (!ok) {
    ShowWorkFileWriteError();
    return false;
  }
  return true;
}

}  // namespace nv
