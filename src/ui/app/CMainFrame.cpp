#include "app/CMainFrame.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QStyle>
#include <QTimer>

#include "analysis/PagePrinter.h"
#include "app/CChildFrame.h"
#include "app/LockKeyState.h"
#include "app/MainFrameBars.h"
#include "app/CDocCommands.h"
#include "app/CNorvaneApp.h"
#include "app/DocumentManager.h"
#include "app/RecentFileList.h"
#include "app/CRecFrame.h"
#include "base/CommandIds.h"
#include "base/MessageSink.h"
#include "document/CNorvaneDoc.h"
#include "views/CNvAnaView.h"
#include "views/CNvRecView.h"

CMainFrame::CMainFrame(CNorvaneApp* app) : app_(app) {
  setObjectName("mainFrame");
  setWindowTitle(QStringLiteral("Norvane"));
  setWindowIcon(QIcon(QStringLiteral(":/norvane/norvane.svg")));
  mdi_ = new QMdiArea(this);
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);
  connect(mdi_, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);
  BuildActions();
  BuildMenus();
  bars_ = std::make_unique<MainFrameBars>(*this);
  setAcceptDrops(true);
  SwitchMenus();
  resize(1024, 720);

  // Toolbar buttons follow the same update rules as the menus.
  auto* timer = new QTimer(this);
  connect(timer, &QTimer::timeout, this, &CMainFrame::UpdateCommandUi);
  connect(timer, &QTimer::timeout, this, [this] {
    if (const auto keys = LockKeyState::Read()) bars_->ShowLockKeys(*keys);
  });
  timer->start(250);
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::Act(int id, const QString& text, const QKeySequence& key, const QString& tip,
                         bool checkable) {
  auto* a = new QAction(text, this);
  a->setData(id);
  if (!key.isEmpty()) {
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
  }
  if (!tip.isEmpty()) a->setStatusTip(tip);
  a->setCheckable(checkable);
  connect(a, &QAction::triggered, this, [this, id] { Route(id); });
  actions_[id] = a;
  return a;
}

