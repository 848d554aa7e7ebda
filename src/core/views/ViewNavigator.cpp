#include "views/ViewNavigator.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/IntegerClamp.h"
#include "views/SpanTable.h"

namespace nv {

namespace {

// v * mul / div in 128-bit intermediate precision, limited to 64 bits.
int64_t MulDiv(int64_t v, int64_t mul, int64_t div) {
  if (div == 0) return v;
  const __int128 r = static_cast<__int128>(v) * mul / div;
  if (r > std::numeric_limits<int64_t>::max()) return std::numeric_limits<int64_t>::max();
  if (r < std::numeric_limits<int64_t>::min()) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(r);
}

}  // namespace

ZoomEntry ViewNavigator::Current() const {
  ZoomEntry e;
  e.spanUs = s_->timePerPlotUs;
  e.upperHz = ClampToInt32(s_->maxFrequencyHz);
  e.lowerHz = ClampToInt32(s_->minFrequencyHz);
  e.upperAmplitude = ClampToInt32(s_->maxAmplitude);
  e.lowerAmplitude = ClampToInt32(s_->minAmplitude);
  return e;
}

void ViewNavigator::Restore(const ZoomEntry& e) {
  s_->timePerPlotUs = std::max<int64_t>(e.spanUs, 1);
  s_->maxFrequencyHz = e.upperHz;
  s_->minFrequencyHz = e.lowerHz;
  s_->maxAmplitude = e.upperAmplitude;
  s_->minAmplitude = e.lowerAmplitude;
}

void ViewNavigator::ZoomIn(const ZoomSelection* sel, int32_t firstVisible, int32_t lastVisible) {
  const ZoomEntry before = Current();
  if (sel) {
    s_->firstVisibleSample = sel->startSample;
    s_->lastVisibleSample = sel->endSample;
    s_->timePerPlotUs = (sel->endNs - sel->startNs) / 1000;
    if (sel->measuring) {
      const int32_t hi = std::max(sel->value1, sel->value2);
      const int32_t lo = std::min(sel->value1, sel->value2);
      if (sel->inSpectrogram) {
        s_->maxFrequencyHz = hi;
        s_->minFrequencyHz = lo;
      } else {
        s_->maxAmplitude = hi;
        s_->minAmplitude = lo;
      }
    }
  } else {
    s_->firstVisibleSample = firstVisible;
    s_->lastVisibleSample = lastVisible;
    s_->timePerPlotUs = NextSmallerSpanUs(s_->timePerPlotUs);
  }
  if (s_->timePerPlotUs <= 0) s_->timePerPlotUs = 1;
  history_.Push(before);
}

void ViewNavigator::ZoomOut(int32_t firstVisible, int32_t lastVisible) {
  s_->firstVisibleSample = firstVisible;
  s_->lastVisibleSample = lastVisible;
  if (auto e = history_.Pop())
    Restore(*e);
  else
    s_->timePerPlotUs = NextLargerSpanUs(s_->timePerPlotUs);
}

void ViewNavigator::DefaultZoom() {
  history_.Push(Current());
  Restore(defaults_);
}

void ViewNavigator::ZoomEntire(int64_t durationUs) {
  history_.Push(Current());
  s_->timePerPlotUs = std::max<int64_t>(durationUs, 1);
  s_->firstVisibleSample = 0;
  s_->lastVisibleSample = -1;
  s_->maxFrequencyHz = defaults_.upperHz;
  s_->minFrequencyHz = defaults_.lowerHz;
  s_->maxAmplitude = 10000;
  s_->minAmplitude = -10000;
}

void ViewNavigator::FitToSound(int64_t durationUs, bool pushHistory) {
  if (pushHistory) history_.Push(Current());
  s_->timePerPlotUs = std::max<int64_t>(durationUs, 1);
  s_->firstVisibleSample = 0;
  s_->lastVisibleSample = -1;
}

bool ViewNavigator::FitsOnOpening(bool fitting, int64_t durationUs, int64_t spanUs) {
  return fitting && durationUs > 0 && durationUs < spanUs;
}

bool ViewNavigator::WheelZoom(double notches, int64_t anchor, int64_t firstVisible, int64_t samplesPerPlot,
                              int64_t longestUs, bool pushHistory) {
  const int64_t span = std::max<int64_t>(s_->timePerPlotUs, 1);
  const int64_t longest = std::max(longestUs, span);
  const double wanted = static_cast<double>(span) * std::pow(kWheelZoomFactor, -notches);
  const int64_t next = wanted >= static_cast<double>(longest)
                           ? longest
                           : std::clamp<int64_t>(std::llround(wanted), 1, longest);
  if (next == span) return false;
  if (pushHistory) history_.Push(Current());
  // The anchor keeps its fraction of the plot's width.
  const double page = static_cast<double>(std::max<int64_t>(samplesPerPlot, 1));
  const double fraction = std::clamp((static_cast<double>(anchor) - firstVisible) / page, 0.0, 1.0);
  const double nextPage = page * static_cast<double>(next) / static_cast<double>(span);
  const double first = static_cast<double>(anchor) - fraction * nextPage;
  s_->timePerPlotUs = next;
  s_->firstVisibleSample = std::max<int64_t>(std::llround(first), 0);
  s_->lastVisibleSample = -1;
  return true;
}

void ViewNavigator::OpenAt(const ZoomSelection& sel, bool spectArea, bool osc) {
  s_->firstVisibleSample = sel.startSample;
  s_->lastVisibleSample = sel.endSample;
  s_->timePerPlotUs = std::max<int64_t>((sel.endNs - sel.startNs) / 1000, 1);
  if (!sel.measuring) return;
  const int32_t hi = std::max(sel.value1, sel.value2);
  const int32_t lo = std::min(sel.value1, sel.value2);
  if (sel.inSpectrogram && spectArea) {
    s_->maxFrequencyHz = hi;
    s_->minFrequencyHz = lo;
  } else if (!sel.inSpectrogram && osc) {
    s_->maxAmplitude = hi;
    s_->minAmplitude = lo;
  }
}

void ViewNavigator::SetKnown(int64_t rateHz, int64_t expansion) {
  knownRate_ = rateHz;
  knownExpansion_ = expansion > 0 ? expansion : 1000;
}

void ViewNavigator::ScaleFrequencies(int64_t mul, int64_t div) {
  auto scale = [&](auto& f) {
    if (f >= 0) f = static_cast<std::remove_reference_t<decltype(f)>>(MulDiv(f, mul, div));
  };
  scale(s_->maxFrequencyHz);
  scale(s_->minFrequencyHz);
  scale(defaults_.upperHz);
  scale(defaults_.lowerHz);
  for (int i = 0; i < history_.Size(); ++i) {
    int64_t up = history_.At(i).upperHz, lo = history_.At(i).lowerHz;
    scale(up);
    scale(lo);
    history_.At(i).upperHz = ClampToInt32(up);
    history_.At(i).lowerHz = ClampToInt32(lo);
  }
}

void ViewNavigator::ScaleSpan(int64_t mul, int64_t div) {
  if (s_->timePerPlotUs >= 0) s_->timePerPlotUs = std::max<int64_t>(MulDiv(s_->timePerPlotUs, mul, div), 1);
}

bool ViewNavigator::Rescale(int64_t rateHz, int64_t expansion) {
  if (expansion <= 0) expansion = 1000;
  bool changed = false;
  if (expansion != knownExpansion_ && knownExpansion_ > 0) {
    ScaleFrequencies(expansion, knownExpansion_);
    ScaleSpan(knownExpansion_, expansion);
    changed = true;
  }
  if (rateHz != knownRate_ && knownRate_ > 0 && rateHz > 0) {
    ScaleFrequencies(rateHz, knownRate_);
    ScaleSpan(knownRate_, rateHz);
    changed = true;
  }
  SetKnown(rateHz, expansion);
  return changed;
}

}  // namespace nv
