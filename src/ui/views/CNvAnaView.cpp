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

#include "base/CommandIds.h"
#include "document/CNorvaneDoc.h"
#include "document/MarkList.h"
#include "plot/SoundPlot.h"
#include "views/AnalysisChannel.h"
#include "views/CursorInput.h"
#include "views/CursorMode.h"
#include "views/SoundViewControllers.h"
#include "views/SoundViewDetector.h"
#include "views/SoundViewMarks.h"
#include "views/SoundViewPlayback.h"
#include "views/SoundViewReadout.h"
#include "views/SoundViewZoom.h"
#include "views/StatusStrip.h"
#include "views/ViewHost.h"

using nv::CursorRecord;

CNvAnaView::CNvAnaView(ViewHost& host, nv::CNorvaneDoc* doc, QWidget* parent)
    : QWidget(parent), host_(host), doc_(doc), settings_(host.DefaultAnalysis()), nav_(&settings_) {
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
  readout_ = std::make_unique<SoundViewReadout>(*this);
  input_ = std::make_unique<CursorInput>(*this, host_);
  controllers_ = std::make_unique<SoundViewControllers>(*this, host_);
}

CNvAnaView::~CNvAnaView() { Detach(); }

void CNvAnaView::Detach() {
  controllers_->StopPlayback();
  if (!doc_) return;
  // Pulse workers are stopped and joined before the document can go.
  controllers_->CloseAll();
  windows_.Clear();
  plot_->SetDocument(nullptr);
  doc_->RemoveView(this);
  doc_ = nullptr;
}

