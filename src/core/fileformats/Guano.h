#pragma once
// GUANO metadata: the "guan" chunk that bat detectors and survey software put
// into WAVE files, UTF-8 text of "Key: Value" lines ("TE: 10", "Make: ...",
// namespaced keys such as "NABat|Site Name"). A Guano value keeps every field
// in file order with its key and value exactly as read (surrounding
// whitespace trimmed), so that fields this program does not know are written
// back unchanged. Plain value type; any thread.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nv {

class RecordingInfo;

class Guano {
 public:
  struct Field {
    std::string key;
    std::string value;
    bool operator==(const Field&) const = default;
  };

  // The most of a "guan" chunk that is read; the rest is ignored.
  static constexpr size_t kMaxChunkBytes = 1 << 20;

  // Parses the content of a "guan" chunk. Lines end with LF (a CR before it,
  // a BOM at the start, NUL bytes and whitespace padding are ignored). A line
  // that is not UTF-8, has no ':' or no key, or repeats an earlier key is
  // skipped and counted in *badLines.
  static Guano Parse(const uint8_t* p, size_t n, int* badLines = nullptr);
  // The chunk content: "GUANO|Version" first (1.0 when absent), then the
  // other fields in order, one "Key: Value\n" line each; padded with a
  // space to an even length.
  std::string Serialise() const;

  bool Empty() const { return fields_.empty(); }
  const std::vector<Field>& Fields() const { return fields_; }
  // The value of `key`, null when absent.
  const std::string* Find(const std::string& key) const;
  // Replaces the value of `key` in its place, or appends the field.
  void Set(const std::string& key, const std::string& value);
  void Clear() { fields_.clear(); }

  // Fills a recording information that came without the program's own
  // record: the time-expansion factor from "TE" (or from "Samplerate" and
  // the file's rate `fileRateHz` when "TE" is missing), date and time from
  // "Timestamp", "Recorded by" from "Make", "Model" and "Serial", "Contents"
  // from "Species Manual ID" (else "Species Auto ID") and "Note". Values
  // that cannot be used are left out and described in `problems`.
  void ApplyTo(RecordingInfo& info, uint32_t fileRateHz, std::vector<std::string>& problems) const;
  // Brings the fields a save changes up to date for `frames` frames at
  // `fileRateHz` with the factor of `info`: "TE", "Samplerate" (the real
  // rate) and "Length" (real seconds); a value that already says the same
  // keeps its text. "Original Filename" is set to `fileName` when absent.
  // "Timestamp" keeps its text while it states the recording's date and
  // time; it is set to them (with the old offset, if any) when absent or
  // when they were edited, provided they read as "DD.MM.YY" and
  // "HH:MM[:SS]" (the form a timestamp is read into). A timestamp that
  // cannot be read is kept as it is.
  void UpdateForSave(const RecordingInfo& info, uint32_t fileRateHz, int64_t frames,
                     const std::string& fileName);

 private:
  std::vector<Field> fields_;
};

}  // namespace nv
