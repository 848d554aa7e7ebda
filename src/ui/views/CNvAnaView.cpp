#include "views/CNvAnaView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "audio/PlaybackEngine.h"
#include "document/CNorvaneDoc.h"
#include "plot/AxisRules.h"
#include "plot/SoundPlot.h"
#include "plot/TimeFormat.h"
#include "base/CommandIds.h"
#include "views/AnalysisChannel.h"
#include "views/AttachedWindow.h"
#include "views/CNvAnaViewPower.h"
#include "views/CursorMode.h"
#include "views/PulseViewAnalyses.h"
#include "views/StatusStrip.h"
#include "views/ViewHost.h"

using nv::CursorRecord;

namespace {

int AppCursorMode() { return ViewHost::Get().CursorMode(); }

void SetAppCursorMode(int m) { ViewHost::Get().SetCursorMode(m); }

bool AppPlaying() { return ViewHost::Get().IsPlaying(); }

DocumentRates RatesOf(const nv::CNorvaneDoc* doc) {
  DocumentRates r;
  if (doc) {
    r.sampleRateHz = doc->Format().nSamplesPerSec;
    r.timeExpansion = doc->Info().TimeExpansion() > 0 ? doc->Info().TimeExpansion() : 1000;
  }
  return r;
}

}  // namespace

CNvAnaView::CNvAnaView(nv::CNorvaneDoc* doc, QWidget* parent)
    : QWidget(parent), doc_(doc), settings_(ViewHost::Get().DefaultAnalysis()), nav_(&settings_) {
  setFocusPolicy(Qt::StrongFocus);
  plot_ = new nv::SoundPlot(this);
  plot_->SetSettings(&settings_);
  plot_->setMouseTracking(true);
  plot_->installEventFilter(this);
  scroll_ = new QScrollBar(Qt::Horizontal, this);
  strip_ = new StatusStrip(this);
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(0);
  // The strip lies across the bottom of the client area, right under the
  // plot; the scroll bar is the view's frame below it.
  v->addWidget(plot_, 1);
  v->addWidget(strip_);
  v->addWidget(scroll_);
  connect(scroll_, &QScrollBar::valueChanged, this, [this](int value) {
    if (!scrolling_) ScrollTo(value);
  });
  power_ = std::make_unique<CNvAnaViewPower>(this);
  pulses_ = std::make_unique<PulseViewAnalyses>(this);
}

CNvAnaView::~CNvAnaView() { Detach(); }

void CNvAnaView::Detach() {
  StopPlayback();
  StopDetectorPlayback();
  if (!doc_) return;
  // Pulse workers are stopped and joined before the document can go.
  if (pulses_) pulses_->CloseAll();
  for (auto* d : std::initializer_list<QWidget*>{spectDlg_.Get(), oscDlg_.Get(), zcDlg_.Get()})
    if (d) d->close();
  power_->CloseAll();
  attached_.clear();
  plot_->SetDocument(nullptr);
  doc_->RemoveView(this);
  doc_ = nullptr;
}

