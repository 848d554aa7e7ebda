#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include "TestClasses.h"
#include "app/AppCore.h"
#include "settings/ColorMapEditorDialog.h"
#include "settings/MemorySettingsStore.h"
#include "app/AppSettings.h"
#include "settings/SettingsPersistence.h"
#include "settings/UserColorMapsDialog.h"
#include "base/NumericEdit.h"

namespace {
using Outcome = ColorMapEditorDialog::Outcome;

nv::UserColorMap Map(const std::string& name) {
  nv::UserColorMap m;
  m.SetName(name);
  m.rangeCount = 2;
  m.ranges[0] = {0, -30000, -1000, 30, nv::Rgb(255, 255, 0), nv::Rgb(255, 0, 0), INT32_MIN};
  m.ranges[1] = {-30000, -90000, -2000, 30, nv::Rgb(255, 0, 0), nv::Rgb(0, 0, 64), INT32_MIN};
  return m;
}

void SetRow(ColorMapEditorDialog& d, int v, const char* count, const char* from, const char* to,
            const char* step) {
  d.CountField(v)->setText(count);
  d.FromField(v)->setText(from);
  d.ToField(v)->setText(to);
  d.StepField(v)->setText(step);
}
}  // namespace

void ColorMapDialogsTest::editorRowsAndScrolling() {
  CapturedMessages messages;
  ColorMapEditorDialog d(Map("Night"), false);
  QCOMPARE(d.windowTitle(), QString("Spectrogram Color mapping"));
  QCOMPARE(d.NameField()->text(), QString("Night"));
  QCOMPARE(d.NameField()->maxLength(), 30);
  QCOMPARE(d.ScrollBar()->minimum(), 0);
  QCOMPARE(d.ScrollBar()->maximum(), 52);
  QCOMPARE(d.ScrollBar()->singleStep(), 1);
  QCOMPARE(d.ScrollBar()->pageStep(), 12);
  QCOMPARE(d.NumberLabel(0)->text(), QString("01"));
  QCOMPARE(d.NumberLabel(11)->text(), QString("12"));
  QCOMPARE(d.CountField(0)->text(), QString("30"));
  QCOMPARE(d.FromField(1)->text(), QString("-30"));
  QCOMPARE(d.ToField(1)->text(), QString("-90"));
  QCOMPARE(d.StepField(1)->text(), QString("-2"));
  // Rows past the map's ranges are new rows.
  QCOMPARE(d.CountField(2)->text(), QString("0"));
  QCOMPARE(d.RowAt(2).firstColor, nv::Rgb(0x9C, 0x9C, 0x9C));
  d.ScrollBar()->setValue(12);  // one page down
  QCOMPARE(d.TopRow(), 12);
  QCOMPARE(d.NumberLabel(0)->text(), QString("13"));
  d.ScrollTo(100);
  QCOMPARE(d.TopRow(), 52);
  QCOMPARE(d.NumberLabel(11)->text(), QString("64"));
  QCOMPARE(d.ScrollBar()->value(), 52);
  d.ScrollTo(0);
  QCOMPARE(d.FromField(1)->text(), QString("-30"));
  QVERIFY(messages.texts().empty());

  ColorMapEditorDialog fresh(nv::UserColorMap(), true);
  QCOMPARE(fresh.NameField()->text(), QString());
  QCOMPARE(fresh.LastUpdateField()->text(), QString());
  QCOMPARE(fresh.CountField(0)->text(), QString("0"));  // not the template's 90
  QCOMPARE(fresh.ToField(0)->text(), QString("0"));
}

