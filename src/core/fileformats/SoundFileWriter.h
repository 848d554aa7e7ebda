#pragma once
// Writing a document's sound (whole, or frames [first, end)) to a file. Every
// writer writes a new file beside the target and renames it over the target
// only when everything was written, so a failed save leaves the old file.
#include <cstdint>
#include <string>

#include "base/TempFile.h"
#include "fileformats/FileType.h"
#include "fileformats/WaveContents.h"

namespace nv {

// The free space of the target's file system must be at least 1.1 times
// `bytes` plus 16 384; otherwise "Disk full!" is shown and false returned.
// An unknown free space passes.
bool CheckDiskSpace(const std::string& target, int64_t bytes);
// Types 1, 5 and 7: frames [first, end) of `work` in contents.format as a
// WAVE form, followed, in types 5 and 7, by the private forms (recording information, one view form
// per entry of contents.views in order, the marks inside the range, rebased
// to it). `whole` tells that no range was chosen (every mark is written).
// Type 7 compresses with contents.compression; the record as written (type
// and segment count) goes to *writtenCompression when given.
bool WriteRiffFile(const std::string& path, FileType type, const WaveContents& contents, TempFile& work,
                   int64_t first, int64_t end, bool whole,
                   CompressionInfo* writtenCompression = nullptr);
// Types 2, 3, 4 and 6: the frames' bytes only.
bool WriteRawFile(const std::string& path, const WaveFormatEx& format, TempFile& work, int64_t first,
                  int64_t end);

}  // namespace nv
