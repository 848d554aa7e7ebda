#pragma once
// The virtual detector as a mode of one sound view: off, or on with its
// speed factor and its line (position and real frequency). While it is on,
// "&Play sound" plays through the detector, "&Filter" edits the detector's
// filter description instead of filtering, and the arrow keys move the line.
// Owned by the view; interface thread only.
#include <string>

#include "audio/DetectorLine.h"
#include "audio/DetectorSettings.h"
#include "filter/FilterDescription.h"

namespace nv {

class DetectorMode {
 public:
  bool IsOn() const { return on_; }
  const DetectorSettings& Settings() const { return settings_; }
  // The line; position -1 while the mode is off.
  const CursorRecord& Line() const { return line_; }
  void SetLine(const CursorRecord& line) { line_ = line; }
  void SetLinePosition(int32_t position) { line_.position = position; }

  // Switches the mode on with the dialog's settings and places the line.
  void SwitchOn(const DetectorSettings& settings, const DetectorPlacement& placement);
  // Switches the mode off and removes the line.
  void SwitchOff();

  // The status text of the line (empty while off or without a line).
  std::string StatusText(const PlotSetup& s) const;

  // The filter description "&Filter" works on: the detector's while the mode
  // is on (it is then only edited and designed, nothing is filtered), the
  // filter command's otherwise.
  FilterDescription& FilterToEdit(FilterDescription& commandFilter, FilterDescription& detectorFilter) const {
    return on_ ? detectorFilter : commandFilter;
  }
  // "&Filter" is enabled with a selection or while the mode is on.
  bool FilterCommandEnabled(bool hasSelection) const { return hasSelection || on_; }

 private:
  bool on_ = false;
  DetectorSettings settings_;
  CursorRecord line_;
};

}  // namespace nv
