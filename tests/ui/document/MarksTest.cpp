// The marks in the running application: saving the cursor as a mark, the
// two mark submenus (every mark reachable, the active one in bold, renamed
// items), "Mark properties" with OK, Cancel and Remove, move mode with the
// arrow keys, "Mark distances" and its Copy, "Clear all marks", scrolling to
// a mark, export and import from the Tools menu, and every view of the
// document kept in line. Dialogs are answered through their runners and
// messages are recorded.
//
// With NORVANE_GRAB_DIR set, the two dialogs are also saved there as PNG files.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "AppFixture.h"
#include "../../support/TestSupport.h"
#include "app/CMainFrame.h"
#include "app/CNorvaneApp.h"
#include "app/CSndFileDialog.h"
#include "base/CommandIds.h"
#include "document/CNorvaneDoc.h"
#include "fileformats/FileType.h"
#include "document/MarkDistancesDialog.h"
#include "document/MarkFileDialog.h"
#include "document/MarkPropertiesDialog.h"
#include "base/NumericEdit.h"
#include "document/SoundFormatDialog.h"
#include "plot/SoundPlot.h"
#include "settings/MemorySettingsStore.h"
#include "views/CNvAnaView.h"
#include "views/SoundViewControllers.h"
#include "views/SoundViewMarks.h"

using nv::CNorvaneDoc;

class MarksTest : public QObject, protected nv::test::AppFixture {
  Q_OBJECT

  // What the documents a test makes share.
  nv::DocumentContext documents;

 private:
  QTemporaryDir dir_;
  std::optional<SndFileChoice> openAnswer_;

  QString Path(const QString& name) const { return dir_.filePath(name); }

  // One second of a sine at 44 100 Hz, mono 16-bit, in the program's own wave form.
  QString WriteSine(const QString& name, int frames = 44100) {
    CNorvaneDoc doc(documents);
    std::vector<int16_t> s(static_cast<size_t>(frames));
    for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(8000 * std::sin(static_cast<double>(i) * 0.7));
    nv::test::FillDocument(doc, 1, 16, 44100, nv::test::Samples16(s));
    const QString p = Path(name);
    if (!doc.Save({p.toStdString(), nv::FileType::NorvaneWave})) qFatal("cannot write test file");
    return p;
  }


  bool Start(const QString& file) {
    return StartApp({file}, {1000, 700});
  }
  bool Enabled(int id) {
    Frame()->UpdateCommandUi();
    return Frame()->Action(id)->isEnabled();
  }
  bool Checked(int id) {
    Frame()->UpdateCommandUi();
    return Frame()->Action(id)->isChecked();
  }
  QString LastMessage() const { return sink_.texts.empty() ? QString() : QString::fromStdString(sink_.texts.back()); }

  void SetCursor(int32_t position, int32_t value = 0, bool inSpect = false, nv::CursorKind kind = nv::CursorKind::Marking) {
    nv::CursorRecord c;
    c.position = position;
    c.value = value;
    c.inSpectrogram = inSpect;
    c.kind = kind;
    c.channel = 1;
    View()->Plot()->SetCursor(c);
  }
  QStringList Items(QMenu* m) const {
    QStringList l;
    for (QAction* a : m->actions()) l << a->text();
    return l;
  }

 private slots:
  void init() {
    sink_.Install();
    sink_.texts.clear();
    sink_.answer = false;
    MakeApp();
    CSndFileDialog::runner = [this](CSndFileDialog&) { return openAnswer_; };
  }

  void cleanup() {
    DropApp();
    CSndFileDialog::runner = nullptr;
    MarkPropertiesDialog::runner = nullptr;
    MarkDistancesDialog::runner = nullptr;
    MarkFileDialog::runner = nullptr;
    sink_.Remove();
  }

