#include "fileformats/FileType.h"

namespace nv {

const char* const kSoundFileFilter =
    "Wave Files (*.wav)|*.wav|Data Files (*.dat)|*.dat|All Files (*.*)|*.*||";

std::string TypeLabel(FileType type) {
  switch (type) {
    case FileType::StandardWave: return "[Standard Wave]";
    case FileType::Samples16Mono: return "[16 bit samples MONO]";
    case FileType::Samples8Mono: return "[8 bit samples MONO]";
    case FileType::Special60Head: return "[Special 60 bytes head MONO]";
    case FileType::RawData: return "[Raw data]";
    case FileType::NorvaneWaveComp: return "[Wave Comp]";
    case FileType::NorvaneWave: break;
  }
  return "[Wave]";
}

FileType TypeOfLabel(const std::string& label) {
  if (label == "[Standard Wave]") return FileType::StandardWave;
  if (label == "[Nv Wave]") return FileType::NorvaneWave;
  if (label == "[Wave Comp]") return FileType::NorvaneWaveComp;
  if (label == "[Wave]") return FileType::NorvaneWave;
  if (label == "[16 bit samples MONO]") return FileType::Samples16Mono;
  if (label == "[8 bit samples MONO]") return FileType::Samples8Mono;
  if (label == "[Special 60 bytes head MONO]") return FileType::Special60Head;
  return FileType::NorvaneWave;
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
    r.type = TypeOfLabel(r.label);
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

std::string SoundFilePath::Labelled() const { return path.empty() ? std::string() : path + " " + TypeLabel(type); }

SoundFilePath SoundFilePath::FromLabelled(const std::string& text) {
  const LabeledPath lp = SplitTypeLabel(text);
  return {lp.path, lp.type};
}

std::string SoundFilePath::FileName() const {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

const std::vector<FileTypeChoice>& OpenAsChoices() {
  static const std::vector<FileTypeChoice> c = {{"Wave", FileType::StandardWave},
                                                {"Samples 16 bits MONO", FileType::Samples16Mono},
                                                {"Samples 8 bits MONO", FileType::Samples8Mono},
                                                {"Special 60 bytes heading", FileType::Special60Head}};
  return c;
}

const std::vector<FileTypeChoice>& FileFormatChoices() {
  static const std::vector<FileTypeChoice> c = {{"Wave (Norvane)", FileType::NorvaneWave},
                                                {"Wave (Norvane compressed)", FileType::NorvaneWaveComp},
                                                {"Wave (Standard)", FileType::StandardWave},
                                                {"Raw data", FileType::RawData}};
  return c;
}

int FileFormatPreselection(FileType type) {
  switch (type) {
    case FileType::NorvaneWaveComp: return 1;
    case FileType::StandardWave: return 2;
    case FileType::RawData: return 3;
    default: return 0;
  }
}

}  // namespace nv
