#include "fileformats/FileType.h"

namespace nv {

const char* const kSoundFileFilter =
    "Wave Files (*.wav)|*.wav|Data Files (*.dat)|*.dat|All Files (*.*)|*.*||";

std::string TypeLabel(int code) {
  switch (code) {
    case 1: return "[Standard Wave]";
    case 2: return "[16 bit samples MONO]";
    case 3: return "[8 bit samples MONO]";
    case 4: return "[Special 60 bytes head MONO]";
    case 6: return "[Raw data]";
    case 7: return "[Wave Comp]";
    default: return "[Wave]";
  }
}

int TypeCodeOfLabel(const std::string& label) {
  if (label == "[Standard Wave]") return 1;
  if (label == "[Nv Wave]") return 5;
  if (label == "[Wave Comp]") return 7;
  if (label == "[Wave]") return 5;
  if (label == "[16 bit samples MONO]") return 2;
  if (label == "[8 bit samples MONO]") return 3;
  if (label == "[Special 60 bytes head MONO]") return 4;
  return 5;
}

namespace {
// Position of the " [" that starts the label, or npos. The label is the last
// bracketed text at the end, so a folder name with " [" in it stays part of
// the path; for every path without such a folder this is the first " [".
size_t LabelStart(const std::string& text) {
  if (text.empty() || text.back() != ']') return std::string::npos;
  size_t pos = text.rfind(" [");
  return pos != std::string::npos && pos >= 2 ? pos : std::string::npos;
}
}  // namespace

LabeledPath SplitTypeLabel(const std::string& text) {
  LabeledPath r;
  size_t pos = LabelStart(text);
  if (pos != std::string::npos) {
    r.path = text.substr(0, pos);
    r.label = text.substr(pos + 1);
    r.code = TypeCodeOfLabel(r.label);
  } else {
    r.path = text;
  }
  return r;
}

std::string ReplaceTypeLabel(const std::string& text, const std::string& label) {
  // A path without a label gets one after a blank, so that it splits again.
  size_t pos = LabelStart(text);
  std::string head = pos == std::string::npos ? text : text.substr(0, pos);
  return head + " " + label;
}

const std::vector<FileTypeChoice>& OpenAsChoices() {
  static const std::vector<FileTypeChoice> c = {{"Wave", 1},
                                                {"Samples 16 bits MONO", 2},
                                                {"Samples 8 bits MONO", 3},
                                                {"Special 60 bytes heading", 4}};
  return c;
}

const std::vector<FileTypeChoice>& FileFormatChoices() {
  static const std::vector<FileTypeChoice> c = {{"Wave (Norvane)", 5},
                                                {"Wave (Norvane compressed)", 7},
                                                {"Wave (Standard)", 1},
                                                {"Raw data", 6}};
  return c;
}

int FileFormatPreselection(int code) {
  switch (code) {
    case 7: return 1;
    case 1: return 2;
    case 6: return 3;
    default: return 0;
  }
}

}  // namespace nv
