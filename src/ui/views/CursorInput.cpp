#include "views/CursorInput.h"

#include <QApplication>
#include <QPoint>
#include <algorithm>

#include "document/CNorvaneDoc.h"
#include "plot/SoundPlot.h"
#include "views/AttachedWindowList.h"
#include "views/CNvAnaView.h"
#include "views/CursorMode.h"
#include "views/SoundViewReadout.h"
#include "views/ViewHost.h"

using nv::CursorRecord;

CursorInput::PlotPoint CursorInput::PointAt(const QPoint& local) const {
  const nv::PlotSetup& s = view_.Plot()->Setup();
  const int64_t per1000 = s.scale().unitsPer1000Pixels;
  const int64_t x = int64_t{local.x()} * per1000 / 1000;
  int64_t y = -int64_t{local.y()} * per1000 / 1000;
  PlotPoint p;
  p.area = s.HitTest(x, y);
  if (s.bothChannels && y < -s.layout.channelHeight) {
    p.channel = 2;
    y += s.layout.channelShift;
  }
  p.sample = std::clamp(s.XToSample(x), 0, std::max(s.frameCount, 0));
  p.amplitude = s.YToAmplitude(y);
  const nv::PlotRect& r = s.layout.spect;
  const int64_t h = std::max(r.height(), 1);
  const int64_t lo = s.spect.minFrequencyHz, hi = s.spect.maxFrequencyHz;
  p.frequency = static_cast<int32_t>(std::clamp<int64_t>(lo + (y - r.bottom) * (hi - lo) / h, lo, hi));
  return p;
}

void CursorInput::Press(const QPoint& pos) {
  const nv::CursorMode mode = host_.CursorMode();
  if (mode == nv::CursorMode::None || !view_.Document()) return;
  const PlotPoint p = PointAt(pos);
  if (p.area == nv::PlotArea::None) return;
  nv::SoundPlot* plot = view_.Plot();
  SoundViewReadout& text = view_.Readout();
  const bool inSpect = p.area != nv::PlotArea::Oscillogram;
  CursorRecord c;
  c.position = p.sample;
  c.channel = p.channel;
  switch (mode) {
    case nv::CursorMode::Marking:
    case nv::CursorMode::MarkingStereo:
      c.kind = nv::CursorKindOf(mode);
      c.value = 0;
      if (mode == nv::CursorMode::MarkingStereo) c.channel = 3;
      plot->SetCursor(c);
      text.Show(text.Time(plot->Setup().SampleToNs(c.position)));
      break;
    case nv::CursorMode::Measurement:
    case nv::CursorMode::LargeMeasurement:
      c.kind = nv::CursorKindOf(mode);
      c.inSpectrogram = inSpect;
      c.value = inSpect ? p.frequency : p.amplitude;
      plot->SetCursor(c);
      text.Show(text.Measurement(c));
      break;
    case nv::CursorMode::Level: {
      if (inSpect) return;
      c.kind = nv::CursorKind::Level;
      c.value = std::abs(p.amplitude);
      c.rangeStart = c.rangeEnd = -1;
      plot->SetCursor(c);
      text.Show(" " + text.Amplitude(c.value));
      view_.Windows().LevelChanged(c.value);
      return;
    }
    default: return;
  }
  view_.ClearSelection();
  dragging_ = true;
  pressX_ = pos.x();
  view_.NotifyAttached();
}