void CMainFrame::BuildActions() {
  using namespace cmd;
  QStyle* st = style();
  Act(kFileNew, "&New", QKeySequence::New, "Create a new document")
      ->setIcon(st->standardIcon(QStyle::SP_FileIcon));
  Act(kFileOpen, "&Open...", QKeySequence::Open, "Open an existing sound file")
      ->setIcon(st->standardIcon(QStyle::SP_DialogOpenButton));
  Act(kFileClose, "&Close", QKeySequence(), "Close the active document");
  Act(kFileSave, "&Save", QKeySequence::Save, "Save the active document")
      ->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
  Act(kFileSaveAs, "Save &As...", QKeySequence(), "Save the active document under a new name");
  Act(kFileSaveInterval, "Save selected interval...", QKeySequence(), "Save the selection as a new sound file");
  Act(kFilePrint, "&Print...", QKeySequence::Print, "Print the active view");
  Act(kFilePrintPreview, "Print Pre&view", QKeySequence(), "Show the page as it would be printed");
  Act(kFilePrintSetup, "P&rint Setup...", QKeySequence(), "Change the printer and printing options");
  for (int i = 0; i < 4; ++i) Act(kFileMru1 + i, QString());
  Act(kAppExit, "E&xit", QKeySequence::Quit, "Quit the application");

  Act(kEditUndo, "&Undo", QKeySequence::Undo, "Undo the last edit");
  Act(kEditRedo, "&Redo", QKeySequence::Redo, "Do the last undone edit again");
  Act(kEditCut, "Cu&t", QKeySequence::Cut, "Cut the selection")->setIcon(st->standardIcon(QStyle::SP_DialogDiscardButton));
  Act(kEditCopy, "&Copy", QKeySequence::Copy, "Copy the selection");
  Act(kEditCopyAscii, "Copy Ascii ", QKeySequence(), "Copy the selected samples as text");
  Act(kEditPaste, "&Paste", QKeySequence::Paste, "Paste over the selection");
  Act(kEditSelectAll, "Select &All", QKeySequence(), "Select the whole sound");
  Act(kEditDelete, "&Delete", QKeySequence::Delete, "Delete the selection");
  Act(kEditSilence, "Clear/&silence", QKeySequence(), "Silence the selection");
  Act(kEditReverse, "&Reverse", QKeySequence(), "Reverse the selection");
  Act(kEditVolume, "Adjust &volume", QKeySequence(), "Change the volume of the selection");
  Act(kEditFilter, "&Filter", QKeySequence(), "Filter the selection");

  Act(kViewToolbar, "&Toolbar", QKeySequence(), "Show or hide the toolbar", true);
  Act(kViewStatusBar, "&Status Bar", QKeySequence(), "Show or hide the status bar", true);
  Act(kWindowCascade, "&Cascade", QKeySequence(), "Arrange the windows so they overlap");
  Act(kWindowTile, "&Tile", QKeySequence(), "Arrange the windows as tiles");
  Act(kWindowArrange, "&Arrange Icons", QKeySequence(), "Arrange the minimised windows");
  Act(kWindowSplit, "S&plit", QKeySequence(), "Split the active window into panes", true);

  Act(kSoundDevices, "Sound &devices", QKeySequence(), "Choose the input and output devices");
  Act(kSoundPlay, "&Play sound", QKeySequence(Qt::Key_P), "Play the sound")
      ->setIcon(st->standardIcon(QStyle::SP_MediaPlay));
  Act(kSoundSpeed1of32, "1/32", QKeySequence(), "Play at 1/32 of the speed", true);
  Act(kSoundSpeed1of20, "1/20", QKeySequence(), "Play at 1/20 of the speed", true);
  Act(kSoundSpeed1of16, "1/16", QKeySequence(), "Play at 1/16 of the speed", true);
  Act(kSoundSpeed1of10, "1/10", QKeySequence(), "Play at 1/10 of the speed", true);
  Act(kSoundSpeed1of8, "1/8", QKeySequence(), "Play at 1/8 of the speed", true);
  Act(kSoundSpeedQuarter, "1/4", QKeySequence(), "Play at a quarter of the speed", true);
  Act(kSoundSpeedHalf, "1/2", QKeySequence(), "Play at half the speed", true);
  Act(kSoundSpeedOne, "1", QKeySequence(), "Play at the recorded speed", true);
  Act(kSoundSpeedTwo, "2", QKeySequence(), "Play at twice the speed", true);
  Act(kSoundSpeedFour, "4", QKeySequence(), "Play at four times the speed", true);
  Act(kSoundRecord, "&Record sound", QKeySequence(Qt::Key_R), "Record sound");
  Act(kSoundStop, "&Stop Play sound", QKeySequence(Qt::Key_S), "Stop the playback")
      ->setIcon(st->standardIcon(QStyle::SP_MediaStop));
  Act(kSoundFormat, "Sound &Format", QKeySequence(), "Edit the format and recording texts");
  Act(kSoundVirtualDetector, "&Virtual Bat detector", QKeySequence(), "Listen as through a heterodyne detector", true);
  Act(kSoundSamplingParameters, "Set sampling parameters", QKeySequence(), "Sampling parameters of the acquisition cards");
  Act(kRecordViewSettings, "Record view settings", QKeySequence(), "What the recording view shows");

  Act(kZoomIn, "&Zoom In", QKeySequence(Qt::CTRL | Qt::Key_Up), "Show a shorter stretch")
      ->setIcon(st->standardIcon(QStyle::SP_ArrowUp));
  Act(kZoomOut, "Zoom &Out", QKeySequence(Qt::CTRL | Qt::Key_Down), "Show a longer stretch")
      ->setIcon(st->standardIcon(QStyle::SP_ArrowDown));
  Act(kZoomDefault, "&Default Zoom ", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Left), "Restore the default span and ranges");
  Act(kZoomEntire, "Zoom &Entire file", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Down), "Show the whole sound");
  Act(kScrollStepLeft, "Scroll left", QKeySequence(Qt::CTRL | Qt::Key_Left), "Scroll one step left");
  Act(kScrollStepRight, "Scroll right", QKeySequence(Qt::CTRL | Qt::Key_Right), "Scroll one step right");
  Act(kZoomFit, "Fit to &Window", QKeySequence(Qt::CTRL | Qt::Key_F), "Show the whole sound across the window");
  Act(kViewFitShortSounds, "Open Short Sounds &Fitted", QKeySequence(), "Open a sound shorter than the view's span fitted to the window", true);
  Act(kScrollPageLeft, "Page left", QKeySequence(Qt::Key_PageUp), "Scroll one screen left");
  Act(kScrollPageRight, "Page right", QKeySequence(Qt::Key_PageDown), "Scroll one screen right");
  Act(kScrollHome, "Start of sound", QKeySequence(Qt::Key_Home), "Scroll to the start of the sound");
  Act(kScrollEnd, "End of sound", QKeySequence(Qt::Key_End), "Scroll to the end of the sound");
  Act(kCursorMarking, "Marking cursor", QKeySequence(Qt::CTRL | Qt::Key_A), "Set a time cursor; drag to select", true);
  Act(kCursorMarkingStereo, "Marking cursor - stereo", QKeySequence(), "Time cursor on both channels", true);
  Act(kCursorMeasurement, "Measurement cursor", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A), "Measure time and value; drag a box", true);
  Act(kCursorLargeMeasurement, "Large measurement cursor", QKeySequence(), "Measure with lines across the diagram", true);
  Act(kCursorLevel, "Level cursor", QKeySequence(), "Set an amplitude level", true);
  Act(kSaveCursorAsMark, "Save cursor as mark", QKeySequence(), "Make a mark of the cursor");
  Act(kSaveCursor, "Save cursor", QKeySequence(), "Make a mark of the cursor");
  Act(kActiveMarkProperties, "Active mark properties", QKeySequence(), "Edit the active mark");
  Act(kMoveActiveMark, "Move active mark ", QKeySequence(), "Move the active mark with the arrow keys", true);
  Act(kMarkDistances, "Mark distances", QKeySequence(), "List the distances between the marks");
  Act(kClearAllMarks, "Clear all marks", QKeySequence(), "Delete every mark");
  Act(kExportMarks, "Export marks...", QKeySequence(), "Write the marks as a label track or a selection table");
  Act(kImportMarks, "Import marks...", QKeySequence(), "Add the marks of a label track or a selection table");

  Act(kNewCombined, "&Combined", QKeySequence(), "New window with oscillogram and spectrogram");
  Act(kNewSpectrogram, "&Spectrogram", QKeySequence(), "New spectrogram window");
  Act(kNewOscillogram, "&Oscillogram", QKeySequence(), "New oscillogram window");
  Act(kNewZeroCrossing, "Zero Crossing Analysis", QKeySequence(), "New zero-crossing window");
  Act(kPowerSpectrum, "&Power Spectrum", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), "Power spectrum of the selection");
  Act(kPulseInterval, "Pulse &Interval Analysis", QKeySequence(), "Histogram of pulse intervals");
  Act(kPulseLength, "Pulse &Length Analysis", QKeySequence(), "Histogram of pulse lengths");
  Act(kPulseCharacteristics, "Pulse &Characteristics Analysis", QKeySequence(), "Measure every pulse");
  Act(kSpectSettingsDefault, "Spec&trogram Settings - Default", QKeySequence(), "Spectrogram settings of new views");
  Act(kOscSettingsDefault, "Oscillo&gram Settings - Default", QKeySequence(), "Oscillogram settings of new views");
  Act(kZcSettingsDefault, "Zero Crossing Analysis Settings - Default", QKeySequence(), "Zero-crossing settings of new views");
  Act(kPowerSettingsDefault, "Power Spectr&um Settings - Default", QKeySequence(), "Settings of new power spectra");
  Act(kRateSettingsDefault, "Pulse Interval/Pulse Length &Analysis Settings - Default", QKeySequence(), "Settings of new pulse histograms");
  Act(kSpectSettingsCurrent, "Spec&trogram Settings - current diagram");
  Act(kOscSettingsCurrent, "Oscillo&gram Settings - current diagram");
  Act(kZcSettingsCurrent, "Zero Crossing Analysis Settings - current diagram");

  Act(kHelpTopics, "&Help Topics", QKeySequence::HelpContents, "Show the user guide");
  Act(kAppAbout, "&About Norvane...", QKeySequence(), "Program information and version");
}