void ColorMapDialogsTest::leavingAFieldAppliesTheRangeRule() {
  CapturedMessages messages;
  ColorMapEditorDialog d(nv::UserColorMap(), true);
  SetRow(d, 0, "0", "0", "-60", "-2");
  d.RowFieldLeft(0, false);
  QCOMPARE(d.CountField(0)->text(), QString("30"));
  QCOMPARE(d.StepField(0)->text(), QString("-2"));
  d.CountField(0)->setText("4");
  d.RowFieldLeft(0, true);
  QCOMPARE(d.StepField(0)->text(), QString("-15"));
  QCOMPARE(d.RowAt(0).step, -15000);
  // Step 0 after a change of the step field: the step comes from the count.
  d.StepField(0)->setText("0");
  d.RowFieldLeft(0, false);
  QCOMPARE(d.StepField(0)->text(), QString("-15"));
  // To 0: the editing forms leave the row, only the count is at least 1.
  SetRow(d, 1, "0", "-10", "0", "0");
  d.RowFieldLeft(1, false);
  QCOMPARE(d.CountField(1)->text(), QString("1"));
  QCOMPARE(d.StepField(1)->text(), QString("0"));
  // Decimal dB in thousandths.
  SetRow(d, 2, "0", "-0.5", "-3.25", "-0.25");
  d.RowFieldLeft(2, false);
  QCOMPARE(d.CountField(2)->text(), QString("11"));
  QCOMPARE(d.RowAt(2).to, -3250);
  QVERIFY(messages.texts().empty());
  // A bad text in a row field is reported.
  d.FromField(3)->setText("1..2");
  d.RowFieldLeft(3, false);
  QCOMPARE(messages.last(), std::string("Illegal character in numeric '1..2'."));
}

void ColorMapDialogsTest::orderOfLevelsRefusesScrollAndSave() {
  CapturedMessages messages;
  ColorMapEditorDialog d(Map("Night"), false);
  SetRow(d, 3, "10", "-60", "-20", "4");
  d.ScrollTo(12);
  QCOMPARE(d.TopRow(), 0);
  QCOMPARE(d.ScrollBar()->value(), 0);
  QCOMPARE(messages.last(), std::string("From (-60) must be greater then To (-20)."));
  QVERIFY(!d.Save());
  QCOMPARE(messages.texts().size(), size_t{2});
  // Equal levels are refused as well.
  SetRow(d, 3, "1", "-20.5", "-20.5", "0");
  QVERIFY(!d.SaveAsNew());
  QCOMPARE(messages.last(), std::string("From (-20.5) must be greater then To (-20.5)."));
  // Rows with both levels 0 are not checked.
  SetRow(d, 3, "0", "0", "0", "0");
  d.ScrollTo(12);
  QCOMPARE(d.TopRow(), 12);
  QCOMPARE(messages.texts().size(), size_t{3});
}

void ColorMapDialogsTest::blankNameRefused() {
  CapturedMessages messages;
  ColorMapEditorDialog d(Map("Night"), false);
  d.NameField()->setText("   ");
  QVERIFY(!d.Save());
  QCOMPARE(messages.last(), std::string("Name may not be blank!"));
  QVERIFY(!d.SaveAsNew());
  QCOMPARE(d.GetOutcome(), Outcome::Cancelled);
  // The rows are checked before the name.
  SetRow(d, 0, "1", "-50", "-10", "0");
  QVERIFY(!d.Save());
  QCOMPARE(messages.last(), std::string("From (-50) must be greater then To (-10)."));
}