void CNvAnaView::OnInitialUpdate() {
  if (!doc_ || initialised_) return;
  initialised_ = true;
  // Step 1: the known values.
  int64_t expansion = doc_->Info().TimeExpansion();
  if (expansion <= 0) expansion = 1000;
  nav_.SetKnown(doc_->Format().nSamplesPerSec, expansion);

  // Step 2: where the settings come from.
  const bool fromFile = !doc_->PendingViewRecords().empty();
  auto* other = dynamic_cast<CNvAnaView*>(doc_->ActiveSoundView());
  std::optional<nv::AnalysisSettings> start = doc_->RegisterSoundView(this);
  if (start) settings_ = *start;
  if (!fromFile) ApplyKind(settings_);
  if (!fromFile && other && other != this) {
    if (other->HasSelection()) {
      const CursorRecord& a = other->plot_->SelectionStart();
      const nv::ZoomSelection sel = other->SelectionForZoom();
      if (a.kind != nv::kCursorMarkingStereo && doc_->Format().nChannels > 1) {
        if (a.channel == 1) {
          settings_.leftChannel = 1;
          settings_.rightChannel = 0;
        } else if (a.channel == 2) {
          settings_.leftChannel = 0;
          settings_.rightChannel = 1;
        }
      }
      nav_.OpenAt(sel, settings_.spectrogramShown != 0 || settings_.freqPlot != 0,
                  settings_.oscillogramShown != 0);
    } else {
      settings_.firstVisibleSample = other->settings_.firstVisibleSample;
      settings_.lastVisibleSample = other->settings_.lastVisibleSample;
      settings_.timePerPlotUs = other->settings_.timePerPlotUs;
    }
  } else if (!fromFile && !start) {
    settings_.firstVisibleSample = 0;
    settings_.lastVisibleSample = -1;
  }
  // Step 3.
  if (settings_.timePerPlotUs <= 0) settings_.timePerPlotUs = 1;
  if (doc_->FrameCount() <= 0) {
    settings_.maxFrequencyHz = -1;
    settings_.minFrequencyHz = -1;
    for (int i = 0; i < nav_.History().Size(); ++i) nav_.History().At(i).upperHz = nav_.History().At(i).lowerHz = -1;
  }
  // Step 4: grid counts outside 0 ... 5.
  auto grid = [](int32_t& g, int32_t reset) {
    if (g < -1 || g > 5) g = reset;
  };
  grid(settings_.oscGridX, 0);
  grid(settings_.oscGridY, 0);
  grid(settings_.spectGridX, 0);
  grid(settings_.spectGridY, -1);
  grid(settings_.freqGridX, 0);
  grid(settings_.freqGridY, -1);
  // Step 5.
  nav_.TakeDefaults();
  // A sound shorter than the span opens fitted to the window (Default Zoom
  // still restores the span of the settings); a view record of the file or
  // another view of the sound gives its own stretch instead.
  if (!fromFile && !start && !(other && other != this) &&
      nv::ViewNavigator::FitsOnOpening(ViewHost::Get().FitShortSounds(), DocumentDurationUs(),
                                       settings_.timePerPlotUs))
    nav_.FitToSound(DocumentDurationUs(), false);
  // Step 6.
  plot_->SetDocument(doc_);
  plot_->SyncMarks();
  UpdateFormatText();
  Recompute();
}

void CNvAnaView::OnActivateView() {
  if (!doc_) return;
  // Before its initial update a new view is not yet one of the document's.
  if (initialised_) doc_->SetActiveSoundView(this);
  ViewHost& host = ViewHost::Get();
  host.SetActiveViewKind(ActiveViewKind::SoundView);
  host.SetCursorMode(nv::ModeOnActivation(host.CursorMode(), doc_->Format().nChannels));
}

void CNvAnaView::Recompute() {
  if (!doc_) return;
  plot_->Recompute();
  // A stored or zoomed-out start may lie past the last full page: the plot
  // starts no later than where the sound's end meets the plot's right edge.
  const int64_t first = plot_->Setup().firstVisible();
  const int64_t kept = VisibleRange().Clamp(first);
  if (kept != first) plot_->SetFirstSample(kept);
  ResetScrollBar();
  UpdateFormatText();
}

nv::ScrollRange CNvAnaView::VisibleRange() const {
  return nv::ScrollRange(doc_ ? doc_->FrameCount() : 0, plot_->Setup().samplesPerPlot());
}

void CNvAnaView::ResetScrollBar() {
  const nv::PlotSetup& s = plot_->Setup();
  const nv::ScrollRange range = VisibleRange();
  const int64_t page = range.Page();
  const int64_t tick = s.effectiveRateHz() > 0 ? s.tickNs * s.effectiveRateHz() / 1000000000 : 1;
  scrolling_ = true;
  scroll_->setRange(0, static_cast<int>(range.MaxFirst()));
  scroll_->setPageStep(static_cast<int>(page));
  scroll_->setSingleStep(static_cast<int>(std::clamp<int64_t>(tick, 1, page)));
  scroll_->setValue(static_cast<int>(range.Clamp(s.firstVisible())));
  scrolling_ = false;
}

void CNvAnaView::ScrollTo(int64_t first) {
  if (!doc_) return;
  first = VisibleRange().Clamp(first);
  plot_->SetFirstSample(first);
  scrolling_ = true;
  scroll_->setValue(static_cast<int>(first));
  scrolling_ = false;
}

