#pragma once
// Reading sound files into a document's work file.
#include <cstddef>
#include <string>

namespace nv {

class CNorvaneDoc;

// Reads a RIFF WAVE file (types 1, 5 and 7): the private forms into the
// recording information, pending view records, marks and kept segments, and
// the sound into the work file, expanded when segments were kept. `found` is
// the type the file turned out to be. Messages are shown on failure.
bool ReadWaveFile(CNorvaneDoc& doc, const std::string& path, int& found);
// Reads a headerless file of type 2, 3 or 4.
bool ReadRawFile(CNorvaneDoc& doc, const std::string& path, int code);
// Checks a format read from a "fmt " chunk (raw bytes, n of them); on success
// `out` holds it as PCM with its derived fields recomputed, otherwise
// `problem` says what is unsupported.
struct WaveFormatEx;
bool CheckWaveFormat(const unsigned char* fmt, size_t n, WaveFormatEx& out, std::string& problem);

}  // namespace nv