  void saveCursorAsMark() {
    QVERIFY(Start(WriteSine("a.wav")));
    CNorvaneDoc* doc = Doc();
    QVERIFY(!doc->IsModified());
    // No cursor: not offered.
    QVERIFY(!Enabled(cmd::kSaveCursorAsMark));
    QVERIFY(!Enabled(cmd::kActiveMarkProperties));
    QVERIFY(!Enabled(cmd::kMarkDistances));
    QVERIFY(!Enabled(cmd::kClearAllMarks));
    const int32_t first = View()->Plot()->Setup().firstVisible();
    SetCursor(View()->Plot()->Setup().lastVisible() + 10);
    QVERIFY(!Enabled(cmd::kSaveCursorAsMark));
    const int32_t last = nv::ViewFrame(std::min<nv::FrameIndex>(View()->Plot()->Setup().lastVisible(), doc->FrameCount()));
    SetCursor((first + last) / 2, 4200, false, nv::CursorKind::Measurement);
    QVERIFY(Enabled(cmd::kSaveCursorAsMark));
    // The context menu offers it as "Save cursor".
    std::unique_ptr<QMenu> ctx(View()->MakeContextMenu(View()->mapToGlobal(QPoint(5, 5))));
    QVERIFY(Items(ctx.get()).contains(QStringLiteral("Save cursor")));

    Frame()->Route(cmd::kSaveCursorAsMark);
    QCOMPARE(doc->Marks().size(), size_t{1});
    const nv::MarkRecord& m = doc->Marks()[0];
    QCOMPARE(m.number, 0);
    QCOMPARE(QString::fromStdString(m.label), QString("Mark 0"));
    QCOMPARE(m.position, (first + last) / 2);
    QCOMPARE(m.value, 4200);
    QCOMPARE(m.kind, 2);
    QCOMPARE(m.active, 1);
    QVERIFY(doc->IsModified());
    // The cursor went to sample 0; the view draws the mark.
    QCOMPARE(View()->Plot()->Cursor().position, 0);
    QCOMPARE(View()->Plot()->Marks().size(), size_t{1});
    QVERIFY(Enabled(cmd::kActiveMarkProperties));
    QVERIFY(Enabled(cmd::kMarkDistances));
    QVERIFY(Enabled(cmd::kClearAllMarks));

    // "Save cursor" of the context menu does the same; numbers are not reused.
    SetCursor(first + 5);
    ctx.reset(View()->MakeContextMenu(View()->mapToGlobal(QPoint(5, 5))));
    QAction* save = nullptr;
    for (QAction* a : ctx->actions())
      if (a->text() == QStringLiteral("Save cursor")) save = a;
    QVERIFY(save && save->isEnabled());
    save->trigger();
    QCOMPARE(doc->Marks().size(), size_t{2});
    QCOMPARE(doc->Marks()[1].position, first + 5);
    doc->Marks().Remove(1);
    SetCursor(first + 6);
    Frame()->Route(cmd::kSaveCursor);
    QCOMPARE(doc->Marks()[1].number, 2);
    QCOMPARE(QString::fromStdString(doc->Marks()[1].label), QString("Mark 2"));

    Frame()->Route(cmd::kClearAllMarks);
    QVERIFY(doc->Marks().empty());
    QVERIFY(View()->Plot()->Marks().empty());
    QVERIFY(!Enabled(cmd::kClearAllMarks));
  }

  void submenusReachEveryMarkAndFollowRenames() {
    QVERIFY(Start(WriteSine("b.wav")));
    CNorvaneDoc* doc = Doc();
    for (int i = 0; i < 160; ++i) doc->Marks().Add(i * 200, 0, false, 1, "", true, nv::CursorKind::Marking);
    Frame()->RebuildMarkMenus();
    QCOMPARE(Frame()->SetActiveMarkMenu()->actions().size(), qsizetype{160});
    QCOMPARE(Frame()->ScrollToMarkMenu()->actions().size(), qsizetype{160});
    QAction* set155 = Frame()->SetActiveMarkMenu()->actions()[155];
    QCOMPARE(set155->text(), QString("Mark 155"));
    QVERIFY(set155->isEnabled());
    set155->trigger();
    QCOMPARE(doc->Marks().ActiveNumber(), 155);
    Frame()->RebuildMarkMenus();
    // The active mark's item is bold, the others are not.
    QVERIFY(Frame()->SetActiveMarkMenu()->actions()[155]->font().bold());
    QVERIFY(!Frame()->SetActiveMarkMenu()->actions()[154]->font().bold());
    QVERIFY(!Frame()->ScrollToMarkMenu()->actions()[155]->font().bold());
    // Scroll to mark 150 (frame 30 000): centred in a 100 ms view (the sound
    // opened fitted to the window, where there is nothing to scroll).
    View()->Settings().timePerPlotUs = 100000;
    View()->Recompute();
    Frame()->ScrollToMarkMenu()->actions()[150]->trigger();
    const int64_t half = doc->MicrosecondsToFrames(View()->Settings().timePerPlotUs) / 2;
    QCOMPARE(View()->Settings().firstVisibleSample, std::max<int64_t>(0, 30000 - half));

    // Renaming changes both items.
    MarkPropertiesDialog::runner = [](MarkPropertiesDialog& d) {
      d.LabelField()->setText(QStringLiteral("Renamed"));
      d.accept();
    };
    Frame()->Route(cmd::kActiveMarkProperties);
    Frame()->RebuildMarkMenus();
    QCOMPARE(Frame()->SetActiveMarkMenu()->actions()[155]->text(), QString("Renamed"));
    QCOMPARE(Frame()->ScrollToMarkMenu()->actions()[155]->text(), QString("Renamed"));
    QCOMPARE(Frame()->ScrollToMarkMenu()->actions()[154]->text(), QString("Mark 154"));
  }

