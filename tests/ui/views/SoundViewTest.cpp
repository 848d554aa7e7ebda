// The sound view as a new user meets it in the application, under the
// offscreen platform: the selection drawn after a drag, the status text, the
// place of the status strip, the names of new documents, Save of a file that
// has gone, the lock-key panes and the split frame.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "AppFixture.h"
#include "../../support/TestSupport.h"
#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/MainFrameBars.h"
#include "app/CNorvaneApp.h"
#include "app/CSndFileDialog.h"
#include "app/CompressionDialog.h"
#include "app/LockKeyState.h"
#include "base/CommandIds.h"
#include "document/CNorvaneDoc.h"
#include "document/DemoRecording.h"
#include "fileformats/FileType.h"
#include "plot/SoundPlot.h"
#include "settings/MemorySettingsStore.h"
#include "views/CNvAnaView.h"
#include "views/StatusStrip.h"

using nv::CNorvaneDoc;

class SoundViewTest : public QObject, protected nv::test::AppFixture {
  Q_OBJECT

  // What the documents a test makes share.
  nv::DocumentContext documents;

 private:
  QTemporaryDir dir_;
  std::optional<SndFileChoice> saveAnswer_;
  QStringList saveProposals_;  // the file each save dialog proposed

  QString Path(const QString& name) const { return dir_.filePath(name); }

  QString WriteSound(const QString& name, double seconds, int channels) {
    CNorvaneDoc doc(documents);
    const int frames = static_cast<int>(44100 * seconds);
    std::vector<int16_t> s(static_cast<size_t>(frames * channels));
    for (size_t i = 0; i < s.size(); ++i)
      s[i] = static_cast<int16_t>(8000 * std::sin(static_cast<double>(i) * 0.7));
    nv::test::FillDocument(doc, channels, 16, 44100, nv::test::Samples16(s));
    const QString p = Path(name);
    if (!doc.Save({p.toStdString(), nv::FileType::NorvaneWave})) qFatal("cannot write test file");
    return p;
  }

  QString WriteDemo() {
    CNorvaneDoc doc(documents);
    if (!nv::BuildDemoRecording(doc)) qFatal("no demo");
    const QString p = Path("demo.wav");
    if (!doc.Save({p.toStdString(), nv::FileType::NorvaneWave})) qFatal("cannot write demo");
    return p;
  }

  bool Start(const QStringList& args) {
    const bool ok = StartApp(args, {1000, 720}, true);
    if (ok) View()->Recompute();
    return ok;
  }

  QPoint Pixel(int64_t x, int64_t y) const {
    const int64_t per1000 = View()->Plot()->Setup().scale().unitsPer1000Pixels;
    return QPoint(static_cast<int>(x * 1000 / per1000), static_cast<int>(-y * 1000 / per1000));
  }
  QPoint At(const nv::PlotRect& r, double fx, double fy, int32_t shift = 0) const {
    return Pixel(r.left + static_cast<int64_t>(r.width() * fx),
                 r.bottom + static_cast<int64_t>(r.height() * fy) - shift);
  }
  const nv::PlotLayout& Layout() const { return View()->Plot()->Setup().layout; }

