#pragma once
// Writing a document's sound (whole, or frames [first, end)) to a file. Every
// writer writes a new file beside the target and renames it over the target
// only when everything was written, so a failed save leaves the old file.
#include <cstdint>
#include <string>

namespace nv {

class CNorvaneDoc;

// The free space of the target's file system must be at least 1.1 times
// `bytes` plus 16 384; otherwise "Disk full!" is shown and false returned.
// An unknown free space passes.
bool CheckDiskSpace(const std::string& target, int64_t bytes);
// Types 1, 5 and 7. `whole` tells that no range was chosen (every mark is written).
bool WriteRiffFile(CNorvaneDoc& doc, const std::string& path, int code, int64_t first, int64_t end,
                   bool whole);
// Types 2, 3, 4 and 6: the frames' bytes only.
bool WriteRawFile(CNorvaneDoc& doc, const std::string& path, int64_t first, int64_t end);

}  // namespace nv
