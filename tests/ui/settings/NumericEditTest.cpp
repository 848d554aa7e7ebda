#include <QToolButton>
#include "TestClasses.h"
#include "base/HoldSpinButtons.h"
#include "base/NumericEdit.h"


void NumericEditTest::showing_data() {
  QTest::addColumn<qlonglong>("value");
  QTest::addColumn<int>("decimals");
  QTest::addColumn<qlonglong>("scale");
  QTest::addColumn<QString>("shown");
  QTest::newRow("integer") << 42LL << 0 << 1LL << "42";
  QTest::newRow("negative integer") << -7LL << 0 << 1LL << "-7";
  QTest::newRow("ms with zeros removed") << 15000000LL << -3 << 1000LL << "15000";
  QTest::newRow("ms one decimal") << 1500LL << -3 << 1000LL << "1.5";
  QTest::newRow("ms three decimals") << 1LL << -3 << 1000LL << "0.001";
  QTest::newRow("negative dB") << -60000LL << -3 << 1000LL << "-60";
  QTest::newRow("fixed decimals") << 1230LL << 2 << 100LL << "12.30";
  QTest::newRow("scaled whole percent") << -10000LL << 0 << 100LL << "-100";
}

void NumericEditTest::showing() {
  QFETCH(qlonglong, value);
  QFETCH(int, decimals);
  QFETCH(qlonglong, scale);
  QFETCH(QString, shown);
  QCOMPARE(NumericEdit::Format(value, decimals, scale), shown);
}

void NumericEditTest::parsing_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("decimals");
  QTest::addColumn<qlonglong>("scale");
  QTest::addColumn<int>("status");
  QTest::addColumn<qlonglong>("value");
  const int ok = static_cast<int>(NumericEdit::Status::Ok);
  const int bad = static_cast<int>(NumericEdit::Status::IllegalCharacter);
  QTest::newRow("blanks around") << "  12.5 " << -3 << 1000LL << ok << 12500LL;
  QTest::newRow("comma") << "1,25" << -3 << 1000LL << ok << 1250LL;
  QTest::newRow("minus") << "-3" << -3 << 1000LL << ok << -3000LL;
  QTest::newRow("minus fraction") << "-0.5" << -3 << 1000LL << ok << -500LL;
  QTest::newRow("three decimals") << "1.001" << -3 << 1000LL << ok << 1001LL;
  // Further digits weigh in below one unit; 0.1 is added before truncation.
  QTest::newRow("fourth decimal .8 truncated") << "0.0018" << -3 << 1000LL << ok << 1LL;
  QTest::newRow("fourth decimal .9 rounds up") << "0.0019" << -3 << 1000LL << ok << 2LL;
  QTest::newRow("point only") << "7." << -3 << 1000LL << ok << 7000LL;
  QTest::newRow("leading point") << ".25" << 2 << 100LL << ok << 25LL;
  QTest::newRow("integer field") << "15000" << 0 << 1LL << ok << 15000LL;
  QTest::newRow("scaled integer") << "50" << 0 << 100LL << ok << 5000LL;
  QTest::newRow("empty") << "" << 0 << 1LL << ok << 0LL;
  QTest::newRow("letter") << "12a" << 0 << 1LL << bad << 0LL;
  QTest::newRow("inner blank") << "1 2" << 0 << 1LL << bad << 0LL;
  QTest::newRow("two points") << "1.2.3" << -3 << 1000LL << bad << 0LL;
  QTest::newRow("point in integer field") << "1.5" << 0 << 1LL << bad << 0LL;
  QTest::newRow("double minus") << "--1" << 0 << 1LL << bad << 0LL;
  QTest::newRow("minus after digits") << "5-" << 0 << 1LL << bad << 0LL;
  QTest::newRow("plus sign") << "+5" << 0 << 1LL << bad << 0LL;
}

void NumericEditTest::parsing() {
  QFETCH(QString, text);
  QFETCH(int, decimals);
  QFETCH(qlonglong, scale);
  QFETCH(int, status);
  QFETCH(qlonglong, value);
  const NumericEdit::Parsed p = NumericEdit::Parse(text, decimals, scale);
  QCOMPARE(static_cast<int>(p.status), status);
  if (p.status == NumericEdit::Status::Ok) QCOMPARE(static_cast<qlonglong>(p.value), value);
}