  void scrollToMarkNearTheStart() {
    QVERIFY(Start(WriteSine("s.wav")));
    CNorvaneDoc* doc = Doc();
    View()->Settings().timePerPlotUs = doc->FramesToMicroseconds(1000) + 1;  // 1000 frames visible
    View()->Settings().firstVisibleSample = 20000;
    View()->Recompute();
    const int32_t n = doc->Marks().Add(100, 0, false, 1, "", true, nv::CursorKind::Marking);
    View()->ScrollToMark(n);
    QCOMPARE(View()->Settings().firstVisibleSample, int64_t{0});
    QCOMPARE(View()->Plot()->Setup().firstVisible(), 0);
  }

  void propertiesDialog() {
    QVERIFY(Start(WriteSine("c.wav")));
    CNorvaneDoc* doc = Doc();
    const int32_t n = doc->Marks().Add(1000, 30000, true, 1, std::string(60, 'x'), true, nv::CursorKind::LargeMeasurement);
    doc->SetModifiedFlag(false);
    // What the dialog shows; a longer label read from a file is kept whole.
    MarkPropertiesDialog::runner = [](MarkPropertiesDialog& d) {
      QCOMPARE(d.windowTitle(), QString("Mark properties"));
      QCOMPARE(d.LabelField()->text().size(), qsizetype{60});
      QCOMPARE(d.KindBox()->currentText(), QString("Large measurement cursor"));
      QCOMPARE(d.KindBox()->count(), 3);
      QVERIFY(d.DisplayLabelBox()->isChecked());
      QVERIFY(d.DisplayMarkBox()->isChecked());
      QCOMPARE(d.RemoveButton()->text(), QString("Remove"));
      nv::test::Grab(d, "mark-properties.png");
      d.reject();
    };
    Frame()->Route(cmd::kActiveMarkProperties);
    QCOMPARE(doc->Marks().Find(n)->label, std::string(60, 'x'));
    QVERIFY(!doc->IsModified());  // Cancel changes nothing

    // OK stores every field; the label field takes 40 characters, the
    // description 400.
    MarkPropertiesDialog::runner = [](MarkPropertiesDialog& d) {
      d.LabelField()->clear();
      QTest::keyClicks(d.LabelField(), QString(50, QChar('y')));
      QCOMPARE(d.LabelField()->text().size(), qsizetype{50});  // the old length stays the limit
      d.LabelField()->setMaxLength(MarkPropertiesDialog::kLabelChars);
      d.DisplayLabelBox()->setChecked(false);
      d.DisplayMarkBox()->setChecked(false);
      d.KindBox()->setCurrentIndex(1);
      d.DescriptionField()->setPlainText(QString(450, QChar('d')));
      QCOMPARE(d.DescriptionField()->toPlainText().size(), qsizetype{400});
      d.accept();
    };
    Frame()->Route(cmd::kActiveMarkProperties);
    const nv::MarkRecord* m = doc->Marks().Find(n);
    QCOMPARE(m->label, std::string(40, 'y'));
    QCOMPARE(m->displayLabel, 0);
    QCOMPARE(m->displayMark, 0);
    QCOMPARE(m->kind, 2);
    QCOMPARE(m->description.size(), size_t{399});  // what a file holds
    QVERIFY(doc->IsModified());
    QCOMPARE(View()->Plot()->Marks()[0].label, std::string(40, 'y'));

    // A new dialog limits a short label to 40 characters.
    MarkPropertiesDialog::runner = [](MarkPropertiesDialog& d) {
      d.LabelField()->clear();
      QTest::keyClicks(d.LabelField(), QString(50, QChar('z')));
      QCOMPARE(d.LabelField()->text().size(), qsizetype{40});
      d.reject();
    };
    doc->Marks().SetProperties(n, nv::MarkProperties{"short", "", true, true, nv::CursorKind::Measurement});
    Frame()->Route(cmd::kActiveMarkProperties);

    // Remove: gone, nothing active, move mode off.
    View()->Controllers().Marks().SetMoveMarkMode(true);
    QVERIFY(Checked(cmd::kMoveActiveMark));
    MarkPropertiesDialog::runner = [](MarkPropertiesDialog& d) { d.RemoveButton()->click(); };
    Frame()->Route(cmd::kActiveMarkProperties);
    QVERIFY(doc->Marks().empty());
    QVERIFY(!View()->Controllers().Marks().MoveMarkMode());
    QVERIFY(!Enabled(cmd::kMoveActiveMark));
    QVERIFY(!Enabled(cmd::kActiveMarkProperties));
  }