void CursorInput::Move(const QPoint& pos, bool buttonDown) {
  if (!view_.Document()) return;
  nv::SoundPlot* plot = view_.Plot();
  SoundViewReadout& text = view_.Readout();
  const nv::CursorMode mode = host_.CursorMode();
  const PlotPoint p = PointAt(pos);
  plot->setCursor(nv::IsMeasuringMode(mode) && p.area != nv::PlotArea::None ? Qt::CrossCursor : Qt::ArrowCursor);
  if (dragging_ && buttonDown) {
    const CursorRecord& c = plot->Cursor();
    CursorRecord a = c, b = c;
    b.position = p.sample;
    if (nv::IsMeasuringKind(c.kind)) b.value = c.inSpectrogram ? p.frequency : p.amplitude;
    plot->SetSelection(a, b);
    text.ShowSelection();
    return;
  }
  if (dragging_) return;
  const int64_t ns = plot->Setup().SampleToNs(p.sample);
  if (p.area == nv::PlotArea::None) {
    if (mode != nv::CursorMode::None) text.Show(QString());
    return;
  }
  const CursorRecord& c = plot->Cursor();
  if (nv::IsMeasuringMode(mode)) {
    if (p.area == nv::PlotArea::Oscillogram) {
      QString t = text.Time(ns) + " " + text.Amplitude(p.amplitude);
      if (c.position >= 0 && nv::IsMeasuringKind(c.kind) && !c.inSpectrogram)
        t += ", Distance: " + text.Time(ns - plot->Setup().SampleToNs(c.position)) + " " +
             text.Amplitude(p.amplitude - c.value);
      text.Show(t);
    } else {
      QString t = text.Time(ns) + ", " + text.Frequency(p.frequency);
      if (c.position >= 0 && nv::IsMeasuringKind(c.kind) && c.inSpectrogram)
        t += ", Distance: " + text.Time(ns - plot->Setup().SampleToNs(c.position)) + " " +
             text.Frequency(p.frequency - c.value);
      text.Show(t);
    }
  } else if (mode == nv::CursorMode::Level && p.area == nv::PlotArea::Oscillogram) {
    text.Show(text.Amplitude(std::abs(p.amplitude)));
  }
}

void CursorInput::Release(const QPoint& pos) {
  if (!dragging_) return;
  dragging_ = false;
  if (nv::DragIsClick(pressX_, pos.x())) {
    view_.ClearSelection();
    view_.Readout().ShowSelection();
  }
  view_.NotifyAttached();
}

void CursorInput::Leave() {
  if (!dragging_ && host_.CursorMode() != nv::CursorMode::None) view_.Readout().Show(QString());
}

void CursorInput::MoveByKey(int key) {
  nv::SoundPlot* plot = view_.Plot();
  const nv::CNorvaneDoc* doc = view_.Document();
  CursorRecord c = plot->Cursor();
  if (c.position < 0 || !doc) {
    QApplication::beep();
    return;
  }
  const nv::PlotSetup& s = plot->Setup();
  const int64_t unitsPerPixel = std::max(s.scale().unitsPerPixel, 1);
  const int64_t w = std::max(s.layout.plotWidth, 1);
  const int64_t samplesPerPixel = std::max<int64_t>(int64_t{s.samplesPerPlot()} * unitsPerPixel / w, 1);
  if (key == Qt::Key_Left || key == Qt::Key_Right) {
    const int64_t p = c.position + (key == Qt::Key_Left ? -samplesPerPixel : samplesPerPixel);
    if (p < s.firstVisible() || p > s.lastVisible() || p > doc->FrameCount()) return;
    c.position = static_cast<int32_t>(p);
  } else {
    if (!nv::IsMeasuringKind(c.kind)) return;
    const int dir = key == Qt::Key_Up ? 1 : -1;
    int64_t step;
    if (c.inSpectrogram) {
      const int64_t h = std::max(s.layout.spect.height(), 1);
      step = (int64_t{s.spect.maxFrequencyHz} - s.spect.minFrequencyHz) * unitsPerPixel / h;
    } else {
      const int64_t h = std::max(s.layout.osc.height(), 1);
      step = (int64_t{s.amp.max} - s.amp.min) * unitsPerPixel / h;
    }
    if (step < 1) step = 1;
    const int64_t v = c.value + dir * step;
    if (c.inSpectrogram ? (v < s.spect.minFrequencyHz || v > s.spect.maxFrequencyHz)
                        : (v < s.amp.min || v > s.amp.max || v > 10000 || v < -10000))
      return;
    c.value = static_cast<int32_t>(v);
  }
  plot->SetCursor(c);
  if (nv::IsMeasuringKind(c.kind))
    view_.Readout().Show(view_.Readout().Measurement(c));
  else
    view_.Readout().ShowSelection();
  view_.NotifyAttached();
}