  void Drag(const QPoint& a, const QPoint& b) {
    QWidget* plot = View()->Plot();
    QTest::mousePress(plot, Qt::LeftButton, {}, a);
    QMouseEvent move(QEvent::MouseMove, b, plot->mapToGlobal(b), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(plot, &move);
    QTest::mouseRelease(plot, Qt::LeftButton, {}, b);
  }
  void Move(const QPoint& p) {
    QWidget* plot = View()->Plot();
    QMouseEvent move(QEvent::MouseMove, p, plot->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(plot, &move);
  }

  // Pixels of column x in the rows of r (inside its frame) that differ.
  int Differing(const QImage& a, const QImage& b, int x, const nv::PlotRect& r, int32_t shift = 0) const {
    const int y0 = Pixel(0, r.top - shift).y() + 2, y1 = Pixel(0, r.bottom - shift).y() - 2;
    int n = 0;
    for (int y = y0; y < y1; ++y) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
  }
  int Rows(const nv::PlotRect& r, int32_t shift = 0) const {
    return Pixel(0, r.bottom - shift).y() - 2 - (Pixel(0, r.top - shift).y() + 2);
  }

 private slots:
  void init() {
    sink_.Install();
    sink_.texts.clear();
    sink_.answer = true;
    saveAnswer_.reset();
    saveProposals_.clear();
    MakeApp();
    CSndFileDialog::runner = [this](CSndFileDialog& d) -> std::optional<SndFileChoice> {
      if (d.DialogMode() == CSndFileDialog::Mode::Open) return std::nullopt;
      saveProposals_ << (d.selectedFiles().isEmpty() ? QString() : d.selectedFiles().front());
      return saveAnswer_;
    };
    CompressionDialog::runner = [](CompressionDialog&) { return true; };
  }

  void cleanup() {
    DropApp();
    CSndFileDialog::runner = nullptr;
    CompressionDialog::runner = nullptr;
    sink_.Remove();
  }

  // A slowed copy of a time-expanded recording states a factor beyond 100;
  // the view draws with it and leaves it in the document, so a save keeps it.
  void aLargeTimeExpansionFactorIsDrawnAndKept() {
    CNorvaneDoc doc(documents);
    nv::test::FillDocument(doc, 1, 16, 12000, nv::test::Samples16(std::vector<int16_t>(12000, 100)));
    doc.Info().SetTimeExpansion(320000);
    const QString p = Path("slowed.wav");
    QVERIFY(doc.Save({p.toStdString(), nv::FileType::NorvaneWave}));
    QVERIFY(Start({p}));
    QCOMPARE(View()->Document()->Info().TimeExpansion(), 320000);
    QCOMPARE(View()->Plot()->Setup().effectiveRateHz(), int64_t{12000} * 320);
    QCOMPARE(View()->Settings().maxFrequencyHz, int64_t{12000} * 320 / 2);
    QVERIFY(!View()->Document()->IsModified());
  }

  // After a drag the stretch between its ends is inverted in both diagrams;
  // a measuring drag inverts the box between its two points.
  void dragShowsTheSelectedStretch() {
    QVERIFY(Start({WriteDemo()}));
    Frame()->Route(cmd::kZoomEntire);
    Frame()->Route(cmd::kCursorMarking);
    nv::SoundPlot* plot = View()->Plot();
    const QImage bare = plot->Grab().copy();
    const nv::PlotLayout& l = Layout();
    Drag(At(l.osc, 0.2, 0.5), At(l.osc, 0.6, 0.5));
    QVERIFY(View()->HasSelection());
    const QImage sel = plot->Grab().copy();
    for (double fx : {0.25, 0.4, 0.55}) {
      const int x = At(l.osc, fx, 0).x();
      QCOMPARE(Differing(bare, sel, x, l.osc), Rows(l.osc));
      QCOMPARE(Differing(bare, sel, x, l.spect), Rows(l.spect));
    }
    for (double fx : {0.1, 0.65, 0.9}) {
      const int x = At(l.osc, fx, 0).x();
      QCOMPARE(Differing(bare, sel, x, l.osc), 0);
      QCOMPARE(Differing(bare, sel, x, l.spect), 0);
    }
    // The widget shows that picture, selection included.
    const QImage shown = plot->grab().toImage().convertToFormat(sel.format());
    QCOMPARE(shown.pixel(At(l.osc, 0.4, 0.9)), sel.pixel(At(l.osc, 0.4, 0.9)));

    // A measuring drag in the spectrogram: the box between its points.
    Frame()->Route(cmd::kCursorMeasurement);
    Drag(At(l.spect, 0.2, 0.3), At(l.spect, 0.6, 0.7));
    QVERIFY(View()->HasSelection());
    const QImage box = plot->Grab().copy();
    const int x = At(l.spect, 0.4, 0).x();
    QVERIFY(box.pixel(At(l.spect, 0.4, 0.5)) != bare.pixel(At(l.spect, 0.4, 0.5)));
    QCOMPARE(box.pixel(At(l.spect, 0.4, 0.9)), bare.pixel(At(l.spect, 0.4, 0.9)));
    QCOMPARE(box.pixel(At(l.spect, 0.4, 0.1)), bare.pixel(At(l.spect, 0.4, 0.1)));
    QCOMPARE(Differing(bare, box, x, l.osc), 0);
  }

  // In a stereo view a drag in the lower strip selects the right channel and
  // shows there; a stereo marking drag shows in both strips.
  void stereoDragsShowInTheirStrips() {
    QVERIFY(Start({WriteSound("st.wav", 1.0, 2)}));
    Frame()->Route(cmd::kZoomEntire);
    nv::SoundPlot* plot = View()->Plot();
    QVERIFY(plot->Setup().bothChannels);
    const nv::PlotLayout& l = Layout();
    const int32_t shift = l.channelShift;
    const QImage bare = plot->Grab().copy();
    const int x = At(l.osc, 0.4, 0).x();
    Frame()->Route(cmd::kCursorMarking);
    Drag(At(l.spect, 0.2, 0.5, shift), At(l.spect, 0.6, 0.5, shift));
    QCOMPARE(plot->SelectionStart().channel, 2);
    QImage sel = plot->Grab().copy();
    QCOMPARE(Differing(bare, sel, x, l.osc), 0);
    QCOMPARE(Differing(bare, sel, x, l.spect, shift), Rows(l.spect, shift));
    QCOMPARE(Differing(bare, sel, x, l.osc, shift), Rows(l.osc, shift));
    Frame()->Route(cmd::kCursorMarkingStereo);
    Drag(At(l.osc, 0.2, 0.5), At(l.osc, 0.6, 0.5));
    sel = plot->Grab().copy();
    QCOMPARE(Differing(bare, sel, x, l.osc), Rows(l.osc));
    QCOMPARE(Differing(bare, sel, x, l.spect, shift), Rows(l.spect, shift));
  }

  // Zoom In takes the selection and its text; outside the plots the text is
  // cleared in every cursor mode.
  void statusTextFollowsTheSelectionAndThePointer() {
    QVERIFY(Start({WriteDemo()}));
    Frame()->Route(cmd::kZoomEntire);
    Frame()->Route(cmd::kCursorMarking);
    const nv::PlotLayout& l = Layout();
    Drag(At(l.osc, 0.2, 0.5), At(l.osc, 0.33, 0.5));
    StatusStrip* strip = View()->Strip();
    QVERIFY2(strip->StatusText().contains(" Distance: "), qPrintable(strip->StatusText()));
    Frame()->Route(cmd::kZoomIn);
    QVERIFY(!View()->HasSelection());
    QVERIFY2(!strip->StatusText().contains("Distance"), qPrintable(strip->StatusText()));
    // What is left is the marking cursor's time.
    QVERIFY(!strip->StatusText().isEmpty());
    Move(Pixel(l.plotLeft / 3, -100));  // left of the plots
    QCOMPARE(strip->StatusText(), QString());
    // The same for a selection made anew, with the pointer leaving the plot.
    Drag(At(l.osc, 0.2, 0.5), At(l.osc, 0.5, 0.5));
    QVERIFY(strip->StatusText().contains(" Distance: "));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(View()->Plot(), &leave);
    QCOMPARE(strip->StatusText(), QString());
    // A measuring selection zoomed into leaves its point's time and value.
    Frame()->Route(cmd::kCursorMeasurement);
    Drag(At(Layout().spect, 0.2, 0.3), At(Layout().spect, 0.6, 0.7));
    QVERIFY(strip->StatusText().contains(" Distance: "));
    Frame()->Route(cmd::kZoomIn);
    QVERIFY2(!strip->StatusText().contains("Distance"), qPrintable(strip->StatusText()));
    QVERIFY2(strip->StatusText().contains("kHz"), qPrintable(strip->StatusText()));
  }

  // The strip lies across the bottom of the client area right under the
  // plot; the scroll bar is below it.
  void statusStripLiesRightUnderThePlot() {
    QVERIFY(Start({WriteDemo()}));
    CNvAnaView* v = View();
    const QRect plot = v->Plot()->geometry();
    const QRect strip = v->Strip()->geometry();
    const QRect scroll = v->ScrollBar()->geometry();
    QCOMPARE(strip.top(), plot.bottom() + 1);
    QCOMPARE(strip.height(), StatusStrip::kHeight);
    QCOMPARE(strip.width(), plot.width());
    QCOMPARE(scroll.top(), strip.bottom() + 1);
    QCOMPARE(scroll.bottom(), v->height() - 1);
  }

  // A new document is named after the document type, and Save proposes
  // that name with the file extension.
  void newDocumentsAreNamedAfterTheDocumentType() {
    QVERIFY(Start({}));
    Settle();
    CNorvaneDoc* doc = app_->Documents()[0];
    const QString title = QString::fromStdString(doc->Title());
    QVERIFY2(QRegularExpression("^Norvane\\d+$").match(title).hasMatch(), qPrintable(title));
    QCOMPARE(title, "Norvane" + QString::number(doc->SequenceNumber()));
    QCOMPARE(Frame()->windowTitle(), "Norvane - " + title);
    Frame()->Route(cmd::kFileSave);
    QCOMPARE(saveProposals_.size(), 1);
    QCOMPARE(QFileInfo(saveProposals_[0]).fileName(), title + ".wav");
  }

  // Save of a document whose file was deleted or moved since it was opened
  // runs the Save As flow; the document takes the new file.
  void saveOfAFileThatWentRunsSaveAs() {
    const QString path = WriteSound("gone.wav", 0.2, 1);
    QVERIFY(Start({path}));
    CNorvaneDoc* doc = app_->Documents()[0];
    doc->SetModifiedFlag(true);
    QVERIFY(QFile::remove(path));
    saveAnswer_ = SndFileChoice{Path("found.wav"), nv::FileType::NorvaneWave};
    Frame()->Route(cmd::kFileSave);
    QCOMPARE(saveProposals_.size(), 1);
    QVERIFY(QFileInfo::exists(Path("found.wav")));
    QVERIFY(!QFileInfo::exists(path));
    // Cancel in the dialog saves nothing and reports no success.
    QVERIFY(QFile::remove(Path("found.wav")));
    saveAnswer_.reset();
    Frame()->Route(cmd::kFileSave);
    QCOMPARE(saveProposals_.size(), 2);
    QVERIFY(!QFileInfo::exists(path));
  }

  // The lock-key panes: where the platform does not tell the keys' state
  // (offscreen) they keep their greyed texts; given a state they show the
  // keys that are on.
  void lockKeyPanesFollowTheKeys() {
    QVERIFY(Start({WriteDemo()}));
    QVERIFY(!LockKeyState::Read().has_value());
    QTest::qWait(600);
    for (int i = 0; i < 3; ++i) QVERIFY(!Frame()->Bars().LockPane(i)->isEnabled());
    QCOMPARE(Frame()->Bars().LockPane(0)->text(), QString("CAP"));
    LockKeyState keys;
    keys.caps = true;
    keys.scroll = true;
    Frame()->Bars().ShowLockKeys(keys);
    QCOMPARE(Frame()->Bars().LockPane(0)->text(), QString("CAP"));
    QCOMPARE(Frame()->Bars().LockPane(1)->text(), QString());
    QCOMPARE(Frame()->Bars().LockPane(2)->text(), QString("SCRL"));
    QVERIFY(Frame()->Bars().LockPane(0)->isEnabled());
    keys = LockKeyState{};
    keys.num = true;
    Frame()->Bars().ShowLockKeys(keys);
    QCOMPARE(Frame()->Bars().LockPane(0)->text(), QString());
    QCOMPARE(Frame()->Bars().LockPane(1)->text(), QString("NUM"));
  }

  // "S&plit" divides the frame into two panes of the same kind on the same
  // document, the new one showing what the active one shows; a click makes
  // a pane the active view; choosing it again goes back to one pane.
  void splitMakesTwoPanesOnTheSameView() {
    QVERIFY(Start({WriteDemo()}));
    Frame()->Route(cmd::kZoomEntire);
    CChildFrame* f = Frame()->ActiveFrame();
    CNvAnaView* first = View();
    Frame()->UpdateCommandUi();
    QAction* split = Frame()->Action(cmd::kWindowSplit);
    QVERIFY(split->isEnabled());
    QVERIFY(!split->isChecked());
    split->trigger();
    Settle();
    QVERIFY(f->IsSplit());
    QCOMPARE(f->Panes().size(), size_t{2});
    CNvAnaView* second = f->Panes()[1];
    QCOMPARE(second->Document(), first->Document());
    QCOMPARE(second->Settings().timePerPlotUs, first->Settings().timePerPlotUs);
    QCOMPARE(second->Settings().firstVisibleSample, first->Settings().firstVisibleSample);
    QCOMPARE(typeid(*second), typeid(*first));
    QVERIFY(second->isVisible() && first->isVisible());
    QVERIFY(second->geometry().top() > first->geometry().top());
    Frame()->UpdateCommandUi();
    QVERIFY(split->isChecked());
    // The pane clicked becomes the view the commands go to.
    Frame()->Route(cmd::kCursorMarking);
    QTest::mouseClick(second->Plot(), Qt::LeftButton, {}, QPoint(second->Plot()->width() / 2, 40));
    Settle();
    QCOMPARE(View(), second);
    Frame()->Route(cmd::kZoomIn);
    QVERIFY(second->Settings().timePerPlotUs < first->Settings().timePerPlotUs);
    // An edit reaches both panes.
    first->Document()->UpdateAllViews(nullptr, nv::UpdateHint::SamplesChanged);
    // Back to one pane: the inactive one goes, the document stays open.
    split->trigger();
    Settle();
    QVERIFY(!f->IsSplit());
    QCOMPARE(f->Panes().size(), size_t{1});
    QCOMPARE(View(), second);
    QCOMPARE(app_->Documents().size(), size_t{1});
    split->trigger();
    Settle();
    QVERIFY(f->IsSplit());
    f->ForceClose();
    Settle();
    QVERIFY(app_->Documents().empty());
  }
};

int RunSoundViewTest(int argc, char** argv) {
  SoundViewTest t;
  return QTest::qExec(&t, argc, argv);
}
#include "SoundViewTest.moc"
