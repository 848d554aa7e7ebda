#pragma once
// Everything a sound file holds besides its samples, as the readers return it
// and the writers take it: the format, the recording information, the
// compression settings, the view settings in file order, the marks and the
// kept stretches of a compressed file, and the GUANO metadata. The samples themselves travel through
// the work file (a TempFile) that the reader fills and the writer copies from.
#include <vector>

#include "base/MarkRecord.h"
#include "base/RecordingInfo.h"
#include "base/WaveFormat.h"
#include "fileformats/CompressionInfo.h"
#include "fileformats/ForeignChunks.h"
#include "fileformats/Guano.h"
#include "settings/AnalysisSettings.h"

namespace nv {

struct WaveContents {
  WaveFormatEx format;
  bool hasFormat = false;  // reading: a format was read and checked
  RecordingInfo info;
  CompressionInfo compression;
  // Reading: the view records in file order. Writing: the settings of the
  // views to store, newest first, each written as one "NRn1" form.
  std::vector<AnalysisSettings> views;
  std::vector<MarkRecord> marks;
  std::vector<KeptSegment> segments;
  // The GUANO fields of the "guan" chunk. Writing: brought up to date for
  // the saved range and written into the WAVE form of types 1, 5 and 7.
  Guano guano;
  // The WAVE form's other chunks, written back after the sound data.
  ForeignChunks otherChunks;
  // Reading: the frames are those of the file's data chunk (false for an
  // expanded compressed file). Writing: the sound's frame positions are still
  // those the chunks that count positions were read with.
  bool positionsAsRead = true;
};

}  // namespace nv
