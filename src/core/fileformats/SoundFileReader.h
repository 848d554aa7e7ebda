#pragma once
// Reading sound files: what they hold besides the samples into a WaveContents,
// the samples into a work file. Interface thread or any one thread at a time.
#include <cstddef>
#include <string>

#include "base/TempFile.h"
#include "fileformats/FileIo.h"
#include "fileformats/FileType.h"
#include "fileformats/WaveContents.h"

namespace nv {

// How a reader gives the sound to its work file: copied (the work file can
// then be edited), or read in place from the file itself where the sound
// lies there as it is (plain WAVE data and headerless 8- and 16-bit files; a
// compressed or converted sound is still copied): for readers that only look
// (InPlace), or until the sound is first changed, when the document copies
// it into a work file of its own (InPlaceUntilChanged).
enum class SampleAccess { Copy, InPlace, InPlaceUntilChanged };

// Reads a RIFF WAVE file (types 1, 5 and 7): the private forms into the
// recording information, view records, marks and kept segments of `out`, and
// the sound into `work` (emptied first), expanded when segments were kept.
// `found` is the type the file turned out to be. Messages are shown on
// failure; what was read up to the failure stays in `out`. `progress`, when
// given, is told the length of the sound in `work` that is complete as it
// grows (out.format is set before the first call); the reader neither
// shortens nor unmaps `work` after the first call.
bool ReadWaveFile(const std::string& path, WaveContents& out, TempFile& work, FileType& found,
                  const CopyProgress& progress = {}, SampleAccess access = SampleAccess::Copy);
// Reads a headerless file of type 2, 3 or 4.
bool ReadRawFile(const std::string& path, FileType type, WaveContents& out, TempFile& work,
                 const CopyProgress& progress = {}, SampleAccess access = SampleAccess::Copy);
// Reads `file` as its type says: a WAVE type with ReadWaveFile (its type
// then becomes the type found), a headerless type with ReadRawFile.
bool ReadSoundFile(SoundFilePath& file, WaveContents& out, TempFile& work, const CopyProgress& progress = {},
                   SampleAccess access = SampleAccess::Copy);
// Checks a format read from a "fmt " chunk (raw bytes, n of them); on success
// `out` holds it as PCM with its derived fields recomputed, otherwise
// `problem` says what is unsupported.
struct WaveFormatEx;
bool CheckWaveFormat(const unsigned char* fmt, size_t n, WaveFormatEx& out, std::string& problem);

}  // namespace nv
