#include "fileformats/ForeignChunks.h"

#include <algorithm>
#include <set>

#include "base/ByteOrder.h"
#include "fileformats/FileIo.h"
#include "fileformats/RiffReader.h"

namespace nv {
namespace {

constexpr size_t kCuePointBytes = 24;
constexpr size_t kSmplHeaderBytes = 36;
constexpr size_t kSmplLoopBytes = 24;

bool IsAdtl(const ForeignChunk& c) {
  return c.id == "LIST" && c.content.size() >= 4 && std::equal(c.content.begin(), c.content.begin() + 4, "adtl");
}

uint32_t Clamp32(int64_t v) { return static_cast<uint32_t>(std::clamp<int64_t>(v, 0, 0xFFFFFFFF)); }

// The cue points of [first, end], shifted by -first. False when the chunk is
// malformed or names positions outside the data chunk (they cannot be moved
// exactly). `kept` receives the identifiers of the points kept with their
// new sample offsets.
bool TrimCue(ForeignChunk& c, int64_t first, int64_t end, std::vector<std::pair<uint32_t, int64_t>>& kept) {
  const std::vector<uint8_t>& in = c.content;
  if (in.size() < 4) return false;
  const uint64_t n = GetU32(in.data());
  if (in.size() < 4 + n * kCuePointBytes) return false;
  std::vector<uint8_t> out(4, 0);
  for (uint64_t i = 0; i < n; ++i) {
    const uint8_t* p = in.data() + 4 + i * kCuePointBytes;
    // Positions in a list of silence or in other chunks are not sample offsets.
    if (std::string(reinterpret_cast<const char*>(p + 8), 4) != "data" || GetU32(p + 12) != 0 || GetU32(p + 16) != 0)
      return false;
    const int64_t offset = GetU32(p + 20);
    if (offset < first || offset > end) continue;
    uint8_t q[kCuePointBytes];
    std::copy(p, p + kCuePointBytes, q);
    const int64_t position = GetU32(p + 4);
    PutU32(q + 4, Clamp32(position >= first ? position - first : offset - first));
    PutU32(q + 20, Clamp32(offset - first));
    out.insert(out.end(), q, q + kCuePointBytes);
    kept.emplace_back(GetU32(p), offset - first);
  }
  PutU32(out.data(), static_cast<uint32_t>(kept.size()));
  c.content = std::move(out);
  return true;
}

// The loops that lie wholly in [first, end), shifted by -first.
bool TrimSmpl(ForeignChunk& c, int64_t first, int64_t end) {
  const std::vector<uint8_t>& in = c.content;
  if (in.size() < kSmplHeaderBytes) return false;
  const uint64_t loops = GetU32(in.data() + 28);
  const uint64_t extra = GetU32(in.data() + 32);
  if (in.size() < kSmplHeaderBytes + loops * kSmplLoopBytes + extra) return false;
  std::vector<uint8_t> out(in.begin(), in.begin() + kSmplHeaderBytes);
  uint32_t count = 0;
  for (uint64_t i = 0; i < loops; ++i) {
    const uint8_t* p = in.data() + kSmplHeaderBytes + i * kSmplLoopBytes;
    const int64_t a = GetU32(p + 8), b = GetU32(p + 12);  // b is the loop's last frame
    if (a < first || b >= end || b < a) continue;
    uint8_t q[kSmplLoopBytes];
    std::copy(p, p + kSmplLoopBytes, q);
    PutU32(q + 8, Clamp32(a - first));
    PutU32(q + 12, Clamp32(b - first));
    out.insert(out.end(), q, q + kSmplLoopBytes);
    ++count;
  }
  const auto tail = in.begin() + static_cast<std::ptrdiff_t>(kSmplHeaderBytes + loops * kSmplLoopBytes);
  out.insert(out.end(), tail, tail + static_cast<std::ptrdiff_t>(extra));
  PutU32(out.data() + 28, count);
  c.content = std::move(out);
  return true;
}

// The labels, notes and labelled texts of the cue points kept; a labelled
// text's length is cut where the range ends. False when malformed.
bool TrimAdtl(ForeignChunk& c, int64_t first, int64_t end, const std::vector<std::pair<uint32_t, int64_t>>& kept) {
  const std::vector<uint8_t>& in = c.content;
  std::vector<uint8_t> out(in.begin(), in.begin() + 4);
  size_t pos = 4;
  while (pos + 8 <= in.size()) {
    const std::string id(reinterpret_cast<const char*>(&in[pos]), 4);
    const uint64_t size = GetU32(&in[pos + 4]);
    if (pos + 8 + size > in.size() || size < 4) return false;
    const uint32_t cue = GetU32(&in[pos + 8]);
    auto k = std::find_if(kept.begin(), kept.end(), [&](const auto& e) { return e.first == cue; });
    const size_t whole = 8 + size + (size & 1);
    if (k != kept.end()) {
      std::vector<uint8_t> sub(in.begin() + static_cast<std::ptrdiff_t>(pos),
                               in.begin() + static_cast<std::ptrdiff_t>(std::min(pos + whole, in.size())));
      if (sub.size() < whole) sub.push_back(0);
      if (id == "ltxt" && size >= 8) {
        const int64_t length = GetU32(&sub[12]);
        PutU32(&sub[12], Clamp32(std::min(length, end - first - k->second)));
      }
      out.insert(out.end(), sub.begin(), sub.end());
    }
    pos += whole;
  }
  c.content = std::move(out);
  return true;
}

}  // namespace

ForeignChunks ForeignChunks::Read(const RiffReader& rr, const RiffChunk& wave, std::vector<std::string>& problems) {
  ForeignChunks out;
  const int64_t end = rr.ContentEnd(wave);
  int64_t pos = wave.dataOffset + 4, total = 0;
  RiffChunk c;
  std::vector<std::string> cut, tooMuch;
  while (rr.ChunkAt(pos, end, c)) {
    pos = c.NextOffset();
    if (c.id == "fmt " || c.id == "data" || c.id == "guan") continue;
    if (c.available < static_cast<int64_t>(c.size)) {
      cut.push_back(c.id);
      continue;
    }
    if (total + c.size > kMaxBytes) {
      tooMuch.push_back(c.id);
      continue;
    }
    ForeignChunk f{c.id, std::vector<uint8_t>(c.size)};
    if (ReadAt(rr.Fd(), c.dataOffset, f.content.data(), f.content.size()) != f.content.size()) {
      cut.push_back(c.id);
      continue;
    }
    total += c.size;
    out.chunks_.push_back(std::move(f));
  }
  auto names = [](const std::vector<std::string>& ids) {
    std::string s;
    for (const std::string& id : ids) s += (s.empty() ? "\"" : ", \"") + id + "\"";
    return s;
  };
  if (!cut.empty()) problems.push_back("the chunks " + names(cut) + " run past the end of the file and will not be saved");
  if (!tooMuch.empty())
    problems.push_back("the chunks " + names(tooMuch) + " are more than 64 MiB of metadata and will not be saved");
  return out;
}

bool ForeignChunks::CountsPositions(const ForeignChunk& c) { return c.id == "cue " || c.id == "smpl" || IsAdtl(c); }

std::vector<ForeignChunk> ForeignChunks::ForSave(int64_t first, int64_t end, int64_t frames, int64_t framesWritten,
                                                 bool positionsHold, bool* leftOut) const {
  std::vector<ForeignChunk> out;
  bool dropped = false;
  const bool whole = first == 0 && end == frames;
  // The cue points kept, found first: labels may stand before the cue chunk.
  std::vector<std::pair<uint32_t, int64_t>> kept;
  bool cueOk = true;
  if (positionsHold && !whole) {
    for (const ForeignChunk& c : chunks_) {
      if (c.id != "cue ") continue;
      ForeignChunk copy = c;
      cueOk = TrimCue(copy, first, end, kept);
    }
  }
  for (const ForeignChunk& c : chunks_) {
    ForeignChunk w = c;
    if (c.id == "fact") {
      if (w.content.size() >= 4) PutU32(w.content.data(), Clamp32(framesWritten));
    } else if (CountsPositions(c) && !(positionsHold && whole)) {
      std::vector<std::pair<uint32_t, int64_t>> unused;
      const bool ok = positionsHold && (c.id == "cue "   ? cueOk && TrimCue(w, first, end, unused)
                                        : c.id == "smpl" ? TrimSmpl(w, first, end)
                                                         : cueOk && TrimAdtl(w, first, end, kept));
      if (!ok) {
        dropped = true;
        continue;
      }
      // Cue points and labels that all lie outside the range are no loss.
      if (c.id == "cue " && GetU32(w.content.data()) == 0) continue;
      if (IsAdtl(c) && w.content.size() == 4) continue;
    }
    out.push_back(std::move(w));
  }
  if (leftOut) *leftOut = dropped;
  return out;
}

int64_t ForeignChunks::FileBytes(const std::vector<ForeignChunk>& chunks) {
  int64_t n = 0;
  for (const ForeignChunk& c : chunks) n += 8 + static_cast<int64_t>(c.content.size()) + (c.content.size() & 1);
  return n;
}

}  // namespace nv