void NumericEditTest::illegalCharacterMessage() {
  CapturedMessages messages;
  NumericEdit edit;
  edit.Configure(0, 0, 99);
  edit.setText("1x");
  QVERIFY(!edit.Value().has_value());
  QCOMPARE(messages.texts().size(), size_t{1});
  QCOMPARE(messages.last(), std::string("Illegal character in numeric '1x'."));
}

void NumericEditTest::outOfRangeMessage() {
  CapturedMessages messages;
  NumericEdit edit;
  edit.Configure(0, 0, 99);
  edit.setText("100");
  QVERIFY(!edit.Value().has_value());
  QCOMPARE(messages.last(), std::string("Numeric '100' out of range (0 - 99)."));
  NumericEdit db;
  db.Configure(-3, -120000, 0, 1000);
  db.setText("-120.5");
  QVERIFY(!db.Value().has_value());
  QCOMPARE(messages.last(), std::string("Numeric '-120.5' out of range (-120 - 0)."));
  db.setText(" -120 ");
  QCOMPARE(db.Value().value_or(1), -120000);
  QCOMPARE(messages.texts().size(), size_t{2});
}

void NumericEditTest::silentReading() {
  CapturedMessages messages;
  NumericEdit edit;
  edit.Configure(0, 1, 10);
  edit.setText("50");
  QVERIFY(!edit.ReadSilently().has_value());
  edit.setText("x");
  QVERIFY(!edit.ReadSilently().has_value());
  edit.setText("5");
  QCOMPARE(edit.ReadSilently().value_or(0), 5);
  QVERIFY(messages.texts().empty());
}

void NumericEditTest::keyFilter() {
  NumericEdit whole;
  whole.Configure(0, 0, 1000);
  QTest::keyClicks(&whole, "1a2.,-3 ");
  QCOMPARE(whole.text(), QString("123"));
  QTest::keyClick(&whole, Qt::Key_Backspace);
  QCOMPARE(whole.text(), QString("12"));

  NumericEdit signedDecimal;
  signedDecimal.Configure(-3, -1000000, 1000000, 1000);
  QTest::keyClicks(&signedDecimal, "-1.5,x");
  QCOMPARE(signedDecimal.text(), QString("-1.5,"));
}

void NumericEditTest::holdIncrements() {
  NumericEdit field;
  field.Configure(-3, -1000000000000LL, 1000000000000LL, 1000);
  HoldSpinButtons spin(&field, 1, 1200000000,
                       {{0, 10}, {1000, 500}, {3000, 1000}, {5000, 5000}, {7000, 10000},
                        {10000, 100000}, {13000, 1000000}});
  QCOMPARE(spin.IncrementFor(0), 10);
  QCOMPARE(spin.IncrementFor(999), 10);
  QCOMPARE(spin.IncrementFor(1000), 500);
  QCOMPARE(spin.IncrementFor(2999), 500);
  QCOMPARE(spin.IncrementFor(3000), 1000);
  QCOMPARE(spin.IncrementFor(5000), 5000);
  QCOMPARE(spin.IncrementFor(7000), 10000);
  QCOMPARE(spin.IncrementFor(10000), 100000);
  QCOMPARE(spin.IncrementFor(13000), 1000000);
  QCOMPARE(spin.IncrementFor(60000), 1000000);
  field.SetValue(15000000);
  spin.Step(1, 0);
  QCOMPARE(field.text(), QString("15000.01"));
  spin.Step(-1, 1500);
  QCOMPARE(field.text(), QString("14999.51"));
  field.SetValue(5);
  spin.Step(-1, 0);
  QCOMPARE(field.text(), QString("0.001"));  // limited to 1 µs
  field.SetValue(1199999999);
  spin.Step(1, 20000);
  QCOMPARE(field.text(), QString("1200000"));
  // A click on the up button steps once with the first increment.
  field.SetValue(1000);
  QTest::mouseClick(spin.UpButton(), Qt::LeftButton);
  QCOMPARE(field.text(), QString("1.01"));
}
