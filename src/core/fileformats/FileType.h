#pragma once
// The seven sound file types and the type labels that a document's path name
// carries ("/data/bat.wav [Wave Comp]").
#include <string>
#include <vector>

namespace nv {

enum FileType : int {
  kStandardWave = 1,
  kSamples16Mono = 2,
  kSamples8Mono = 3,
  kSpecial60Head = 4,
  kNorvaneWave = 5,
  kRawData = 6,
  kNorvaneWaveComp = 7,
};

// Label of a code; any code other than 1, 2, 3, 4, 6, 7 gives "[Wave]".
std::string TypeLabel(int code);
// Code of a label; any unknown text gives 5.
int TypeCodeOfLabel(const std::string& label);

struct LabeledPath {
  std::string path;
  std::string label;  // empty when there is none
  int code = 5;       // the label's code, 5 without a label
};
// Splits "path [Label]" at the " [" (at position 2 or later) that starts the
// bracketed text at the end of `text`.
LabeledPath SplitTypeLabel(const std::string& text);
// Rewrites the label of `text`: its label, or nothing when it has none, is
// replaced by a blank and `label`.
std::string ReplaceTypeLabel(const std::string& text, const std::string& label);

struct FileTypeChoice {
  std::string text;
  int code;
};
// The "Open as:" items (codes 1, 2, 3, 4) and the "File format:" items (5, 7, 1, 6).
const std::vector<FileTypeChoice>& OpenAsChoices();
const std::vector<FileTypeChoice>& FileFormatChoices();
// Index of the "File format:" item preselected for a document of type `code`.
int FileFormatPreselection(int code);
// The filter text of both file dialogs.
extern const char* const kSoundFileFilter;

}  // namespace nv