void CNvAnaView::ScrollStep(int direction) {
  ScrollTo(VisibleRange().Step(plot_->Setup().firstVisible(), direction, scroll_->singleStep()));
}

void CNvAnaView::ScrollPage(int direction) {
  const nv::ScrollRange range = VisibleRange();
  ScrollTo(direction == -2 ? range.Home()
           : direction == 2 ? range.End()
                            : range.PageStep(plot_->Setup().firstVisible(), direction));
}

void CNvAnaView::Wheel(int angleDelta, const QPoint& plotPos, bool zoom) {
  if (!doc_ || angleDelta == 0) return;
  const nv::PlotSetup& s = plot_->Setup();
  if (!zoom) {
    ScrollTo(VisibleRange().WheelStep(s.firstVisible(), angleDelta));
    return;
  }
  const bool newGesture = !wheelZoomClock_.isValid() || wheelZoomClock_.elapsed() > 600;
  wheelZoomClock_.restart();
  const double notches = angleDelta / double{nv::ScrollRange::kWheelNotch};
  if (nav_.WheelZoom(notches, PointAt(plotPos).sample, s.firstVisible(), s.samplesPerPlot(),
                     DocumentDurationUs(), newGesture))
    Recompute();
}

int64_t CNvAnaView::DocumentDurationUs() const {
  return doc_ ? doc_->FramesToMicroseconds(doc_->FrameCount()) : 0;
}

nv::ZoomSelection CNvAnaView::SelectionForZoom() const {
  const CursorRecord& a = plot_->SelectionStart();
  const CursorRecord& b = plot_->SelectionEnd();
  nv::ZoomSelection z;
  z.startSample = a.position;
  z.endSample = b.position;
  z.startNs = plot_->Setup().SampleToNs(a.position);
  z.endNs = plot_->Setup().SampleToNs(b.position);
  z.measuring = nv::IsMeasuringMode(a.kind);
  z.inSpectrogram = a.inSpectrogram;
  z.value1 = a.value;
  z.value2 = b.value;
  return z;
}

void CNvAnaView::ZoomIn() {
  if (!doc_) return;
  wheelZoomClock_.invalidate();
  if (HasSelection()) {
    const nv::ZoomSelection z = SelectionForZoom();
    nav_.ZoomIn(&z, 0, 0);
    ClearSelection();
  } else {
    nav_.ZoomIn(nullptr, plot_->Setup().firstVisible(), plot_->Setup().lastVisible());
  }
  Recompute();
}

void CNvAnaView::ZoomOut() {
  if (!doc_) return;
  wheelZoomClock_.invalidate();
  nav_.ZoomOut(plot_->Setup().firstVisible(), plot_->Setup().lastVisible());
  Recompute();
}

void CNvAnaView::DefaultZoom() {
  wheelZoomClock_.invalidate();
  nav_.DefaultZoom();
  Recompute();
}

void CNvAnaView::ZoomEntire() {
  wheelZoomClock_.invalidate();
  nav_.ZoomEntire(DocumentDurationUs());
  Recompute();
}

void CNvAnaView::FitToWindow() {
  if (!doc_) return;
  wheelZoomClock_.invalidate();
  nav_.FitToSound(DocumentDurationUs(), true);
  Recompute();
}

bool CNvAnaView::HasSelection() const { return plot_->HasSelection(); }

int32_t CNvAnaView::SelectionEnd() const {
  return HasSelection() ? plot_->SelectionEnd().position : -1;
}

void CNvAnaView::ClearSelection() {
  const bool had = HasSelection();
  plot_->SetSelection(CursorRecord{}, CursorRecord{});
  // The selection's text goes with it: what is left is the cursor's.
  const CursorRecord& c = plot_->Cursor();
  if (had && c.position >= 0 && nv::IsMeasuringMode(c.kind))
    SetStatus(TimeText(plot_->Setup().SampleToNs(c.position)) + " " +
              (c.inSpectrogram ? FrequencyText(c.value) : AmplitudeText(c.value)));
  else if (had)
    ShowSelectionText();
}

void CNvAnaView::SelectFrames(int32_t start, int32_t end) {
  CursorRecord a;
  a.position = start;
  a.channel = 3;
  CursorRecord b = a;
  b.position = end;
  plot_->SetSelection(a, b);
  ShowSelectionText();
  NotifyAttached();
}

