#pragma once
// The navigation state of one sound view over its AnalysisSettings: the
// visible span, start and end positions and the frequency and amplitude
// ranges live in the settings record (where the plot reads them); this class
// adds the defaults that Default Zoom restores, the zoom history, the known
// sampling rate and time-expansion factor, and the zoom and rescaling rules.
//
// Units: spans in microseconds of real time, positions in sample frames,
// frequencies in Hz of real frequency, amplitudes in 1/100 % of full scale,
// time-expansion factors in thousandths. The settings record is not owned and
// must outlive the navigator (or be re-attached).
#include <cstdint>

#include "settings/AnalysisSettings.h"
#include "views/ZoomHistory.h"

namespace nv {

// A selection as Zoom In and a new view's set-up use it.
struct ZoomSelection {
  int32_t startSample = 0;
  int32_t endSample = 0;
  int64_t startNs = 0;  // real time of the two ends
  int64_t endNs = 0;
  bool measuring = false;      // drawn with a measurement cursor (modes 2 and 3)
  bool inSpectrogram = false;  // its values are frequencies, else amplitudes
  int32_t value1 = 0;
  int32_t value2 = 0;
};

class ViewNavigator {
 public:
  explicit ViewNavigator(AnalysisSettings* settings = nullptr) : s_(settings) {}
  void Attach(AnalysisSettings* settings) { s_ = settings; }

  // The current span and ranges.
  ZoomEntry Current() const;
  void Restore(const ZoomEntry& e);
  // The current span and ranges become the defaults of the view.
  void TakeDefaults() { defaults_ = Current(); }
  const ZoomEntry& Defaults() const { return defaults_; }

  // Zoom In: on the selection when one is given (its measuring values become
  // the frequency or amplitude range), otherwise to the next smaller
  // standard span from the visible stretch. The caller clears the selection.
  void ZoomIn(const ZoomSelection* selection, int32_t firstVisible, int32_t lastVisible);
  // Zoom Out: the top of the history, or the next larger standard span.
  void ZoomOut(int32_t firstVisible, int32_t lastVisible);
  void DefaultZoom();
  // Shows the whole document of `durationUs` from sample 0.
  void ZoomEntire(int64_t durationUs);
  // Fit to Window: the whole sound of `durationUs` from sample 0; the
  // frequency and amplitude ranges stay. The command pushes the span and
  // ranges before it on the history; a view fitted as it opens does not.
  void FitToSound(int64_t durationUs, bool pushHistory);
  // Whether a view opening on a sound of `durationUs` is fitted to it: when
  // fitting is on and the sound is not empty and shorter than `spanUs`.
  static bool FitsOnOpening(bool fitting, int64_t durationUs, int64_t spanUs);
  // Ctrl+wheel: zooms the time axis by `notches` wheel notches (positive
  // in, negative out, fractions from fine wheels), each a factor of
  // kWheelZoomFactor, keeping sample `anchor` (the one under the mouse) at
  // its place on the plot, which shows `samplesPerPlot` samples from
  // `firstVisible`. Zooming out stops at the longer of `longestUs` (the
  // sound's duration) and the current span; zooming in at 1 microsecond.
  // With `pushHistory` (the first step of a wheel gesture) the span and
  // ranges before go on the history, so that Zoom Out returns there. False
  // when the span stays as it is (nothing is pushed then).
  static constexpr double kWheelZoomFactor = 1.25;
  bool WheelZoom(double notches, int64_t anchor, int64_t firstVisible, int64_t samplesPerPlot,
                 int64_t longestUs, bool pushHistory);
  // Makes the view show `selection` as a new view opened at it does; the
  // flags say which diagrams the new view shows.
  void OpenAt(const ZoomSelection& selection, bool showsSpectrogramArea, bool showsOscillogram);

  // The document values the ranges were last scaled for.
  void SetKnown(int64_t rateHz, int64_t expansion);
  int64_t KnownRate() const { return knownRate_; }
  int64_t KnownExpansion() const { return knownExpansion_; }
  // After a change of the document's rate or time-expansion factor: the
  // frequencies (current and in the history) scale with the factor and the
  // rate, the span inversely; sample positions are left as they are, since a
  // relabelled sound keeps its samples. True when anything changed.
  bool Rescale(int64_t rateHz, int64_t expansion);

  ZoomHistory& History() { return history_; }
  const ZoomHistory& History() const { return history_; }

 private:
  void ScaleFrequencies(int64_t mul, int64_t div);
  void ScaleSpan(int64_t mul, int64_t div);

  AnalysisSettings* s_;
  ZoomEntry defaults_;
  ZoomHistory history_;
  int64_t knownRate_ = 0;
  int64_t knownExpansion_ = 1000;
};

}  // namespace nv