  void moveModeWithArrowKeys() {
    QVERIFY(Start(WriteSine("d.wav")));
    CNorvaneDoc* doc = Doc();
    const nv::PlotSetup& s = View()->Plot()->Setup();
    QVERIFY(s.oscShown);
    const int32_t mid = nv::ViewFrame(std::min<nv::FrameIndex>(doc->FrameCount(), s.lastVisible()) / 2);
    const int32_t osc = doc->Marks().Add(mid, 9000, false, 1, "", true, nv::CursorKind::Measurement);
    QVERIFY(!Checked(cmd::kMoveActiveMark));
    Frame()->Route(cmd::kMoveActiveMark);
    QVERIFY(Checked(cmd::kMoveActiveMark));
    View()->setFocus();
    // Up stops at 100 %.
    for (int i = 0; i < 400; ++i) QTest::keyClick(View(), Qt::Key_Up);
    QCOMPARE(doc->Marks().Find(osc)->value, 10000);
    QTest::keyClick(View(), Qt::Key_Down);
    QVERIFY(doc->Marks().Find(osc)->value < 10000);
    // Right moves by one pixel in frames; the cursor stays where it was.
    SetCursor(mid);
    const int32_t before = doc->Marks().Find(osc)->position;
    QTest::keyClick(View(), Qt::Key_Right);
    QVERIFY(doc->Marks().Find(osc)->position > before);
    QCOMPARE(View()->Plot()->Cursor().position, mid);
    QCOMPARE(View()->Plot()->Marks()[0].position, doc->Marks().Find(osc)->position);
    // A marking-cursor mark does not move up.
    const int32_t t = doc->Marks().Add(mid, 0, false, 1, "", true, nv::CursorKind::Marking);
    QVERIFY(View()->Controllers().Marks().MoveMarkMode());  // still on: a mark is active
    QTest::keyClick(View(), Qt::Key_Up);
    QCOMPARE(doc->Marks().Find(t)->value, 0);
    // Toggled off, the keys move the cursor again.
    Frame()->Route(cmd::kMoveActiveMark);
    QVERIFY(!Checked(cmd::kMoveActiveMark));
    QTest::keyClick(View(), Qt::Key_Right);
    QCOMPARE(doc->Marks().Find(t)->position, mid);
    QVERIFY(View()->Plot()->Cursor().position > mid);
    // Without an active mark move mode goes off.
    Frame()->Route(cmd::kMoveActiveMark);
    QVERIFY(Checked(cmd::kMoveActiveMark));
    doc->Marks().SetActive(-1);
    QVERIFY(!View()->Controllers().Marks().MoveMarkMode());
    QVERIFY(!Checked(cmd::kMoveActiveMark));
  }