void CMainFrame::BuildMenus() {
  using namespace cmd;
  auto add = [this](QMenu* m, std::initializer_list<int> ids) {
    for (int id : ids) {
      if (id == 0)
        m->addSeparator();
      else
        m->addAction(actions_.at(id));
    }
  };
  auto recent = [this](QMenu* m) {
    auto* placeholder = new QAction(QStringLiteral("Recent File"), this);
    placeholder->setEnabled(false);
    recentPlaceholders_.push_back(placeholder);
    m->addAction(placeholder);
    for (int i = 0; i < 4; ++i) m->addAction(actions_.at(kFileMru1 + i));
  };
  auto menu = [this](const QString& title) {
    auto* m = new QMenu(title, this);
    connect(m, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUi);
    return m;
  };

  // Without documents.
  QMenu* f0 = menu("&File");
  add(f0, {kFileNew, kFileOpen, 0, kFilePrintSetup, 0});
  recent(f0);
  add(f0, {0, kAppExit});
  QMenu* v0 = menu("&View");
  add(v0, {kViewToolbar, kViewStatusBar});
  QMenu* h0 = menu("&Help");
  add(h0, {kHelpTopics, 0, kAppAbout});
  plainMenus_ = {f0, v0, h0};

  // With a document.
  QMenu* f = menu("&File");
  add(f, {kFileNew, kFileOpen, kFileClose, kFileSave, kFileSaveAs, kFileSaveInterval, 0, kFilePrint,
          kFilePrintPreview, kFilePrintSetup, 0});
  recent(f);
  add(f, {0, kAppExit});
  QMenu* e = menu("&Edit");
  add(e, {kEditUndo, kEditRedo, 0, kEditCut, kEditCopy, kEditCopyAscii, kEditPaste, 0, kEditSelectAll, kEditDelete,
          kEditSilence, kEditReverse, kEditVolume, 0, kEditFilter});
  QMenu* v = menu("&View");
  add(v, {kViewToolbar, kViewStatusBar, 0, kZoomFit, kViewFitShortSounds});
  windowMenu_ = menu("&Window");
  connect(windowMenu_, &QMenu::aboutToShow, this, &CMainFrame::FillWindowMenu);
  add(windowMenu_, {kWindowCascade, kWindowTile, kWindowArrange, kWindowSplit});
  QMenu* s = menu("&Sound");
  add(s, {kSoundDevices, 0, kSoundPlay});
  QMenu* speed = s->addMenu(QStringLiteral("Play speed"));
  add(speed, {kSoundSpeed1of32, kSoundSpeed1of20, kSoundSpeed1of16, kSoundSpeed1of10, kSoundSpeed1of8,
               kSoundSpeedQuarter, kSoundSpeedHalf, kSoundSpeedOne, kSoundSpeedTwo, kSoundSpeedFour});
  add(s, {kSoundRecord, kSoundStop, 0, kSoundFormat, kSoundVirtualDetector, kSoundSamplingParameters,
          kRecordViewSettings});
  QMenu* t = menu("&Tools");
  add(t, {kZoomIn, kZoomOut, kZoomDefault, kZoomEntire, 0, kCursorMarking, kCursorMarkingStereo,
          kCursorMeasurement, kCursorLargeMeasurement, kCursorLevel, 0, kSaveCursorAsMark});
  markSetMenu_ = new QMenu(QStringLiteral("Set active mark"), this);
  markSetItem_ = t->addMenu(markSetMenu_);
  add(t, {kActiveMarkProperties, kMoveActiveMark, kMarkDistances});
  markScrollMenu_ = new QMenu(QStringLiteral("Scroll to mark"), this);
  markScrollItem_ = t->addMenu(markScrollMenu_);
  add(t, {kClearAllMarks, kExportMarks, kImportMarks, 0, kScrollStepLeft, kScrollStepRight, kScrollPageLeft,
          kScrollPageRight, kScrollHome, kScrollEnd});
  connect(t, &QMenu::aboutToShow, this, &CMainFrame::RebuildMarkMenus);
  QMenu* a = menu("&Analysis");
  add(a, {kNewCombined, kNewSpectrogram, kNewOscillogram, kNewZeroCrossing, 0, kPowerSpectrum,
          kPulseInterval, kPulseLength, kPulseCharacteristics, 0, kSpectSettingsDefault,
          kOscSettingsDefault, kZcSettingsDefault, kPowerSettingsDefault, kRateSettingsDefault});
  QMenu* h = menu("&Help");
  add(h, {kHelpTopics, 0, kAppAbout});
  documentMenus_ = {f, e, v, windowMenu_, s, t, a, h};
}