void CNvAnaView::OnInitialUpdate() {
  if (!doc_ || initialised_) return;
  initialised_ = true;
  // Step 1: the known values.
  nav_.SetKnown(doc_->Format().nSamplesPerSec, doc_->Time().Repaired().ExpansionThousandths());

  // Step 2: where the settings come from.
  const bool fromFile = !doc_->PendingViewRecords().empty();
  auto* other = dynamic_cast<CNvAnaView*>(doc_->ActiveSoundView());
  std::optional<nv::AnalysisSettings> start = doc_->RegisterSoundView(this);
  if (start) settings_ = *start;
  if (!fromFile) ApplyKind(settings_);
  if (!fromFile && other && other != this) {
    if (other->HasSelection()) {
      const CursorRecord& a = other->plot_->SelectionStart();
      const nv::ZoomSelection sel = other->Controllers().Zoom().SelectionForZoom();
      if (a.kind != nv::CursorKind::MarkingStereo && doc_->Format().nChannels > 1) {
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
      nv::ViewNavigator::FitsOnOpening(host_.FitShortSounds(), DocumentDurationUs(),
                                       settings_.timePerPlotUs))
    nav_.FitToSound(DocumentDurationUs(), false);
  // Step 6.
  plot_->SetDocument(doc_);
  plot_->SyncMarks();
  readout_->ShowFormat();
  Recompute();
}

void CNvAnaView::OnActivateView() {
  if (!doc_) return;
  // Before its initial update a new view is not yet one of the document's.
  if (initialised_) doc_->SetActiveSoundView(this);
  host_.SetActiveViewKind(ActiveViewKind::SoundView);
  host_.SetCursorMode(nv::ModeOnActivation(host_.CursorMode(), doc_->Format().nChannels));
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
  readout_->ShowFormat();
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

void CNvAnaView::ScrollToMark(int32_t number) {
  if (!doc_) return;
  const nv::MarkRecord* m = doc_->Marks().Find(number);
  if (!m) return;
  const int64_t visible = doc_->MicrosecondsToFrames(settings_.timePerPlotUs);
  settings_.firstVisibleSample = nv::MarkScrollStart(m->position, visible, doc_->FrameCount());
  settings_.lastVisibleSample = -1;
  Recompute();
}

int64_t CNvAnaView::DocumentDurationUs() const {
  return doc_ ? doc_->FramesToMicroseconds(doc_->FrameCount()) : 0;
}

bool CNvAnaView::HasSelection() const { return plot_->HasSelection(); }

nv::FrameIndex CNvAnaView::SelectionEnd() const {
  return HasSelection() ? plot_->SelectionEnd().position : -1;
}

void CNvAnaView::ClearSelection() {
  const bool had = HasSelection();
  plot_->SetSelection(CursorRecord{}, CursorRecord{});
  // The selection's text goes with it: what is left is the cursor's.
  const CursorRecord& c = plot_->Cursor();
  if (had && c.position >= 0 && nv::IsMeasuringKind(c.kind))
    readout_->Show(readout_->Measurement(c));
  else if (had)
    readout_->ShowSelection();
}

void CNvAnaView::SelectFrames(int32_t start, int32_t end) {
  CursorRecord a;
  a.position = start;
  a.channel = 3;
  CursorRecord b = a;
  b.position = end;
  plot_->SetSelection(a, b);
  readout_->ShowSelection();
  NotifyAttached();
}

void CNvAnaView::OnNewLength(nv::FrameIndex frames) {
  (void)frames;
  if (initialised_) Recompute();
}

void CNvAnaView::OnUpdate(nv::UpdateHint hint) {
  if (!doc_ || !initialised_) return;
  plot_->SyncMarks();
  if (!doc_->Marks().Active()) controllers_->Marks().SetMoveMarkMode(false);
  if (hint == nv::UpdateHint::SamplesChanged) {
    plot_->SamplesChanged();
    RescaleToDocument();
    Recompute();
    controllers_->SamplesChanged();
  }
}

void CNvAnaView::RescaleToDocument() {
  if (!doc_) return;
  if (nav_.Rescale(doc_->Format().nSamplesPerSec, doc_->Time().Repaired().ExpansionThousandths())) {
    Recompute();
    NotifyAttached(true);
  }
}

void CNvAnaView::ClearMeasurementAndHistory() {
  if (nv::IsMeasuringKind(plot_->Cursor().kind)) plot_->SetCursor(CursorRecord{});
  ClearSelection();
  nav_.History().Clear();
}

nv::PlaybackRequest CNvAnaView::PlaybackRequestHere() const {
  nv::PlaybackRequest r;
  if (plot_->SelectionStart().position >= 0) {
    r.selectionStart = plot_->SelectionStart().position;
    r.selectionEnd = plot_->SelectionEnd().position;
  }
  r.cursor = plot_->Cursor().position;
  r.firstVisible = static_cast<int32_t>(plot_->Setup().firstVisible());
  return r;
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
  windows_.SelectionChanged(start, end, channels, fullUpdate);
}

bool CNvAnaView::eventFilter(QObject* o, QEvent* e) {
  if (o != plot_) return QWidget::eventFilter(o, e);
  switch (e->type()) {
    case QEvent::MouseButtonPress: {
      auto* m = static_cast<QMouseEvent*>(e);
      setFocus();
      if (m->button() == Qt::LeftButton) input_->Press(m->position().toPoint());
      return false;
    }
    case QEvent::MouseMove: {
      auto* m = static_cast<QMouseEvent*>(e);
      input_->Move(m->position().toPoint(), m->buttons() & Qt::LeftButton);
      return false;
    }
    case QEvent::MouseButtonRelease: {
      auto* m = static_cast<QMouseEvent*>(e);
      if (m->button() == Qt::LeftButton) input_->Release(m->position().toPoint());
      return false;
    }
    case QEvent::Wheel: {
      auto* w = static_cast<QWheelEvent*>(e);
      const QPoint d = w->angleDelta();
      controllers_->Zoom().Wheel(d.y() != 0 ? d.y() : d.x(), input_->PointAt(w->position().toPoint()).sample,
                                 w->modifiers() & Qt::ControlModifier);
      return true;
    }
    case QEvent::Leave:
      input_->Leave();
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
  const nv::PlotArea contextDiagram = plot_->HitTest(globalPos);
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
      host_.RequestCommandUpdate();
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
  if (contextDiagram != nv::PlotArea::None) menu->addSeparator();
  if (contextDiagram == nv::PlotArea::Spectrogram)
    add(cmd::kSpectSettingsCurrent, "Spec&trogram Settings - current diagram");
  else if (contextDiagram == nv::PlotArea::Oscillogram)
    add(cmd::kOscSettingsCurrent, "Oscillo&gram Settings - current diagram");
  else if (contextDiagram == nv::PlotArea::ZeroCrossing)
    add(cmd::kZcSettingsCurrent, "Zero Crossing Analysis Settings - current diagram");
  return menu;
}

// ---- Keys ----

void CNvAnaView::keyPressEvent(QKeyEvent* e) {
  if (e->modifiers() == Qt::NoModifier &&
      (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right || e->key() == Qt::Key_Up ||
       e->key() == Qt::Key_Down)) {
    SoundViewMarks& marks = controllers_->Marks();
    SoundViewDetector& detector = controllers_->Detector();
    if (controllers_->Playback().OnPlayKey(e->key())) return;  // volume and rate while playing
    if (marks.MoveMarkMode()) {
      marks.MoveActiveMarkByKey(e->key());  // a step off the plot is refused
      return;
    }
    if (detector.IsOn())
      detector.MoveDetectorLineByKey(e->key());
    else
      input_->MoveByKey(e->key());
    return;
  }
  // The volume keys of every playback, also through the detector, whose
  // Up and Down retune it.
  if (e->modifiers() == Qt::ShiftModifier && (e->key() == Qt::Key_Up || e->key() == Qt::Key_Down) &&
      (controllers_->Playback().OnPlayKey(e->key()) || controllers_->Detector().OnVolumeKey(e->key()) ||
       controllers_->Playback().OnVolumeKey(e->key())))
    return;
  QWidget::keyPressEvent(e);
}

// ---- Commands ----

bool CNvAnaView::OnCommand(int id) {
  using namespace cmd;
  if (controllers_->OnCommand(id)) return true;
  switch (id) {
    case kScrollStepLeft: ScrollStep(-1); return true;
    case kScrollStepRight: ScrollStep(1); return true;
    case kScrollPageLeft: ScrollPage(-1); return true;
    case kScrollPageRight: ScrollPage(1); return true;
    case kScrollHome: ScrollPage(-2); return true;
    case kScrollEnd: ScrollPage(2); return true;
    case kCursorMarking: host_.SetCursorMode(nv::CursorMode::Marking); return true;
    case kCursorMarkingStereo: host_.SetCursorMode(nv::CursorMode::MarkingStereo); return true;
    case kCursorMeasurement: host_.SetCursorMode(nv::CursorMode::Measurement); return true;
    case kCursorLargeMeasurement: host_.SetCursorMode(nv::CursorMode::LargeMeasurement); return true;
    case kCursorLevel: host_.SetCursorMode(nv::CursorMode::Level); return true;
    case kEditSelectAll:
      if (doc_) SelectFrames(0, nv::ViewFrame(doc_->FrameCount()));
      return true;
    case kFileSaveInterval:
      if (doc_) {
        int64_t a = -1, b = -1;
        if (HasSelection()) {
          a = std::min(plot_->SelectionStart().position, plot_->SelectionEnd().position);
          b = std::max(plot_->SelectionStart().position, plot_->SelectionEnd().position);
        }
        host_.SaveRange(doc_, a, b);
      }
      return true;
    default: return false;
  }
}

bool CNvAnaView::OnUpdateCommand(int id, CommandState& st) {
  using namespace cmd;
  if (controllers_->OnUpdateCommand(id, st)) return true;
  const nv::CursorMode mode = host_.CursorMode();
  switch (id) {
    case kScrollStepLeft:
    case kScrollStepRight:
    case kScrollPageLeft:
    case kScrollPageRight:
    case kScrollHome:
    case kScrollEnd:
      st.enabled = doc_ != nullptr;
      return true;
    case kEditSelectAll:
      st.enabled = doc_ && doc_->FrameCount() > 0;
      return true;
    case kFileSaveInterval:
      st.enabled = doc_ && !host_.IsPlaying();
      return true;
    case kCursorMarking: st.checked = mode == nv::CursorMode::Marking; return true;
    case kCursorMarkingStereo:
      st.checked = mode == nv::CursorMode::MarkingStereo;
      st.enabled = doc_ && doc_->Format().nChannels > 1;
      return true;
    case kCursorMeasurement: st.checked = mode == nv::CursorMode::Measurement; return true;
    case kCursorLargeMeasurement: st.checked = mode == nv::CursorMode::LargeMeasurement; return true;
    case kCursorLevel:
      st.checked = mode == nv::CursorMode::Level;
      st.enabled = mode == nv::CursorMode::Level;
      return true;
    default: return false;
  }
}