void ColorMapDialogsTest::savingIntoTheMap() {
  CapturedMessages messages;
  ColorMapEditorDialog d(nv::UserColorMap(), true);
  d.NameField()->setText("  Evening calls  ");
  SetRow(d, 0, "0", "0", "-40", "-4");
  SetRow(d, 4, "3", "-40", "-100", "0");
  const uint64_t before = ColorMapEditorDialog::CurrentFileTime();
  QVERIFY(d.Save());
  QCOMPARE(d.GetOutcome(), Outcome::Saved);
  const nv::UserColorMap& m = d.Map();
  QCOMPARE(m.Name(), std::string("Evening calls"));
  QCOMPARE(m.rangeCount, 5);  // the last row with from != to is row 5
  QCOMPARE(m.ranges[0].count, 10);
  QCOMPARE(m.ranges[0].step, -4000);
  QCOMPARE(m.ranges[4].count, 3);
  QCOMPARE(m.ranges[4].step, -20000);
  QCOMPARE(m.ranges[1].count, 0);  // untouched new rows are kept as they are
  QCOMPARE(m.ranges[1].firstColor, nv::Rgb(0x9C, 0x9C, 0x9C));
  for (const nv::ColorRange& r : m.ranges) QCOMPARE(r.firstPen, INT32_MIN);
  const uint64_t stamp = (static_cast<uint64_t>(m.updateHigh) << 32) | m.updateLow;
  QVERIFY(stamp >= before);
  QVERIFY(stamp - before < 10ULL * 10000000ULL);
  QVERIFY(messages.texts().empty());

  ColorMapEditorDialog asNew(Map("Night"), false);
  QVERIFY(asNew.SaveAsNew());
  QCOMPARE(asNew.GetOutcome(), Outcome::SavedAsNew);
  QCOMPARE(asNew.Map().rangeCount, 2);
  QCOMPARE(asNew.Map().ranges[1].to, -90000);
}

void ColorMapDialogsTest::colourButtons() {
  ColorMapEditorDialog d(Map("Night"), false);
  QColor offered;
  d.chooseColor = [&](const QColor& current) -> std::optional<QColor> {
    offered = current;
    return QColor(10, 20, 30);
  };
  QTest::mouseClick(d.FromColorButton(1), Qt::LeftButton);
  QCOMPARE(offered, QColor(255, 0, 0));
  QCOMPARE(d.RowAt(1).firstColor, nv::Rgb(10, 20, 30));
  d.chooseColor = [](const QColor&) -> std::optional<QColor> { return std::nullopt; };
  QTest::mouseClick(d.ToColorButton(1), Qt::LeftButton);
  QCOMPARE(d.RowAt(1).lastColor, nv::Rgb(0, 0, 64));
  QVERIFY(d.FromColorButton(1)->styleSheet().contains("#0a141e"));
  QVERIFY(d.Save());
  QCOMPARE(d.Map().ranges[1].firstColor, nv::Rgb(10, 20, 30));
}

void ColorMapDialogsTest::lastUpdateText() {
  QCOMPARE(ColorMapEditorDialog::LastUpdateText(0), QString());
  const QDateTime t(QDate(2024, 3, 12), QTime(14, 5, 33));
  const uint64_t fileTime =
      static_cast<uint64_t>(t.toMSecsSinceEpoch()) * 10000 + 116444736000000000ULL;
  const QString text = ColorMapEditorDialog::LastUpdateText(fileTime);
  const QLocale locale = QLocale::system();
  QVERIFY2(text.startsWith(locale.toString(QDate(2024, 3, 12), QLocale::ShortFormat) + " "),
           qPrintable(text));
  QVERIFY2(text.contains("05"), qPrintable(text));
  QVERIFY2(!text.contains("33"), qPrintable(text));  // no seconds

  nv::UserColorMap m = Map("Night");
  m.updateLow = static_cast<uint32_t>(fileTime);
  m.updateHigh = static_cast<uint32_t>(fileTime >> 32);
  ColorMapEditorDialog d(m, false);
  QCOMPARE(d.LastUpdateField()->text(), text);
  QVERIFY(d.LastUpdateField()->isReadOnly());
}

