#pragma once
// The state and behaviour of one power-spectrum window without its drawing:
// its settings copy, the analysed range and the follow-cursor mode, the
// updates a view sends, the set-up and computation of the spectrum, the
// axis labels, the curve, the title, interval and readout texts with the
// reference point, and the text export. The Qt window (CPowerWnd with its
// PowerPlot) draws what this computes; norvane-cli uses it without a window.
//
// Positions are sample frames of the document; levels as in PowerSetup
// (dB x 1000 or V² x 10000 when scaled); coordinates twips of the layout,
// y upwards. Interface thread only.
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/PowerSetup.h"
#include "base/SampleSource.h"
#include "settings/PowerSettings.h"

namespace nv {

struct PowerLabel {
  int y = 0;  // or x for frequency labels
  std::string text;
};
struct PowerTick {
  int x = 0;
  bool major = false;
  std::string text;  // major ticks only
};
struct PowerPoint {
  int x = 0;
  int y = 0;
};

class PowerWindowModel {
 public:
  static constexpr int64_t kNone = -1;

  // A window opening on [start, end): an FFT size of 0 becomes 1024; when
  // start == end the range is one frame from start, and the window follows
  // the cursor when the range is exactly one frame.
  PowerWindowModel(const PowerSettings& settings, int64_t start, int64_t end);

  PowerSettings& Settings() { return settings_; }
  const PowerSettings& Settings() const { return settings_; }
  int64_t Start() const { return start_; }
  int64_t End() const { return end_; }
  bool FollowCursor() const { return followCursor_; }
  // The FFT size of the last set-up (or of the settings before one).
  int FftSize() const;

  // A change of the view's cursor or selection. start kNone: neither
  // exists; end kNone: a cursor without selection. With continuous update
  // the window takes the range and flags; otherwise only `force` recomputes
  // (with the old range). Returns true when the window must recompute.
  bool Update(int64_t start, int64_t end, bool left, bool right, bool force);

  // The set-up steps for a document format and a layout; a range shorter
  // than the FFT size is extended to it.
  void SetUp(const PowerSoundFormat& format, const PowerLayout& layout);
  // A copy set up for a picture of another size or resolution (a print,
  // the clipboard): the same FFT size as this window uses, so the same
  // range and bins, laid out for `layout`. Compute it before drawing.
  PowerWindowModel ForPicture(const PowerSoundFormat& format, const PowerLayout& layout) const;
  // The averaged spectrum of the range from `samples` (set-up first).
  void Compute(const SampleSource& samples);
  bool HasSpectrum() const { return !levels_.empty(); }

  const PowerSetup& Setup() const { return setup_; }
  const PowerSoundFormat& Format() const { return format_; }
  const std::vector<double>& Levels() const { return levels_; }
  int64_t FramesAveraged() const { return framesAveraged_; }

  std::string Title() const { return setup_.Title(); }
  // The analysed interval in real time, e.g. "12.3 - 14.0 ms".
  std::string IntervalText() const;
  static std::string IntervalText(int64_t startUs, int64_t endUs);

  // Axis labels and ticks in layout coordinates.
  std::vector<PowerLabel> LevelLabels() const;
  std::vector<PowerTick> FrequencyTicks() const;
  int FrequencyX(double hz) const;
  // The curve from the bottom-left corner through bins 1 ... N/2 - 1.
  std::vector<PowerPoint> Curve() const;

  // Mouse readout: the frequency (Hz) and scaled level under (x, y), false
  // (both -1) outside the plot.
  bool PositionAt(int x, int y, int64_t& hz, double& level) const;
  // The readout text at (x, y) ("" outside the plot): the mouse's frequency
  // and level, the distance to the reference point when one is set, and,
  // once the spectrum is computed, "Spectrum: " with the spectrum's level
  // in the bin nearest the mouse's frequency.
  std::string ReadoutAt(int x, int y) const;
  // The computed spectrum's level (dB or V², unscaled) in the bin nearest
  // `hz`; false before a computation.
  bool SpectrumLevelAt(int64_t hz, double& level) const;
  // A click: sets the reference point and returns the readout text (""
  // outside the plot, where nothing changes).
  std::string ClickAt(int x, int y);
  bool HasReference() const { return hasReference_; }
  int64_t ReferenceHz() const { return refHz_; }
  double ReferenceLevel() const { return refLevel_; }
  void ClearReference() { hasReference_ = false; refHz_ = 0; refLevel_ = 0; }
  // Where the reference cross is drawn; false when none or outside the range.
  bool ReferencePoint(int& x, int& y) const;

  std::string TextExport() const;

 private:
  std::string LevelText(double scaled) const;
  std::string FrequencyText(double hz) const;
  const char* UnitText() const;

  PowerSettings settings_;
  int64_t start_ = 0;
  int64_t end_ = 0;
  // The end as opened or last updated, before any set-up extended the range
  // to one frame.
  int64_t givenEnd_ = 0;
  bool followCursor_ = false;
  PowerSoundFormat format_;
  PowerSetup setup_;
  bool setUp_ = false;
  std::vector<double> levels_;
  int64_t framesAveraged_ = 0;
  bool hasReference_ = false;
  int64_t refHz_ = 0;
  double refLevel_ = 0;
};

}  // namespace nv
