#pragma once
// The seven sound file types and the type labels that a document's path name
// carries ("/data/bat.wav [Wave Comp]").
#include <string>
#include <vector>

namespace nv {

// The sound file types; their numbers are the codes stored with a file's
// settings and typed on the command line.
enum class FileType : int {
  StandardWave = 1,     // a plain RIFF WAVE file
  Samples16Mono = 2,    // headerless 16-bit mono samples
  Samples8Mono = 3,     // headerless 8-bit mono samples
  Special60Head = 4,    // a 60-byte header and unsigned 16-bit mono samples
  NorvaneWave = 5,      // WAVE with the program's private forms
  RawData = 6,          // the frames' bytes only (written, never read as such)
  NorvaneWaveComp = 7,  // the compressed (silence-removed) program's WAVE
};

constexpr int ToCode(FileType t) { return static_cast<int>(t); }
// The type of a stored or typed code; codes outside 1 ... 7 give NorvaneWave.
constexpr FileType FileTypeFromCode(long long code) {
  return code >= 1 && code <= 7 ? static_cast<FileType>(code) : FileType::NorvaneWave;
}
// The RIFF WAVE types (1, 5 and 7), read and written with their forms.
constexpr bool IsWaveType(FileType t) {
  return t == FileType::StandardWave || t == FileType::NorvaneWave || t == FileType::NorvaneWaveComp;
}

// Label of a type: "[Wave]" for NorvaneWave (and RawData has "[Raw data]").
std::string TypeLabel(FileType type);
// Type of a label; any unknown text gives NorvaneWave.
FileType TypeOfLabel(const std::string& label);

struct LabeledPath {
  std::string path;
  std::string label;                  // empty when there is none
  FileType type = FileType::NorvaneWave;  // the label's type, NorvaneWave without a label
};
// Splits "path [Label]" at the " [" (at position 2 or later) that starts the
// bracketed text at the end of `text`.
LabeledPath SplitTypeLabel(const std::string& text);
// Rewrites the label of `text`: its label, or nothing when it has none, is
// replaced by a blank and `label`.
std::string ReplaceTypeLabel(const std::string& text, const std::string& label);

// A sound file as the program carries it: the bare path and the type it is
// read or written as. The labelled text "path [Label]" is only its outer
// form (window titles, the stored recent files, the command line), made by
// Labelled() and read by FromLabelled().
struct SoundFilePath {
  std::string path;                       // empty for a document without a file
  FileType type = FileType::NorvaneWave;

  bool Empty() const { return path.empty(); }
  // "path [Label]" with the type's own label; empty without a path.
  std::string Labelled() const;
  // The path of `text` and the type of its label (NorvaneWave without one).
  static SoundFilePath FromLabelled(const std::string& text);
  // The file name after the last '/'.
  std::string FileName() const;
  bool operator==(const SoundFilePath&) const = default;
};

struct FileTypeChoice {
  std::string text;
  FileType type;
};
// The "Open as:" items (types 1, 2, 3, 4) and the "File format:" items (5, 7, 1, 6).
const std::vector<FileTypeChoice>& OpenAsChoices();
const std::vector<FileTypeChoice>& FileFormatChoices();
// Index of the "File format:" item preselected for a document of `type`.
int FileFormatPreselection(FileType type);
// The filter text of both file dialogs.
extern const char* const kSoundFileFilter;

}  // namespace nv
