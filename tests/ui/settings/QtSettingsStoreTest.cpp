#include <QDir>
#include <QFileInfo>

#include "TestClasses.h"
#include "app/AppCore.h"
#include "settings/QtSettingsStore.h"
#include "app/AppSettings.h"
#include "settings/SettingsPersistence.h"

namespace {
void Clear() {
  QtSettingsStore store;
  store.Settings().clear();
  store.Flush();
}
}  // namespace

void QtSettingsStoreTest::storeLivesInTheTestConfiguration() {
  QtSettingsStore store;
  const QString file = store.Settings().fileName();
  const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  QVERIFY(!config.isEmpty());
  QCOMPARE(QFileInfo(file).absoluteFilePath(),
           QFileInfo(QDir(config).filePath("Quellmark/Norvane.conf")).absoluteFilePath());
  QVERIFY(!file.startsWith(QDir::homePath() + "/.config/"));
}

void QtSettingsStoreTest::valuesOfEveryKindRoundTrip() {
  Clear();
  {
    QtSettingsStore store;
    store.WriteNumber("Settings\\Power", "ZeroDB", -120);
    store.WriteNumber("Settings\\Power", "Big", INT32_MIN);
    store.WriteText("Settings\\DefData", "By", "Anna & Ben");
    store.WriteText("Settings\\DefData", "At", "");
    store.WriteBinary("Settings\\ColorMap", "000", {0, 1, 2, 255});
    store.WriteBinary("Settings\\ColorMap", "001", {});
    store.Flush();
  }
  QtSettingsStore store;  // a fresh instance reads the file
  QCOMPARE(store.ReadNumber("Settings\\Power", "ZeroDB").value_or(0), -120);
  QCOMPARE(store.ReadNumber("Settings\\Power", "Big").value_or(0), INT32_MIN);
  QCOMPARE(store.ReadText("Settings\\DefData", "By").value_or(""), std::string("Anna & Ben"));
  QVERIFY(store.ReadText("Settings\\DefData", "At").has_value());
  QCOMPARE(store.ReadText("Settings\\DefData", "At").value(), std::string());
  QCOMPARE(store.ReadBinary("Settings\\ColorMap", "000").value_or(std::vector<uint8_t>{}),
           (std::vector<uint8_t>{0, 1, 2, 255}));
  auto empty = store.ReadBinary("Settings\\ColorMap", "001");
  QVERIFY(empty.has_value());
  QVERIFY(empty->empty());
  // The group layout of the file.
  QCOMPARE(store.Settings().value("Settings/Power/ZeroDB").toInt(), -120);
}

void QtSettingsStoreTest::missingAndOtherKindsReadAsMissing() {
  Clear();
  QtSettingsStore store;
  int32_t field = 77;
  QVERIFY(!store.Read("Settings\\Power", "Nothing", field));
  QCOMPARE(field, 77);
  store.WriteText("Settings\\Power", "Text", "abc");
  store.WriteBinary("Settings\\Power", "Block", {1, 2});
  store.WriteNumber("Settings\\Power", "Number", 3);
  QVERIFY(!store.ReadNumber("Settings\\Power", "Text"));
  QVERIFY(!store.ReadNumber("Settings\\Power", "Block"));
  QVERIFY(!store.ReadBinary("Settings\\Power", "Number"));
  QVERIFY(!store.ReadText("Settings\\Power", "Block"));
}

void QtSettingsStoreTest::saveAllMakesTheSectionsAsGroups() {
  Clear();
  {
    QtSettingsStore store;
    nv::AppCore app;
    nv::LoadAll(store, app);  // a first start: nothing there
    nv::SaveAll(store, app);
  }
  QtSettingsStore store;
  QSettings& s = store.Settings();
  s.beginGroup("Settings");
  QStringList groups = s.childGroups();
  s.endGroup();
  groups.sort();
  QCOMPARE(groups, (QStringList{"DefData", "Power", "Puls", "Rate"}));
  QVERIFY(store.SectionExists("Settings\\DefData\\Analys"));
  QVERIFY(!store.SectionExists("Settings\\CB"));
  QVERIFY(!store.SectionExists("Settings\\NI"));
  QCOMPARE(s.value("Settings/DefData/Analys/PlotSizemySec").toInt(), 15000000);
  QCOMPARE(s.value("Settings/DefData/Analys/UserColor").toByteArray().size(), 1848);
  QCOMPARE(s.value("Settings/DefData/Rate").toInt(), 11025);
}

void QtSettingsStoreTest::loadAllReadsWhatSaveAllWrote() {
  Clear();
  nv::AppCore app;
  app.defaultAnalysis.timePerPlotUs = 320000;
  app.defaultAnalysis.oscillogramShown = app.defaultAnalysis.lineBetweenSamples = 1;
  app.defaultAnalysis.colorScheme = 3;
  app.defaultPower.maxV = 2.5;
  app.defaultPulse.durTimeUs = 900;
  app.defaultRate.bars = 40;
  app.defaultData.rateHz = 250000;
  {
    QtSettingsStore store;
    nv::SaveAll(store, app);
  }
  QtSettingsStore store;
  store.WriteNumber("Settings\\CB", "Spectro", 2);
  store.WriteNumber("Settings\\Power", "LogScale", 2);
  nv::AppCore back;
  nv::LoadAll(store, back);
  QVERIFY(back.defaultAnalysis == app.defaultAnalysis);
  QCOMPARE(back.defaultPower.maxV, 2.5);
  QCOMPARE(back.defaultPower.logScale, uint8_t{0});
  QCOMPARE(back.defaultPulse.durTimeUs, 900);
  QCOMPARE(back.defaultRate.bars, 40);
  QCOMPARE(back.defaultData.rateHz, 250000);
  QCOMPARE(back.cboardCard.spectro, uint8_t{1});
}

void QtSettingsStoreTest::colourMapsWithTenEmptyValues() {
  Clear();
  nv::ColorMapList list;
  for (int i = 0; i < 5; ++i) {
    nv::UserColorMap m;
    m.SetName("Map " + std::to_string(i));
    m.rangeCount = 1;
    m.ranges[0] = {0, -50000, -1000, 50, nv::Rgb(1, 2, 3), nv::Rgb(4, 5, 6), INT32_MIN};
    list.maps.push_back(m);
  }
  {
    QtSettingsStore store;
    nv::SaveColorMaps(store, list);
  }
  QtSettingsStore store;
  QSettings& s = store.Settings();
  for (int i = 5; i <= 14; ++i) {
    const QString key = QString::asprintf("Settings/ColorMap/%03d", i);
    QVERIFY2(s.contains(key), qPrintable(key));
    QCOMPARE(s.value(key).toByteArray().size(), 0);
  }
  QVERIFY(!s.contains("Settings/ColorMap/015"));
  nv::ColorMapList back;
  nv::LoadColorMaps(store, back);
  QCOMPARE(back.maps.size(), size_t{5});
  QCOMPARE(back.maps[4].Name(), std::string("Map 4"));
  QVERIFY(back.maps[2] == list.maps[2]);
}