QAction* CMainFrame::Action(int id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

QMenu* CMainFrame::TopMenu(const QString& title) const {
  for (QMenu* m : documentMenu_ ? documentMenus_ : plainMenus_)
    if (m->title() == title) return m;
  return nullptr;
}

void CMainFrame::SwitchMenus() {
  const bool withDoc = !mdi_->subWindowList().isEmpty();
  if (withDoc == documentMenu_ && !menuBar()->actions().isEmpty()) return;
  documentMenu_ = withDoc;
  menuBar()->clear();
  for (QMenu* m : withDoc ? documentMenus_ : plainMenus_) menuBar()->addMenu(m);
}

void CMainFrame::AddFrame(CChildFrame* frame) {
  mdi_->addSubWindow(frame);
  connect(frame, &QObject::destroyed, this, [this] {
    QTimer::singleShot(0, this, [this] {
      SwitchMenus();
      UpdateTitle();
      UpdateCommandUi();
    });
  });
  frame->showMaximized();
  mdi_->setActiveSubWindow(frame);
  SwitchMenus();
}

void CMainFrame::ActivateFrame(CChildFrame* frame) {
  mdi_->setActiveSubWindow(frame);
}

CChildFrame* CMainFrame::ActiveFrame() const {
  QMdiSubWindow* w = mdi_->activeSubWindow();
  if (!w) w = mdi_->currentSubWindow();
  return qobject_cast<CChildFrame*>(w);
}

CNvAnaView* CMainFrame::ActiveView() const {
  CChildFrame* f = ActiveFrame();
  return f ? f->View() : nullptr;
}

nv::CNorvaneDoc* CMainFrame::ActiveDocument() const {
  CNvAnaView* v = ActiveView();
  return v ? v->Document() : nullptr;
}

std::vector<CChildFrame*> CMainFrame::Frames() const {
  std::vector<CChildFrame*> v;
  for (QMdiSubWindow* w : mdi_->subWindowList())
    if (auto* f = qobject_cast<CChildFrame*>(w)) v.push_back(f);
  return v;
}

std::vector<CChildFrame*> CMainFrame::FramesOf(nv::CNorvaneDoc* doc) const {
  std::vector<CChildFrame*> v;
  for (CChildFrame* f : Frames())
    if (f->Document() == doc) v.push_back(f);
  return v;
}

bool CMainFrame::CloseAllFrames(bool force) {
  for (CChildFrame* f : Frames()) {
    if (force) {
      f->ForceClose();
    } else if (!f->close()) {
      return false;
    }
  }
  return true;
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow* w) {
  if (auto* f = qobject_cast<CChildFrame*>(w)) {
    if (f != lastActive_) {
      lastActive_ = f;
      if (f->View()) f->View()->OnActivateView();
    }
  } else if (qobject_cast<CRecFrame*>(w)) {
    // A recording view: the sound view activated next is told again.
    lastActive_ = nullptr;
    app_->activeViewKind = ActiveViewKind::RecordingView;
  } else if (!w) {
    lastActive_ = nullptr;
    if (mdi_->subWindowList().isEmpty()) app_->activeViewKind = ActiveViewKind::None;
  }
  SwitchMenus();
  UpdateTitle();
  UpdateCommandUi();
}

void CMainFrame::UpdateTitle() {
  nv::CNorvaneDoc* doc = ActiveDocument();
  const QString title = doc ? QStringLiteral("Norvane - %1").arg(QString::fromStdString(doc->Title()))
                            : QStringLiteral("Norvane");
  if (windowTitle() == title || settingTitle_) return;
  settingTitle_ = true;
  setWindowTitle(title);
  settingTitle_ = false;
}

bool CMainFrame::event(QEvent* e) {
  const bool r = QMainWindow::event(e);
  // A maximised MDI child writes its own title into the frame's; the frame
  // keeps the application's name and the active document's title.
  if (e->type() == QEvent::WindowTitleChange && !settingTitle_ && mdi_) UpdateTitle();
  return r;
}

std::vector<CommandTarget*> CMainFrame::RouteTargets() const {
  std::vector<CommandTarget*> t;
  QMdiSubWindow* active = mdi_->activeSubWindow() ? mdi_->activeSubWindow() : mdi_->currentSubWindow();
  if (auto* r = qobject_cast<CRecFrame*>(active)) {
    if (r->View()) t.push_back(r->View());
  } else if (CNvAnaView* v = ActiveView()) {
    t.push_back(v);
    if (v->Document())
      if (CDocCommands* d = app_->Docs().CommandsOf(v->Document())) t.push_back(d);
  }
  t.push_back(const_cast<CMainFrame*>(this));
  t.push_back(bars_.get());
  t.push_back(app_);
  return t;
}

bool CMainFrame::Route(int id) {
  bool handled = false;
  for (CommandTarget* t : RouteTargets())
    if (t->OnCommand(id)) {
      handled = true;
      break;
    }
  if (isVisible() || testAttribute(Qt::WA_WState_Created)) UpdateCommandUi();
  return handled;
}

void CMainFrame::UpdateCommandUi() {
  const auto targets = RouteTargets();
  auto update = [&](QAction* a, int id) {
    CommandState st;
    bool known = false;
    for (CommandTarget* t : targets)
      if (t->OnUpdateCommand(id, st)) {
        known = true;
        break;
      }
    a->setEnabled(known && st.enabled);
    if (a->isCheckable()) a->setChecked(known && st.checked);
    if (!st.text.isEmpty() && a->text() != st.text) a->setText(st.text);
  };
  for (auto& [id, a] : actions_) update(a, id);
}

void CMainFrame::RebuildMarkMenus() {
  nv::CNorvaneDoc* doc = ActiveDocument();
  markSetMenu_->clear();
  markScrollMenu_->clear();
  markSetItem_->setEnabled(doc != nullptr);
  markScrollItem_->setEnabled(doc != nullptr);
  if (!doc) return;
  // One item per mark, whatever its number; the item carries the number.
  // The label is shown as typed: an "&" in it is no shortcut marker.
  const int32_t activeNumber = doc->Marks().ActiveNumber();
  for (const nv::MarkRecord& m : doc->Marks()) {
    const int32_t number = m.number;
    const QString text = QString::fromStdString(m.label).replace('&', QStringLiteral("&&"));
    QAction* set = markSetMenu_->addAction(text);
    set->setData(number);
    if (number == activeNumber) {
      QFont f = set->font();
      f.setBold(true);
      set->setFont(f);
    }
    connect(set, &QAction::triggered, this, [this, number] {
      if (nv::CNorvaneDoc* d = ActiveDocument()) d->Marks().SetActive(number);
    });
    QAction* scroll = markScrollMenu_->addAction(text);
    scroll->setData(number);
    connect(scroll, &QAction::triggered, this, [this, number] {
      if (CNvAnaView* v = ActiveView()) v->ScrollToMark(number);
    });
  }
  UpdateCommandUi();
}

void CMainFrame::UpdateRecentFileMenu() {
  const auto& entries = app_->RecentFiles().Entries();
  for (int i = 0; i < 4; ++i) {
    QAction* a = actions_.at(cmd::kFileMru1 + i);
    const bool used = static_cast<size_t>(i) < entries.size();
    a->setVisible(used);
    if (used) {
      QString text = QString::fromStdString(entries[static_cast<size_t>(i)]);
      text.replace('&', QStringLiteral("&&"));
      a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(text));
    }
  }
  for (QAction* p : recentPlaceholders_) p->setVisible(entries.empty());
}