void ColorMapDialogsTest::listButtonsAndChanges() {
  nv::ColorMapList list;
  list.maps = {Map("Night"), Map("Dawn")};
  int saves = 0;
  UserColorMapsDialog d(list, [&] { ++saves; });
  QCOMPARE(d.windowTitle(), QString("User defined color mappings"));
  QCOMPARE(d.List()->count(), 2);
  QCOMPARE(d.List()->item(1)->text(), QString("Dawn"));
  QVERIFY(!d.ChangeButton()->isEnabled());
  QVERIFY(!d.DeleteButton()->isEnabled());
  QVERIFY(d.NewButton()->isEnabled());
  QCOMPARE(d.ReturnButton()->text(), QString("Return"));

  Outcome next = Outcome::Cancelled;
  bool lastWasNew = false;
  d.runEditor = [&](nv::UserColorMap& map, bool isNew) {
    lastWasNew = isNew;
    if (next != Outcome::Cancelled) map.SetName(isNew ? "Fresh" : map.Name() + " 2");
    return next;
  };
  // Without a selection Change and Delete do nothing.
  d.Change();
  d.Delete();
  QCOMPARE(saves, 0);
  QCOMPARE(list.maps.size(), size_t{2});

  d.List()->setCurrentRow(0);
  QVERIFY(d.ChangeButton()->isEnabled());
  QVERIFY(d.DeleteButton()->isEnabled());
  next = Outcome::Cancelled;
  QTest::mouseClick(d.ChangeButton(), Qt::LeftButton);
  QVERIFY(!lastWasNew);
  QCOMPARE(saves, 0);
  QCOMPARE(list.maps[0].Name(), std::string("Night"));

  next = Outcome::Saved;  // replaces the selected map
  d.Change();
  QCOMPARE(saves, 1);
  QCOMPARE(list.maps.size(), size_t{2});
  QCOMPARE(list.maps[0].Name(), std::string("Night 2"));
  QCOMPARE(d.List()->item(0)->text(), QString("Night 2"));

  next = Outcome::SavedAsNew;  // appends the edited copy
  d.List()->setCurrentRow(1);
  d.Change();
  QCOMPARE(saves, 2);
  QCOMPARE(list.maps.size(), size_t{3});
  QCOMPARE(list.maps[1].Name(), std::string("Dawn"));
  QCOMPARE(list.maps[2].Name(), std::string("Dawn 2"));

  next = Outcome::Saved;  // a new map is appended
  QTest::mouseClick(d.NewButton(), Qt::LeftButton);
  QVERIFY(lastWasNew);
  QCOMPARE(saves, 3);
  QCOMPARE(list.maps.size(), size_t{4});
  QCOMPARE(list.maps[3].Name(), std::string("Fresh"));
  next = Outcome::Cancelled;
  d.New();
  QCOMPARE(list.maps.size(), size_t{4});

  d.List()->setCurrentRow(1);
  QTest::mouseClick(d.DeleteButton(), Qt::LeftButton);  // at once, no question
  QCOMPARE(saves, 4);
  QCOMPARE(list.maps.size(), size_t{3});
  QCOMPARE(list.maps[1].Name(), std::string("Dawn 2"));
  QCOMPARE(d.List()->count(), 3);
  QVERIFY(!d.DeleteButton()->isEnabled());
}

void ColorMapDialogsTest::listChangesAreWrittenToTheStore() {
  nv::MemorySettingsStore store;
  nv::AppCore app;
  nv::InstallColorMapSaver(app, &store);
  app.colorMaps.maps = {Map("Night")};
  UserColorMapsDialog d(app.colorMaps, app.saveColorMaps);
  d.runEditor = [](nv::UserColorMap& map, bool) {
    map = Map("Added");
    return Outcome::Saved;
  };
  d.New();
  nv::ColorMapList back;
  nv::LoadColorMaps(store, back);
  QCOMPARE(back.maps.size(), size_t{2});
  QCOMPARE(back.maps[1].Name(), std::string("Added"));
  d.List()->setCurrentRow(0);
  d.Delete();
  nv::LoadColorMaps(store, back);
  QCOMPARE(back.maps.size(), size_t{1});
  QCOMPARE(back.maps[0].Name(), std::string("Added"));
  nv::InstallColorMapSaver(app, nullptr);
}
