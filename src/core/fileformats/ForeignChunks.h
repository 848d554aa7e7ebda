#pragma once
// The chunks of a WAVE form that this program does not write itself: a
// recorder's "LIST"/"INFO" text, "id3 " tags, "bext", "iXML", a maker's own
// chunk ("wamd", ...), cue points and loops. They are read with the file and
// written back byte for byte, in their order, after the sound data, so that a
// save loses none of a field recording's metadata.
//
// Three kinds count sample positions: "cue ", "smpl" and a "LIST" of type
// "adtl" (labels of cue points). A save of a range shifts and trims them to
// the range; where the positions no longer name the same sound (an edit moved
// samples, or a compressed save) they are left out. "fact" counts the frames
// and is brought up to date. Plain value type; any thread.
#include <cstdint>
#include <string>
#include <vector>

namespace nv {

class RiffReader;
struct RiffChunk;

struct ForeignChunk {
  std::string id;                // four characters
  std::vector<uint8_t> content;  // without header and pad byte
  bool operator==(const ForeignChunk&) const = default;
};

class ForeignChunks {
 public:
  // The most that is kept of one file's chunks; more is not read.
  static constexpr int64_t kMaxBytes = int64_t{64} << 20;

  // Reads every sub-chunk of the WAVE form `wave` except "fmt ", "data" and
  // "guan". A chunk cut off by the end of the file, or past kMaxBytes in all,
  // is not kept and named in `problems`.
  static ForeignChunks Read(const RiffReader& rr, const RiffChunk& wave, std::vector<std::string>& problems);

  bool Empty() const { return chunks_.empty(); }
  const std::vector<ForeignChunk>& Items() const { return chunks_; }
  void Add(ForeignChunk c) { chunks_.push_back(std::move(c)); }
  void Clear() { chunks_.clear(); }

  // True for the chunks whose contents count sample positions.
  static bool CountsPositions(const ForeignChunk& c);

  // The chunks to write for frames [first, end) of a sound of `frames`
  // frames, `framesWritten` of them written. `positionsHold`: the sound's
  // frame positions are still those of the file the chunks were read from,
  // and the data written are those frames themselves (not a compressed
  // form). Chunks that count positions are kept as they are for the whole
  // sound, shifted and trimmed for a range, and left out when the positions
  // do not hold; `*leftOut` then says that one was left out.
  std::vector<ForeignChunk> ForSave(int64_t first, int64_t end, int64_t frames, int64_t framesWritten,
                                    bool positionsHold, bool* leftOut) const;

  // Bytes the chunks take in a file: headers, contents and pad bytes.
  static int64_t FileBytes(const std::vector<ForeignChunk>& chunks);

 private:
  std::vector<ForeignChunk> chunks_;
};

}  // namespace nv