void CMainFrame::FillWindowMenu() {
  for (QAction* a : windowListActions_) {
    windowMenu_->removeAction(a);
    a->deleteLater();
  }
  windowListActions_.clear();
  const auto list = mdi_->subWindowList();
  if (list.isEmpty()) return;
  windowListActions_.push_back(windowMenu_->addSeparator());
  int n = 0;
  for (QMdiSubWindow* w : list) {
    ++n;
    QAction* a = windowMenu_->addAction(QStringLiteral("&%1 %2").arg(n).arg(w->windowTitle()));
    a->setCheckable(true);
    a->setChecked(w == mdi_->activeSubWindow());
    connect(a, &QAction::triggered, this, [this, w] { mdi_->setActiveSubWindow(w); });
    windowListActions_.push_back(a);
  }
}

void CMainFrame::NewWindow(ViewKind kind) {
  CChildFrame* f = ActiveFrame();
  nv::CNorvaneDoc* doc = f ? f->Document() : nullptr;
  if (!doc) {
    nv::ShowMessage("Command failed.", nv::MessageIcon::None);
    return;
  }
  app_->Docs().CreateFrame(doc, kind);
}

bool CMainFrame::OnCommand(int id) {
  using namespace cmd;
  switch (id) {
    case kNewCombined: NewWindow(ViewKind::Combined); return true;
    case kNewSpectrogram: NewWindow(ViewKind::Spectrogram); return true;
    case kNewOscillogram: NewWindow(ViewKind::Oscillogram); return true;
    case kNewZeroCrossing: NewWindow(ViewKind::ZeroCrossing); return true;
    case kFileClose: {
      // Closes the document (of a sound view or a recording view): every frame of it.
      nv::CNorvaneDoc* doc = nullptr;
      if (CChildFrame* f = ActiveFrame())
        doc = f->Document();
      else if (auto* r = qobject_cast<CRecFrame*>(mdi_->activeSubWindow()))
        doc = r->Document();
      if (doc) {
        app_->CloseRecordingViews(doc);
        CDocCommands* c = app_->Docs().CommandsOf(doc);
        if (c && !c->SaveModified()) return true;
        for (CChildFrame* g : FramesOf(doc)) g->ForceClose();
      }
      return true;
    }
    case kFilePrintSetup: PagePrinter::PageSetup(this); return true;
    case kWindowCascade: mdi_->cascadeSubWindows(); return true;
    case kWindowTile: mdi_->tileSubWindows(); return true;
    case kWindowSplit:
      if (CChildFrame* f = ActiveFrame()) f->ToggleSplit();
      return true;
    case kWindowArrange: {
      int x = 0;
      for (QMdiSubWindow* w : mdi_->subWindowList())
        if (w->isMinimized()) {
          w->move(x, mdi_->viewport()->height() - w->height());
          x += w->width();
        }
      return true;
    }
    default: return false;
  }
}

