#pragma once
// The text export of a power spectrum, shared by "Copy Ascii", "Ascii File
// Export" and `norvane-cli spectrum`: a header line "kHz\tdB\r\n" (linear:
// "kHz\tV\xB2\r\n", the superscript two as the single Windows-1252 byte
// that spreadsheets reading these files expect), then one line
// "%1.3f\t%1.3f\r\n" per bin with the frequency in kHz and the level, the
// DC term first.
#include <string>
#include <vector>

namespace nv {

std::string PowerTextExport(const std::vector<double>& binHz, const std::vector<double>& levels,
                            bool logScale);

// Writes `text` to the file at path (created when missing, replaced
// otherwise). A file that cannot be opened shows "CANNOT CREATE FILE: " and
// the system's text, a failed write "Error when exporting data to file: "
// and the system's text; both return false.
bool WritePowerExportFile(const std::string& path, const std::string& text);

}  // namespace nv