void CNvAnaView::OnNewLength(int32_t frames) {
  (void)frames;
  if (initialised_) Recompute();
}

void CNvAnaView::OnUpdate(nv::UpdateHint hint) {
  if (!doc_ || !initialised_) return;
  plot_->SyncMarks();
  if (!doc_->Marks().Active()) moveMarkMode_ = false;
  if (hint == nv::UpdateHint::SamplesChanged) {
    plot_->SamplesChanged();
    RescaleToDocument();
    Recompute();
    power_->SamplesChanged();
    if (pulses_) pulses_->DocumentChanged();
  }
}

void CNvAnaView::RescaleToDocument() {
  if (!doc_) return;
  int64_t expansion = doc_->Info().TimeExpansion();
  if (expansion <= 0) expansion = 1000;
  if (nav_.Rescale(doc_->Format().nSamplesPerSec, expansion)) {
    Recompute();
    NotifyAttached(true);
  }
}

void CNvAnaView::ClearMeasurementAndHistory() {
  if (nv::IsMeasuringMode(plot_->Cursor().kind)) plot_->SetCursor(CursorRecord{});
  ClearSelection();
  nav_.History().Clear();
}

void CNvAnaView::Attach(AttachedWindow* w) {
  if (w && std::find(attached_.begin(), attached_.end(), w) == attached_.end()) attached_.push_back(w);
}

void CNvAnaView::DetachWindow(AttachedWindow* w) {
  attached_.erase(std::remove(attached_.begin(), attached_.end(), w), attached_.end());
}

void CNvAnaView::NotifyAttached(bool fullUpdate) {
  int32_t start = -1, end = -1;
  int gesture = 3;
  if (HasSelection()) {
    // Smaller bound first, whichever way the selection was dragged.
    const int32_t a = plot_->SelectionStart().position, b = plot_->SelectionEnd().position;
    start = std::min(a, b);
    end = std::max(a, b);
    gesture = plot_->SelectionStart().channel;
  } else if (plot_->Cursor().position >= 0) {
    start = plot_->Cursor().position;
    gesture = plot_->Cursor().channel;
  }
  // The channel the user sees: in a view of one channel of a stereo sound,
  // that channel, whatever the click or drag carried.
  const int channels = nv::AnalysisChannel(gesture, doc_ ? doc_->Format().nChannels : 1,
                                           settings_.leftChannel != 0, settings_.rightChannel != 0);
  for (AttachedWindow* w : std::vector<AttachedWindow*>(attached_))
    w->SelectionChanged(start, end, channels, fullUpdate);
}

// ---- Text of the readouts ----

QString CNvAnaView::TimeText(int64_t ns) const {
  return QString::fromStdString(nv::FormatTimeWithUnit(plot_->Setup().readoutCode, ns));
}

QString CNvAnaView::AmplitudeText(int32_t a) const {
  return QString::fromStdString(nv::FormatDouble(plot_->Setup().amp.readoutFormat, a / 100.0));
}

QString CNvAnaView::FrequencyText(int32_t hz) const {
  return QString::fromStdString(nv::FormatDouble(plot_->Setup().freq.khzFormat, hz / 1000.0));
}

void CNvAnaView::SetStatus(const QString& t) { strip_->SetStatusText(t); }

void CNvAnaView::UpdateFormatText() {
  if (!doc_) return;
  const auto& f = doc_->Format();
  strip_->SetFormatText(QString::fromStdString(
      nv::FormatStatusText(f.nChannels, f.wBitsPerSample, f.nSamplesPerSec, doc_->Info().TimeExpansion())));
}

void CNvAnaView::ShowSelectionText() {
  if (HasSelection()) {
    const int64_t a = plot_->Setup().SampleToNs(plot_->SelectionStart().position);
    const int64_t b = plot_->Setup().SampleToNs(plot_->SelectionEnd().position);
    SetStatus(TimeText(a) + " - " + TimeText(b) + " Distance: " + TimeText(b - a));
  } else if (plot_->Cursor().position >= 0 &&
             (plot_->Cursor().kind == nv::kCursorMarking || plot_->Cursor().kind == nv::kCursorMarkingStereo)) {
    SetStatus(TimeText(plot_->Setup().SampleToNs(plot_->Cursor().position)));
  } else if (plot_->Cursor().position < 0) {
    SetStatus(QString());
  }
}

