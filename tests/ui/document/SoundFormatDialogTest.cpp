// The "Sound format" dialog: its start from a document, the greyed buttons
// of a document with sound, "Other:" chosen by typing, and OK's checks.
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include "QtTestSupport.h"
#include "base/MessageSink.h"
#include "base/NumericEdit.h"
#include "document/CNorvaneDoc.h"
#include "document/DocumentContext.h"
#include "document/SoundFormatDialog.h"
#include "../../support/TestSupport.h"

class SoundFormatDialogTest : public QObject {
  Q_OBJECT

  // What the documents a test makes share.
  nv::DocumentContext documents;

 private:
  nv::test::TestMessageSink sink_;

 private slots:
  void init() {
    sink_.Install();
    sink_.texts.clear();
    sink_.answer = true;
    documents.Reset();
  }
  void cleanup() {
    SoundFormatDialog::runner = nullptr;
    sink_.Remove();
  }

  void startsFromTheDocumentAndGreysBitsAndChannelsOfASound() {
    nv::CNorvaneDoc doc(documents);
    nv::test::FillDocument(doc, 1, 16, 96000, nv::test::Samples16({1, 2, 3, 4}));
    doc.Info().SetTimeExpansion(10000);
    SoundFormatDialog d(nv::SoundFormatChoiceOf(doc), true, {}, {{"TE", "10"}, {"Make", "Fieldcorder"}});
    QVERIFY(d.BitsButton(16)->isChecked());
    QVERIFY(!d.BitsButton(8)->isEnabled());
    QVERIFY(!d.ChannelsButton(2)->isEnabled());
    QVERIFY(d.ChannelsButton(1)->isChecked());
    QVERIFY(d.RateButton(3)->isChecked());  // 96 000 is "Other:"
    QCOMPARE(d.OtherRate()->text(), QString("96000"));
    QCOMPARE(d.TimeExpansion()->text(), QString("10"));
    QVERIFY(d.findChild<QWidget*>("metadata") != nullptr);
    // A new document may change everything.
    nv::CNorvaneDoc empty(documents);
    SoundFormatDialog e(nv::SoundFormatChoiceOf(empty), false, {}, {});
    QVERIFY(e.BitsButton(8)->isEnabled());
    QVERIFY(e.ChannelsButton(2)->isEnabled());
    QVERIFY(e.RateButton(0)->isChecked());  // 11 025 Hz, the default
  }

  void typingUnderOtherChoosesOtherAndOkChecks() {
    nv::CNorvaneDoc doc(documents);
    nv::test::FillDocument(doc, 1, 16, 44100, nv::test::Samples16({5, 6, 7}));
    nv::Guano meta;
    meta.Set("TE", "1");
    meta.Set("Make", "Fieldcorder");
    doc.SetGuanoMetadata(meta);
    SoundFormatDialog::runner = [](SoundFormatDialog& d) {
      // The file's metadata is listed for reference.
      if (!d.findChild<QWidget*>("metadata")) return false;
      QTest::keyClicks(d.OtherRate(), "96000");
      return true;
    };
    sink_.answer = false;  // No to the first question
    QVERIFY(!SoundFormatDialog::Ask(doc, {}, nullptr));
    QCOMPARE(QString::fromStdString(sink_.texts.back()),
             QString("The selected sampling frequency may not be supported by your computer! Continue?"));
    sink_.answer = true;
    sink_.texts.clear();
    SoundFormatDialog::runner = [](SoundFormatDialog& d) {
      QTest::keyClicks(d.OtherRate(), "22050");
      d.TimeExpansion()->setText("10");
      d.ContentsField()->setText("Nyctalus");
      return true;
    };
    const auto c = SoundFormatDialog::Ask(doc, {}, nullptr);
    QVERIFY(c.has_value());
    QCOMPARE(c->rateHz, int64_t{22050});
    QCOMPARE(nv::TimeExpansionThousandths(c->timeExpansion), 10000);
    QCOMPARE(QString::fromStdString(sink_.texts.back()),
             QString("Sampling frequency in existing file will be changed. Continue?"));
    // The format query of the output device refuses: the dialog stays open.
    SoundFormatDialog::runner = [](SoundFormatDialog&) { return true; };
    QVERIFY(!SoundFormatDialog::Ask(doc, [](int, int, int64_t) { return false; }, nullptr));
    QCOMPARE(QString::fromStdString(sink_.texts.back()), QString("Format not supported."));
  }

  void okOnAHighRateRecordingAsksNothingWhenTheRateStays() {
    nv::CNorvaneDoc doc(documents);
    nv::test::FillDocument(doc, 1, 16, 384000, nv::test::Samples16({5, 6, 7}));
    sink_.answer = false;  // any question would keep the dialog open
    SoundFormatDialog::runner = [](SoundFormatDialog& d) {
      d.ContentsField()->setText("Pipistrellus");
      return true;
    };
    const auto c = SoundFormatDialog::Ask(doc, {}, nullptr);
    QVERIFY(c.has_value());
    QCOMPARE(c->rateHz, int64_t{384000});
    QVERIFY(sink_.texts.empty());
    // Typing another high rate asks.
    SoundFormatDialog::runner = [](SoundFormatDialog& d) {
      d.OtherRate()->clear();
      QTest::keyClicks(d.OtherRate(), "500000");
      return true;
    };
    QVERIFY(!SoundFormatDialog::Ask(doc, {}, nullptr));
    QCOMPARE(QString::fromStdString(sink_.texts.back()),
             QString("The selected sampling frequency may not be supported by your computer! Continue?"));
  }
};

// Run by TestMain.cpp.
int RunSoundFormatDialogTest(int argc, char** argv) {
  SoundFormatDialogTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "SoundFormatDialogTest.moc"
