#include "views/SoundViewReadout.h"

#include "document/CNorvaneDoc.h"
#include "plot/SoundPlot.h"
#include "plot/TimeFormat.h"
#include "views/CNvAnaView.h"
#include "views/CursorMode.h"
#include "views/StatusStrip.h"

QString SoundViewReadout::Time(int64_t ns) const {
  return QString::fromStdString(nv::FormatTimeWithUnit(view_.Plot()->Setup().readoutCode, ns));
}

QString SoundViewReadout::Amplitude(int32_t a) const {
  return QString::fromStdString(nv::FormatDouble(view_.Plot()->Setup().amp.readoutFormat, a / 100.0));
}

QString SoundViewReadout::Frequency(int32_t hz) const {
  return QString::fromStdString(nv::FormatDouble(view_.Plot()->Setup().freq.khzFormat, hz / 1000.0));
}

QString SoundViewReadout::Measurement(const nv::CursorRecord& c) const {
  return Time(view_.Plot()->Setup().SampleToNs(c.position)) + " " +
         (c.inSpectrogram ? Frequency(c.value) : Amplitude(c.value));
}

void SoundViewReadout::Show(const QString& text) { view_.Strip()->SetStatusText(text); }

void SoundViewReadout::ShowFormat() {
  const nv::CNorvaneDoc* doc = view_.Document();
  if (!doc) return;
  const auto& f = doc->Format();
  view_.Strip()->SetFormatText(QString::fromStdString(
      nv::FormatStatusText(f.nChannels, f.wBitsPerSample, f.nSamplesPerSec, doc->Info().TimeExpansion())));
}

void SoundViewReadout::ShowSelection() {
  const nv::SoundPlot* plot = view_.Plot();
  const nv::CursorRecord& c = plot->Cursor();
  if (plot->HasSelection()) {
    const int64_t a = plot->Setup().SampleToNs(plot->SelectionStart().position);
    const int64_t b = plot->Setup().SampleToNs(plot->SelectionEnd().position);
    Show(Time(a) + " - " + Time(b) + " Distance: " + Time(b - a));
  } else if (c.position >= 0 && (c.kind == nv::CursorKind::Marking || c.kind == nv::CursorKind::MarkingStereo)) {
    Show(Time(plot->Setup().SampleToNs(c.position)));
  } else if (c.position < 0) {
    Show(QString());
  }
}