  void distancesDialogAndCopy() {
    QVERIFY(Start(WriteSine("e.wav")));
    CNorvaneDoc* doc = Doc();
    doc->Marks().Add(1000, 45500, true, 1, "High", true, nv::CursorKind::Measurement);
    doc->Marks().Add(1441, 40000, true, 1, "Low", true, nv::CursorKind::Measurement);
    doc->Marks().Add(1882, 0, false, 1, "Time", true, nv::CursorKind::Marking);
    bool shown = false;
    MarkDistancesDialog::runner = [&](MarkDistancesDialog& d) {
      shown = true;
      QCOMPARE(d.windowTitle(), QString("Mark distances"));
      QTableWidget* t = d.Table();
      // The labels head the columns once; one row per mark.
      QCOMPARE(t->columnCount(), 4);
      QCOMPARE(t->rowCount(), 3);
      QVERIFY(!t->horizontalHeader()->isHidden());
      QCOMPARE(t->horizontalHeaderItem(0)->text(), QString(""));
      QCOMPARE(t->horizontalHeaderItem(1)->text(), QString("High"));
      QCOMPARE(t->horizontalHeaderItem(2)->text(), QString("Low"));
      QCOMPARE(t->horizontalHeaderItem(3)->text(), QString("Time"));
      QCOMPARE(t->item(0, 0)->text(), QString("High"));
      QCOMPARE(t->item(1, 0)->text(), QString("Low"));
      QCOMPARE(t->item(2, 0)->text(), QString("Time"));
      QCOMPARE(t->item(1, 1)->text(), QString("10 ms"));
      QCOMPARE(t->item(0, 2)->text(), QString("5.500 kHz"));
      QCOMPARE(t->item(0, 3)->text(), QString("-"));
      QCOMPARE(t->item(2, 1)->text(), QString("20 ms"));
      for (int c = 1; c < t->columnCount(); ++c)  // the header row is not repeated
        QVERIFY(t->item(0, c)->text() != t->horizontalHeaderItem(c)->text());
      QVERIFY(t->columnWidth(2) >= MarkDistancesDialog::kColumnWidth);
      QVERIFY(t->columnWidth(2) >= t->fontMetrics().horizontalAdvance(QStringLiteral("5.500 kHz")));
      for (int c = 0; c < t->columnCount(); ++c) {
        QVERIFY(t->columnWidth(c) >= t->horizontalHeader()->sectionSizeHint(c));
        QVERIFY(t->columnWidth(c) >
                t->horizontalHeader()->fontMetrics().horizontalAdvance(t->horizontalHeaderItem(c)->text()));
      }
      QCOMPARE(d.CopyButton()->text(), QString("Copy "));
      nv::test::Grab(d, "mark-distances.png");
      d.CopyButton()->click();
    };
    Frame()->Route(cmd::kMarkDistances);
    QVERIFY(shown);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QString("\tHigh\tLow\tTime\r\n"
                     "High\t-\t5.500 kHz\t-\r\n"
                     "Low\t10 ms\t-\t-\r\n"
                     "Time\t20 ms\t10 ms\t-\r\n"));
  }

  void everyViewKeptInLine() {
    QVERIFY(Start(WriteSine("f.wav")));
    CNorvaneDoc* doc = Doc();
    CNvAnaView* first = View();
    Frame()->Route(cmd::kNewOscillogram);
    Settle();
    CNvAnaView* second = View();
    QVERIFY(first != second);
    const int32_t n = doc->Marks().Add(500, 0, false, 1, "One", true, nv::CursorKind::Marking);
    doc->Marks().Add(900, 0, false, 1, "Two", true, nv::CursorKind::Marking);
    for (CNvAnaView* v : {first, second}) QCOMPARE(v->Plot()->Marks().size(), size_t{2});
    doc->Marks().Remove(n);
    for (CNvAnaView* v : {first, second}) {
      QCOMPARE(v->Plot()->Marks().size(), size_t{1});
      QCOMPARE(v->Plot()->Marks()[0].label, std::string("Two"));
    }
  }

  void exportAndImportFromTheToolsMenu() {
    QVERIFY(Start(WriteSine("g.wav")));
    CNorvaneDoc* doc = Doc();
    doc->Marks().Add(4410, 30000, true, 1, "Call", true, nv::CursorKind::Measurement);
    doc->Marks().Add(22050, 0, false, 1, "Half", true, nv::CursorKind::Marking);
    QVERIFY(Enabled(cmd::kExportMarks));
    QVERIFY(Enabled(cmd::kImportMarks));
    const std::pair<QString, nv::MarkExchangeFormat> files[] = {
        {Path("l.txt"), nv::MarkExchangeFormat::Labels}, {Path("t.txt"), nv::MarkExchangeFormat::SelectionTable}};
    for (bool save : {true, false}) {
      for (const auto& [file, format] : files) {
        bool asked = false;
        MarkFileDialog::runner = [&, save](bool saving, QWidget*) -> std::optional<MarkFileDialog::Choice> {
          asked = saving == save;
          return MarkFileDialog::Choice{file, format};
        };
        Frame()->Route(save ? cmd::kExportMarks : cmd::kImportMarks);
        QVERIFY(asked);
        QVERIFY(QFile::exists(file));
      }
    }
    QCOMPARE(doc->Marks().size(), size_t{6});
    for (size_t i = 2; i < 6; ++i) {
      QCOMPARE(doc->Marks()[i].label, doc->Marks()[i % 2].label);
      QCOMPARE(doc->Marks()[i].position, doc->Marks()[i % 2].position);
      QCOMPARE(doc->Marks()[i].value, doc->Marks()[i % 2].value);
    }
    QVERIFY(sink_.texts.empty());
    // A malformed file: the lines are named and nothing is added.
    const QString bad = Path("bad.txt");
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("0.1\t0.1\tok\nx\t1\tbad\n0.2\t0.1\tbad\n");
    f.close();
    MarkFileDialog::runner = [&](bool, QWidget*) -> std::optional<MarkFileDialog::Choice> {
      return MarkFileDialog::Choice{bad, nv::MarkExchangeFormat::Labels};
    };
    Frame()->Route(cmd::kImportMarks);
    QCOMPARE(doc->Marks().size(), size_t{6});
    QVERIFY(LastMessage().contains("line 2: start time is not a number"));
    QVERIFY(LastMessage().contains("line 3: end time before start time"));
    // Cancel in the file dialog does nothing.
    MarkFileDialog::runner = [](bool, QWidget*) { return std::optional<MarkFileDialog::Choice>(); };
    sink_.texts.clear();
    Frame()->Route(cmd::kImportMarks);
    QVERIFY(sink_.texts.empty());
  }

  void menusShowAmpersandsAndClearAllRestartsTheNumbers() {
    QVERIFY(Start(WriteSine("h.wav")));
    CNorvaneDoc* doc = Doc();
    for (int i = 0; i < 97; ++i) doc->Marks().Add(i * 100, 0, false, 1, "", true, nv::CursorKind::Marking);
    doc->Marks().Add(9800, 0, false, 1, "Salt & pepper", true, nv::CursorKind::Marking);
    doc->Marks().Add(9900, 0, false, 1, "R&&D &x", true, nv::CursorKind::Marking);
    Frame()->RebuildMarkMenus();
    for (QMenu* menu : {Frame()->SetActiveMarkMenu(), Frame()->ScrollToMarkMenu()}) {
      const QList<QAction*> items = menu->actions();
      QCOMPARE(items.size(), qsizetype{99});
      // Shown as typed: every "&" doubled, so no item has a shortcut letter.
      QCOMPARE(items[97]->text(), QString("Salt && pepper"));
      QCOMPARE(items[98]->text(), QString("R&&&&D &&x"));
      for (QAction* a : items) QVERIFY2(QKeySequence::mnemonic(a->text()).isEmpty(), qPrintable(a->text()));
    }
    Frame()->ScrollToMarkMenu()->actions()[98]->trigger();  // still reaches its mark
    Frame()->SetActiveMarkMenu()->actions()[97]->trigger();
    QCOMPARE(doc->Marks().ActiveNumber(), 97);

    // "Clear all marks": the next mark is "Mark 0" again, in both menus.
    Frame()->Route(cmd::kClearAllMarks);
    QVERIFY(doc->Marks().empty());
    const int32_t first = View()->Plot()->Setup().firstVisible();
    SetCursor(first + 10);
    Frame()->Route(cmd::kSaveCursorAsMark);
    SetCursor(first + 20);
    Frame()->Route(cmd::kSaveCursorAsMark);
    QCOMPARE(doc->Marks().size(), size_t{2});
    QCOMPARE(doc->Marks()[0].number, 0);
    QCOMPARE(QString::fromStdString(doc->Marks()[0].label), QString("Mark 0"));
    QCOMPARE(QString::fromStdString(doc->Marks()[1].label), QString("Mark 1"));
    Frame()->RebuildMarkMenus();
    QCOMPARE(Items(Frame()->SetActiveMarkMenu()), QStringList({"Mark 0", "Mark 1"}));
    QCOMPARE(Items(Frame()->ScrollToMarkMenu()), QStringList({"Mark 0", "Mark 1"}));
    QCOMPARE(View()->Plot()->Marks().size(), size_t{2});
    QCOMPARE(View()->Plot()->Marks()[0].position, first + 10);
  }

  void timeExpansionChangeKeepsTheMarksOnTheSound() {
    QVERIFY(Start(WriteSine("i.wav")));
    CNorvaneDoc* doc = Doc();
    const double effectiveBefore = View()->Plot()->Setup().spect.effectiveRateHz;
    QCOMPARE(effectiveBefore, 44100.0);
    // Two spectrogram marks 10 ms and 5.5 kHz apart, and an oscillogram mark.
    doc->Marks().Add(1000, 15500, true, 1, "High", true, nv::CursorKind::Measurement);
    doc->Marks().Add(1441, 10000, true, 1, "Low", true, nv::CursorKind::Measurement);
    doc->Marks().Add(1882, 4200, false, 1, "Amp", true, nv::CursorKind::Measurement);
    for (const char* factor : {"10", "2.5", "1"}) {
      std::vector<double> rows;  // each mark's frequency as a fraction of the effective rate
      for (const nv::MarkRecord& m : doc->Marks())
        rows.push_back(m.value / static_cast<double>(View()->Plot()->Setup().spect.effectiveRateHz));
      SoundFormatDialog::runner = [factor](SoundFormatDialog& d) {
        d.TimeExpansion()->setText(QString::fromLatin1(factor));
        return true;
      };
      Frame()->Route(cmd::kSoundFormat);
      SoundFormatDialog::runner = nullptr;
      Settle();
      const double effective = View()->Plot()->Setup().spect.effectiveRateHz;
      QCOMPARE(effective, 44100.0 * doc->Info().TimeExpansion() / 1000);
      // In the document and in the view's copies: the same frames, on the
      // same rows of the spectrogram; the amplitude as it was.
      for (size_t i = 0; i < 2; ++i) {
        const nv::MarkRecord& m = doc->Marks()[i];
        QVERIFY2(std::abs(m.value - rows[i] * effective) <= 0.5, factor);
        QCOMPARE(View()->Plot()->Marks()[i].value, m.value);
        QCOMPARE(View()->Plot()->Marks()[i].position, i == 0 ? 1000 : 1441);
      }
      QCOMPARE(doc->Marks()[2].value, 4200);
    }
    // Back at factor 1, and once more at 10: the distances and the export
    // follow the axis.
    QCOMPARE(doc->Marks()[0].value, 15500);
    SoundFormatDialog::runner = [](SoundFormatDialog& d) {
      d.TimeExpansion()->setText(QStringLiteral("10"));
      return true;
    };
    Frame()->Route(cmd::kSoundFormat);
    SoundFormatDialog::runner = nullptr;
    QCOMPARE(doc->Marks()[0].value, 155000);
    QCOMPARE(doc->Marks()[1].value, 100000);
    MarkDistancesDialog::runner = [&](MarkDistancesDialog& d) {
      QCOMPARE(d.Table()->item(1, 1)->text(), QString("1 ms"));
      QCOMPARE(d.Table()->item(0, 2)->text(), QString("55.00 kHz"));
    };
    Frame()->Route(cmd::kMarkDistances);
    const QString file = Path("relabelled.txt");
    MarkFileDialog::runner = [&](bool, QWidget*) -> std::optional<MarkFileDialog::Choice> {
      return MarkFileDialog::Choice{file, nv::MarkExchangeFormat::Labels};
    };
    Frame()->Route(cmd::kExportMarks);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    QVERIFY2(text.contains("\\\t155000.000000\t155000.000000\n"), qPrintable(text));
    QVERIFY2(text.contains("\\\t100000.000000\t100000.000000\n"), qPrintable(text));
  }
};

// Run by TestMain.cpp.
int RunMarksTest(int argc, char** argv) {
  MarksTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "MarksTest.moc"