// ---- Mouse ----

CNvAnaView::PlotPoint CNvAnaView::PointAt(const QPoint& local) const {
  const nv::PlotSetup& s = plot_->Setup();
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

void CNvAnaView::OnMousePress(const QPoint& pos) {
  const int mode = AppCursorMode();
  if (mode == nv::kModeNone || !doc_) return;
  const PlotPoint p = PointAt(pos);
  if (p.area == nv::kAreaNone) return;
  const bool inSpect = p.area != nv::kAreaOscillogram;
  CursorRecord c;
  c.position = p.sample;
  c.channel = p.channel;
  switch (mode) {
    case nv::kModeMarking:
    case nv::kModeMarkingStereo:
      c.kind = mode;
      c.value = 0;
      if (mode == nv::kModeMarkingStereo) c.channel = 3;
      plot_->SetCursor(c);
      SetStatus(TimeText(plot_->Setup().SampleToNs(c.position)));
      break;
    case nv::kModeMeasurement:
    case nv::kModeLargeMeasurement:
      c.kind = mode;
      c.inSpectrogram = inSpect;
      c.value = inSpect ? p.frequency : p.amplitude;
      plot_->SetCursor(c);
      SetStatus(TimeText(plot_->Setup().SampleToNs(c.position)) + " " +
                (inSpect ? FrequencyText(c.value) : AmplitudeText(c.value)));
      break;
    case nv::kModeLevel: {
      if (inSpect) return;
      c.kind = nv::kCursorLevel;
      c.value = std::abs(p.amplitude);
      c.rangeStart = c.rangeEnd = -1;
      plot_->SetCursor(c);
      SetStatus(" " + AmplitudeText(c.value));
      for (AttachedWindow* w : std::vector<AttachedWindow*>(attached_)) w->LevelChanged(c.value);
      return;
    }
    default: return;
  }
  ClearSelection();
  dragging_ = true;
  pressX_ = pos.x();
  NotifyAttached();
}

void CNvAnaView::OnMouseMove(const QPoint& pos, bool buttonDown) {
  if (!doc_) return;
  const int mode = AppCursorMode();
  const PlotPoint p = PointAt(pos);
  plot_->setCursor(nv::IsMeasuringMode(mode) && p.area != nv::kAreaNone ? Qt::CrossCursor : Qt::ArrowCursor);
  if (dragging_ && buttonDown) {
    const CursorRecord& c = plot_->Cursor();
    CursorRecord a = c, b = c;
    b.position = p.sample;
    if (nv::IsMeasuringMode(c.kind)) b.value = c.inSpectrogram ? p.frequency : p.amplitude;
    plot_->SetSelection(a, b);
    ShowSelectionText();
    return;
  }
  if (dragging_) return;
  const int64_t ns = plot_->Setup().SampleToNs(p.sample);
  if (p.area == nv::kAreaNone) {
    if (mode != nv::kModeNone) SetStatus(QString());
    return;
  }
  const CursorRecord& c = plot_->Cursor();
  if (nv::IsMeasuringMode(mode)) {
    if (p.area == nv::kAreaOscillogram) {
      QString t = TimeText(ns) + " " + AmplitudeText(p.amplitude);
      if (c.position >= 0 && nv::IsMeasuringMode(c.kind) && !c.inSpectrogram)
        t += ", Distance: " + TimeText(ns - plot_->Setup().SampleToNs(c.position)) + " " +
             AmplitudeText(p.amplitude - c.value);
      SetStatus(t);
    } else {
      QString t = TimeText(ns) + ", " + FrequencyText(p.frequency);
      if (c.position >= 0 && nv::IsMeasuringMode(c.kind) && c.inSpectrogram)
        t += ", Distance: " + TimeText(ns - plot_->Setup().SampleToNs(c.position)) + " " +
             FrequencyText(p.frequency - c.value);
      SetStatus(t);
    }
  } else if (mode == nv::kModeLevel && p.area == nv::kAreaOscillogram) {
    SetStatus(AmplitudeText(std::abs(p.amplitude)));
  }
}

void CNvAnaView::OnMouseRelease(const QPoint& pos) {
  if (!dragging_) return;
  dragging_ = false;
  if (nv::DragIsClick(pressX_, pos.x())) {
    ClearSelection();
    ShowSelectionText();
  }
  NotifyAttached();
}

bool CNvAnaView::eventFilter(QObject* o, QEvent* e) {
  if (o != plot_) return QWidget::eventFilter(o, e);
  switch (e->type()) {
    case QEvent::MouseButtonPress: {
      auto* m = static_cast<QMouseEvent*>(e);
      setFocus();
      if (m->button() == Qt::LeftButton) OnMousePress(m->position().toPoint());
      return false;
    }
    case QEvent::MouseMove: {
      auto* m = static_cast<QMouseEvent*>(e);
      OnMouseMove(m->position().toPoint(), m->buttons() & Qt::LeftButton);
      return false;
    }
    case QEvent::MouseButtonRelease: {
      auto* m = static_cast<QMouseEvent*>(e);
      if (m->button() == Qt::LeftButton) OnMouseRelease(m->position().toPoint());
      return false;
    }
    case QEvent::Wheel: {
      auto* w = static_cast<QWheelEvent*>(e);
      const QPoint d = w->angleDelta();
      Wheel(d.y() != 0 ? d.y() : d.x(), w->position().toPoint(), w->modifiers() & Qt::ControlModifier);
      return true;
    }
    case QEvent::Leave:
      if (!dragging_ && AppCursorMode() != nv::kModeNone) SetStatus(QString());
      return false;
    case QEvent::ContextMenu: {
      auto* c = static_cast<QContextMenuEvent*>(e);
      std::unique_ptr<QMenu> menu(MakeContextMenu(c->globalPos()));
      menu->exec(c->globalPos());
      return true;
    }
    case QEvent::Resize:
      if (initialised_) QMetaObject::invokeMethod(this, [this] { Recompute(); }, Qt::QueuedConnection);
      return false;
    default: return false;
  }
}

QMenu* CNvAnaView::MakeContextMenu(const QPoint& globalPos) {
  contextDiagram_ = plot_->HitTest(globalPos);
  auto* menu = new QMenu(this);
  auto add = [this, menu](int id, const QString& text) {
    QAction* a = menu->addAction(text);
    a->setData(id);
    CommandState st;
    const bool known = OnUpdateCommand(id, st);
    a->setEnabled(known && st.enabled);
    if (st.checked) {
      a->setCheckable(true);
      a->setChecked(true);
    }
    connect(a, &QAction::triggered, this, [this, id] {
      OnCommand(id);
      ViewHost::Get().RequestCommandUpdate();
    });
  };
  add(cmd::kEditCut, "Cut");
  add(cmd::kEditCopy, "Copy");
  add(cmd::kEditCopyAscii, "Copy Ascii");
  add(cmd::kEditPaste, "Paste");
  menu->addSeparator();
  add(cmd::kCursorMarking, "Marking cursor");
  add(cmd::kCursorMarkingStereo, "Marking cursor - stereo");
  add(cmd::kCursorMeasurement, "Measurement cursor");
  add(cmd::kCursorLargeMeasurement, "Large measurement cursor");
  add(cmd::kCursorLevel, "Level cursor");
  menu->addSeparator();
  add(cmd::kSaveCursor, "Save cursor");
  add(cmd::kPowerSpectrum, "&Power Spectrum");
  if (contextDiagram_ != nv::kAreaNone) menu->addSeparator();
  if (contextDiagram_ == nv::kAreaSpectrogram)
    add(cmd::kSpectSettingsCurrent, "Spec&trogram Settings - current diagram");
  else if (contextDiagram_ == nv::kAreaOscillogram)
    add(cmd::kOscSettingsCurrent, "Oscillo&gram Settings - current diagram");
  else if (contextDiagram_ == nv::kAreaZeroCrossing)
    add(cmd::kZcSettingsCurrent, "Zero Crossing Analysis Settings - current diagram");
  return menu;
}

// ---- Keys ----

void CNvAnaView::keyPressEvent(QKeyEvent* e) {
  if (e->modifiers() == Qt::NoModifier &&
      (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right || e->key() == Qt::Key_Up ||
       e->key() == Qt::Key_Down)) {
    if (OnPlayKey(e->key())) return;  // volume and rate while playing
    if (MoveMarkMode()) {
      MoveActiveMarkByKey(e->key());  // a step off the plot is refused
      return;
    }
    MoveCursorByKey(e->key());
    return;
  }
  // The volume keys of every playback, also through the detector, whose
  // Up and Down retune it.
  if (e->modifiers() == Qt::ShiftModifier && (e->key() == Qt::Key_Up || e->key() == Qt::Key_Down) &&
      (OnPlayKey(e->key()) || OnVolumeKey(e->key())))
    return;
  QWidget::keyPressEvent(e);
}

void CNvAnaView::MoveCursorByKey(int key) {
  if (detector_.IsOn()) {
    MoveDetectorLineByKey(key);
    return;
  }
  CursorRecord c = plot_->Cursor();
  if (c.position < 0 || !doc_) {
    QApplication::beep();
    return;
  }
  const nv::PlotSetup& s = plot_->Setup();
  const int64_t unitsPerPixel = std::max(s.scale().unitsPerPixel, 1);
  const int64_t w = std::max(s.layout.plotWidth, 1);
  const int64_t samplesPerPixel = std::max<int64_t>(int64_t{s.samplesPerPlot()} * unitsPerPixel / w, 1);
  if (key == Qt::Key_Left || key == Qt::Key_Right) {
    const int64_t p = c.position + (key == Qt::Key_Left ? -samplesPerPixel : samplesPerPixel);
    if (p < s.firstVisible() || p > s.lastVisible() || p > doc_->FrameCount()) return;
    c.position = static_cast<int32_t>(p);
  } else {
    if (!nv::IsMeasuringMode(c.kind)) return;
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
  plot_->SetCursor(c);
  if (nv::IsMeasuringMode(c.kind))
    SetStatus(TimeText(s.SampleToNs(c.position)) + " " +
              (c.inSpectrogram ? FrequencyText(c.value) : AmplitudeText(c.value)));
  else
    ShowSelectionText();
  NotifyAttached();
}

// ---- Settings ----

void CNvAnaView::TakeSettings(const nv::AnalysisSettings& s) {
  const int64_t first = settings_.firstVisibleSample, last = settings_.lastVisibleSample;
  settings_ = s;
  settings_.firstVisibleSample = first;
  settings_.lastVisibleSample = last;
  Recompute();
  NotifyAttached(true);
}

void CNvAnaView::OpenSettings(int area) {
  const DocumentRates rates = RatesOf(doc_);
  auto hook = [this](auto* dlg) {
    // The dialog's fields go into the settings as they are when OK or Apply
    // is pressed, not as they were when it opened: a zoom or another
    // dialog's change made meanwhile stays.
    dlg->SetLiveRecord([this] { return settings_; });
    connect(dlg, &SettingsDialogBase::applied, this,
            [this](const nv::AnalysisSettings& s, bool) { TakeSettings(s); });
    return dlg;
  };
  if (area == nv::kAreaSpectrogram)
    spectDlg_.Open([&] { return hook(new SpectrogramSettingsDialog(settings_, false, rates, this)); });
  else if (area == nv::kAreaOscillogram)
    oscDlg_.Open([&] { return hook(new OscillogramSettingsDialog(settings_, false, rates, this)); });
  else if (area == nv::kAreaZeroCrossing)
    zcDlg_.Open([&] { return hook(new ZeroCrossingSettingsDialog(settings_, false, rates, this)); });
}

// ---- Commands ----

bool CNvAnaView::OnCommand(int id) {
  using namespace cmd;
  if (OnDetectorCommand(id)) return true;
  if (OnPulseCommand(id)) return true;
  if (OnEditCommand(id)) return true;
  if (OnPlayCommand(id)) return true;
  if (OnRecordCommand(id)) return true;
  if (OnFormatCommand(id)) return true;
  if (OnMarkCommand(id)) return true;
  if (power_->OnCommand(id)) return true;
  switch (id) {
    case kZoomIn: ZoomIn(); return true;
    case kZoomOut: ZoomOut(); return true;
    case kZoomDefault: DefaultZoom(); return true;
    case kZoomEntire: ZoomEntire(); return true;
    case kScrollStepLeft: ScrollStep(-1); return true;
    case kScrollStepRight: ScrollStep(1); return true;
    case kZoomFit: FitToWindow(); return true;
    case kScrollPageLeft: ScrollPage(-1); return true;
    case kScrollPageRight: ScrollPage(1); return true;
    case kScrollHome: ScrollPage(-2); return true;
    case kScrollEnd: ScrollPage(2); return true;
    case kCursorMarking: SetAppCursorMode(nv::kModeMarking); return true;
    case kCursorMarkingStereo: SetAppCursorMode(nv::kModeMarkingStereo); return true;
    case kCursorMeasurement: SetAppCursorMode(nv::kModeMeasurement); return true;
    case kCursorLargeMeasurement: SetAppCursorMode(nv::kModeLargeMeasurement); return true;
    case kCursorLevel: SetAppCursorMode(nv::kModeLevel); return true;
    case kEditSelectAll:
      if (doc_) SelectFrames(0, doc_->FrameCount());
      return true;
    case kFileSaveInterval:
      if (doc_) {
        int64_t a = -1, b = -1;
        if (HasSelection()) {
          a = std::min(plot_->SelectionStart().position, plot_->SelectionEnd().position);
          b = std::max(plot_->SelectionStart().position, plot_->SelectionEnd().position);
        }
        ViewHost::Get().SaveRange(doc_, a, b);
      }
      return true;
    case kSpectSettingsCurrent: OpenSettings(nv::kAreaSpectrogram); return true;
    case kOscSettingsCurrent: OpenSettings(nv::kAreaOscillogram); return true;
    case kZcSettingsCurrent: OpenSettings(nv::kAreaZeroCrossing); return true;
    case kSpectSettingsDefault:
      ViewHost::Get().OpenDefaultSettings(nv::kAreaSpectrogram, window());
      return true;
    case kOscSettingsDefault:
      ViewHost::Get().OpenDefaultSettings(nv::kAreaOscillogram, window());
      return true;
    case kZcSettingsDefault:
      ViewHost::Get().OpenDefaultSettings(nv::kAreaZeroCrossing, window());
      return true;
    default: return false;
  }
}

bool CNvAnaView::OnUpdateCommand(int id, CommandState& st) {
  using namespace cmd;
  if (OnUpdateDetectorCommand(id, st)) return true;
  if (OnUpdatePulseCommand(id, st)) return true;
  if (OnUpdateEditCommand(id, st)) return true;
  if (OnUpdatePlayCommand(id, st)) return true;
  if (OnUpdateRecordCommand(id, st)) return true;
  if (OnUpdateFormatCommand(id, st)) return true;
  if (OnUpdateMarkCommand(id, st)) return true;
  if (power_->OnUpdateCommand(id, st)) return true;
  const int mode = AppCursorMode();
  switch (id) {
    case kZoomIn:
    case kZoomOut:
    case kZoomDefault:
    case kZoomEntire:
    case kScrollStepLeft:
    case kScrollStepRight:
    case kZoomFit:
    case kScrollPageLeft:
    case kScrollPageRight:
    case kScrollHome:
    case kScrollEnd:
    case kSpectSettingsDefault:
    case kOscSettingsDefault:
    case kZcSettingsDefault:
      st.enabled = doc_ != nullptr;
      return true;
    case kSpectSettingsCurrent:
    case kOscSettingsCurrent:
    case kZcSettingsCurrent:
      st.enabled = doc_ != nullptr;
      return true;
    case kEditSelectAll:
      st.enabled = doc_ && doc_->FrameCount() > 0;
      return true;
    case kFileSaveInterval:
      st.enabled = doc_ && !AppPlaying();
      return true;
    case kCursorMarking: st.checked = mode == nv::kModeMarking; return true;
    case kCursorMarkingStereo:
      st.checked = mode == nv::kModeMarkingStereo;
      st.enabled = doc_ && doc_->Format().nChannels > 1;
      return true;
    case kCursorMeasurement: st.checked = mode == nv::kModeMeasurement; return true;
    case kCursorLargeMeasurement: st.checked = mode == nv::kModeLargeMeasurement; return true;
    case kCursorLevel:
      st.checked = mode == nv::kModeLevel;
      st.enabled = mode == nv::kModeLevel;
      return true;
    default: return false;
  }
}