bool CMainFrame::OnUpdateCommand(int id, CommandState& state) {
  using namespace cmd;
  switch (id) {
    case kNewCombined:
    case kNewSpectrogram:
    case kNewOscillogram:
    case kNewZeroCrossing:
      state.enabled = app_->activeViewKind == ActiveViewKind::SoundView && !app_->playing;
      return true;
    case kFileClose:
      state.enabled = ActiveFrame() != nullptr && !app_->playing;
      return true;
    case kFilePrintSetup:
      state.enabled = !app_->playing;
      return true;
    case kWindowCascade:
    case kWindowTile:
    case kWindowArrange:
      state.enabled = !mdi_->subWindowList().isEmpty();
      return true;
    case kWindowSplit:
      state.enabled = ActiveFrame() && ActiveFrame()->CanSplit() && !app_->playing;
      state.checked = ActiveFrame() && ActiveFrame()->IsSplit();
      return true;
    default: return false;
  }
}

void CMainFrame::closeEvent(QCloseEvent* e) {
  if (!CloseAllFrames(false)) {
    e->ignore();
    return;
  }
  QMainWindow::closeEvent(e);
}

// Files are dropped as they are opened with "&Open...": not while a sound
// plays or records, since reading a file holds up the interface thread that
// keeps the device's blocks coming. The drop is refused (the pointer shows
// it) and nothing is opened.
void CMainFrame::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls() && !app_->playing) e->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* e) {
  if (app_->playing) {
    e->ignore();
    return;
  }
  const auto urls = e->mimeData()->urls();
  for (const QUrl& u : urls)
    if (u.isLocalFile()) app_->OpenDocumentFile(u.toLocalFile());
  e->acceptProposedAction();
}
