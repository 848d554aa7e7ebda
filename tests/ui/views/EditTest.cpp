// The Edit menu of the sound views in the running application: delete, cut,
// silence, reverse and undo through the menu commands, the undo item's text,
// the enabling rules, paste between documents, the clipboard pictures and
// sample text, the "Change volume" dialog and the "Time Domain Filter" dialog
// with its definition files and frequency response. Dialogs are answered
// through their runners and messages are recorded.
//
// With NORVANE_GRAB_DIR set, the dialogs are also saved there as PNG files.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "AppFixture.h"
#include "../../support/TestSupport.h"
#include "app/AppCore.h"
#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CNorvaneApp.h"
#include "app/CSndFileDialog.h"
#include "base/CommandIds.h"
#include "document/CNorvaneDoc.h"
#include "document/ChangeVolumeDialog.h"
#include "base/TempFile.h"
#include "filter/FilterCommand.h"
#include "filter/FrequencyResponseDialog.h"
#include "filter/TimeDomainFilterDialog.h"
#include "plot/SoundPlot.h"
#include "settings/MemorySettingsStore.h"
#include "views/CNvAnaView.h"
#include "base/NumericEdit.h"

using nv::CNorvaneDoc;

class EditTest : public QObject, protected nv::test::AppFixture {
  Q_OBJECT

  // What the documents a test makes share.
  nv::DocumentContext documents;

 private:
  QTemporaryDir dir_;
  std::optional<SndFileChoice> openAnswer_;

  QString Path(const QString& name) const { return dir_.filePath(name); }

  // A sound file of the given bytes, written in the program's own wave form.
  QString WriteBytes(const QString& name, int channels, int bits, int rate, const std::vector<uint8_t>& bytes) {
    CNorvaneDoc doc(documents);
    nv::test::FillDocument(doc, channels, bits, rate, bytes);
    const QString p = Path(name);
    if (!doc.Save({p.toStdString(), nv::FileType::NorvaneWave})) qFatal("cannot write test file");
    return p;
  }
  // 16-bit samples of a sine, `frames` frames.
  static std::vector<int16_t> Sine(int frames, int channels, double step = 0.7) {
    std::vector<int16_t> s(static_cast<size_t>(frames * channels));
    for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(8000 * std::sin(static_cast<double>(i) * step));
    return s;
  }
  QString WriteSine(const QString& name, int frames, int channels = 1, int rate = 44100) {
    return WriteBytes(name, channels, 16, rate, nv::test::Samples16(Sine(frames, channels)));
  }


  bool Start(const QString& file) {
    return StartApp({file}, {1000, 700});
  }
  CNorvaneDoc* Open(const QString& file) {
    openAnswer_ = SndFileChoice{file, nv::FileType::StandardWave};
    Frame()->Route(cmd::kFileOpen);
    Settle();
    return Doc();
  }
  void Activate(CNorvaneDoc* doc) {
    Frame()->ActivateFrame(Frame()->FramesOf(doc).front());
    Settle();
  }

  // The bytes of the document's samples.
  static std::vector<uint8_t> Bytes(CNorvaneDoc* doc) {
    const nv::SampleMapping m = doc->MapSamples(nv::MapAccess::Read);
    const uint8_t* p = m.Data();
    const size_t n = static_cast<size_t>(doc->FrameCount()) * doc->Format().nBlockAlign;
    return p ? std::vector<uint8_t>(p, p + n) : std::vector<uint8_t>();
  }
  static int16_t Sample16(const std::vector<uint8_t>& b, size_t i) {
    return static_cast<int16_t>(b[2 * i] | (b[2 * i + 1] << 8));
  }

  bool Enabled(int id) {
    Frame()->UpdateCommandUi();
    return Frame()->Action(id)->isEnabled();
  }
  QString Text(int id) {
    Frame()->UpdateCommandUi();
    return Frame()->Action(id)->text();
  }
  QString LastMessage() const { return sink_.texts.empty() ? QString() : QString::fromStdString(sink_.texts.back()); }

  // A selection made with the marking cursor in channel `channel`.
  void Select(int32_t a, int32_t b, int channel = 1) {
    nv::CursorRecord s;
    s.position = a;
    s.channel = channel;
    nv::CursorRecord e = s;
    e.position = b;
    View()->Plot()->SetCursor(s);
    View()->Plot()->SetSelection(s, e);
  }

 private slots:
  void init() {
    sink_.Install();
    sink_.texts.clear();
    sink_.answer = true;
    openAnswer_.reset();
    MakeApp();
    CSndFileDialog::runner = [this](CSndFileDialog&) { return openAnswer_; };
  }

  void cleanup() {
    DropApp();
    CSndFileDialog::runner = nullptr;
    ChangeVolumeDialog::runner = nullptr;
    TimeDomainFilterDialog::runner = nullptr;
    TimeDomainFilterDialog::fileChooser = nullptr;
    TimeDomainFilterDialog::responseRunner = nullptr;
    sink_.Remove();
  }

  void editCommandsNeedASelection() {
    QVERIFY(Start(WriteSine("a.wav", 100)));
    View()->ClearSelection();
    for (int id : {cmd::kEditCut, cmd::kEditDelete, cmd::kEditSilence, cmd::kEditReverse, cmd::kEditVolume,
                   cmd::kEditFilter, cmd::kEditUndo, cmd::kEditPaste})
      QVERIFY2(!Enabled(id), qPrintable(QString::number(id)));
    QVERIFY(Enabled(cmd::kEditCopy));
    QVERIFY(Enabled(cmd::kEditCopyAscii));
    QCOMPARE(Text(cmd::kEditUndo), QString("&Undo"));
    Select(10, 20);
    for (int id : {cmd::kEditCut, cmd::kEditDelete, cmd::kEditSilence, cmd::kEditReverse, cmd::kEditVolume,
                   cmd::kEditFilter})
      QVERIFY2(Enabled(id), qPrintable(QString::number(id)));
    // A command arriving without a selection changes nothing.
    View()->ClearSelection();
    Frame()->Route(cmd::kEditDelete);
    QCOMPARE(Doc()->FrameCount(), 100);
    QCOMPARE(Doc()->Editor().LastEdit().kind, nv::UndoKind::None);
  }

  void editsAreGreyedWhilePlaying() {
    QVERIFY(Start(WriteSine("a.wav", 100)));
    Select(10, 20);
    Frame()->Route(cmd::kEditCopy);
    Frame()->Route(cmd::kEditSilence);
    app_->playing = true;
    for (int id : {cmd::kEditCut, cmd::kEditDelete, cmd::kEditSilence, cmd::kEditReverse, cmd::kEditVolume,
                   cmd::kEditFilter, cmd::kEditUndo, cmd::kEditPaste})
      QVERIFY2(!Enabled(id), qPrintable(QString::number(id)));
    QVERIFY(Enabled(cmd::kEditCopy));
    Frame()->Route(cmd::kEditDelete);
    QCOMPARE(Doc()->FrameCount(), 100);
    app_->playing = false;
    QVERIFY(Enabled(cmd::kEditUndo));
  }

  void deleteAndUndoThroughTheMenu() {
    QVERIFY(Start(WriteSine("a.wav", 100)));
    CNorvaneDoc* doc = Doc();
    const std::vector<uint8_t> before = Bytes(doc);
    Select(10, 20);
    QVERIFY(Enabled(cmd::kEditDelete));
    Frame()->Action(cmd::kEditDelete)->trigger();
    QCOMPARE(doc->FrameCount(), 90);
    QVERIFY(doc->IsModified());
    const std::vector<uint8_t> after = Bytes(doc);
    QCOMPARE(Sample16(after, 10), Sample16(before, 20));
    QCOMPARE(View()->Plot()->Setup().frameCount, 90);  // the view was redrawn
    QCOMPARE(Text(cmd::kEditUndo), QString("&Undo Delete"));
    QVERIFY(Enabled(cmd::kEditUndo));
    Frame()->Action(cmd::kEditUndo)->trigger();
    QCOMPARE(doc->FrameCount(), 100);
    QVERIFY(Bytes(doc) == before);
    QCOMPARE(View()->Plot()->Setup().frameCount, 100);
    QCOMPARE(Text(cmd::kEditUndo), QString("&Undo"));
    QVERIFY(!Enabled(cmd::kEditUndo));
  }

  void undoingEveryEditRedrawsTheOpenedSound() {
    QVERIFY(Start(WriteSine("a.wav", 4000)));
    const std::vector<uint8_t> before = Bytes(Doc());
    const QImage opened = View()->Plot()->Grab().copy();
    Select(100, 900);
    Frame()->Route(cmd::kEditSilence);
    Select(1000, 2500);
    Frame()->Route(cmd::kEditDelete);
    Select(200, 300);
    Frame()->Route(cmd::kEditReverse);
    View()->ClearSelection();
    View()->Plot()->SetCursor(nv::CursorRecord{});
    const QImage edited = View()->Plot()->Grab().copy();
    QVERIFY(edited != opened);
    for (int k = 0; k < 3; ++k) Frame()->Route(cmd::kEditUndo);
    QVERIFY(Bytes(Doc()) == before);
    QVERIFY(View()->Plot()->Grab().copy() == opened);
    for (int k = 0; k < 3; ++k) Frame()->Route(cmd::kEditRedo);
    const QImage redone = View()->Plot()->Grab().copy();
    QVERIFY(redone == edited);
    const QByteArray dir = qgetenv("NORVANE_GRAB_DIR");
    if (!dir.isEmpty()) redone.save(QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("undo-redo.png")));
  }

  void everyViewOfTheDocumentIsRedrawn() {
    QVERIFY(Start(WriteSine("a.wav", 100)));
    CNorvaneDoc* doc = Doc();
    CNvAnaView* first = View();
    Frame()->Route(cmd::kNewOscillogram);
    Settle();
    CNvAnaView* second = View();
    QVERIFY(second != first);
    QCOMPARE(Frame()->FramesOf(doc).size(), size_t{2});
    Select(0, 40);
    Frame()->Route(cmd::kEditCut);
    QCOMPARE(doc->FrameCount(), 60);
    QCOMPARE(first->Plot()->Setup().frameCount, 60);
    QCOMPARE(second->Plot()->Setup().frameCount, 60);
    Frame()->Route(cmd::kEditUndo);
    QCOMPARE(first->Plot()->Setup().frameCount, 100);
    QCOMPARE(second->Plot()->Setup().frameCount, 100);
  }

  void undoTextFollowsTheLastEdit() {
    QVERIFY(Start(WriteSine("a.wav", 100)));
    const std::vector<uint8_t> before = Bytes(Doc());
    Select(10, 13);
    Frame()->Route(cmd::kEditSilence);
    QCOMPARE(Text(cmd::kEditUndo), QString("&Undo Silence"));
    QCOMPARE(Sample16(Bytes(Doc()), 11), int16_t{0});
    Frame()->Route(cmd::kEditReverse);
    QCOMPARE(Text(cmd::kEditUndo), QString("&Undo Reverse"));
    QVERIFY(!Enabled(cmd::kEditRedo));
    const std::vector<uint8_t> reversed = Bytes(Doc());
    // Undo goes back edit by edit to the opened sound; Redo forward again.
    Frame()->Route(cmd::kEditUndo);
    QCOMPARE(Text(cmd::kEditUndo), QString("&Undo Silence"));
    QCOMPARE(Text(cmd::kEditRedo), QString("&Redo Reverse"));
    QCOMPARE(Sample16(Bytes(Doc()), 11), int16_t{0});
    Frame()->Route(cmd::kEditUndo);
    QVERIFY(Bytes(Doc()) == before);
    QCOMPARE(Text(cmd::kEditUndo), QString("&Undo"));
    QVERIFY(!Enabled(cmd::kEditUndo));
    QCOMPARE(Text(cmd::kEditRedo), QString("&Redo Silence"));
    Frame()->Route(cmd::kEditUndo);  // nothing left: nothing changes
    QVERIFY(Bytes(Doc()) == before);
    Frame()->Route(cmd::kEditRedo);
    Frame()->Route(cmd::kEditRedo);
    QVERIFY(Bytes(Doc()) == reversed);
    QVERIFY(!Enabled(cmd::kEditRedo));
    QCOMPARE(Text(cmd::kEditUndo), QString("&Undo Reverse"));
    Frame()->Route(cmd::kEditUndo);
    Frame()->Route(cmd::kEditUndo);
    Frame()->Route(cmd::kEditRedo);
    // The silence is back; the reverse waits to be redone.
    QCOMPARE(Sample16(Bytes(Doc()), 11), int16_t{0});
    QCOMPARE(Text(cmd::kEditUndo), QString("&Undo Silence"));
    Frame()->Route(cmd::kEditCut);
    QCOMPARE(Text(cmd::kEditUndo), QString("&Undo Delete"));
    QVERIFY(!Enabled(cmd::kEditRedo));  // a new edit ends what could be redone
    QCOMPARE(Doc()->FrameCount(), 97);
    Select(0, 0);
    View()->Plot()->SetCursor(nv::CursorRecord{});
    Frame()->Route(cmd::kEditPaste);  // at the start: no selection, no cursor
    QCOMPARE(Text(cmd::kEditUndo), QString("&Undo Paste"));
    QCOMPARE(Doc()->FrameCount(), 100);
    (void)before;
  }

  void oneChannelDeleteOfAStereoSound() {
    QVERIFY(Start(WriteSine("s.wav", 100, 2)));
    const std::vector<uint8_t> before = Bytes(Doc());
    Select(10, 20, 1);  // left channel only
    Frame()->Route(cmd::kEditDelete);
    QCOMPARE(Doc()->FrameCount(), 100);
    const std::vector<uint8_t> after = Bytes(Doc());
    QCOMPARE(Sample16(after, 2 * 10), Sample16(before, 2 * 20));  // left moved down
    QCOMPARE(Sample16(after, 2 * 10 + 1), Sample16(before, 2 * 10 + 1));  // right kept
    QCOMPARE(Sample16(after, 2 * 95), int16_t{0});
    Frame()->Route(cmd::kEditUndo);
    QVERIFY(Bytes(Doc()) == before);
    // A view showing the right channel alone edits that channel.
    View()->Settings().leftChannel = 0;
    View()->Settings().rightChannel = 1;
    View()->Recompute();
    Select(10, 20, 1);
    Frame()->Route(cmd::kEditSilence);
    const std::vector<uint8_t> right = Bytes(Doc());
    QCOMPARE(Sample16(right, 2 * 12), Sample16(before, 2 * 12));
    QCOMPARE(Sample16(right, 2 * 12 + 1), int16_t{0});
    Frame()->Route(cmd::kEditUndo);
    QVERIFY(Bytes(Doc()) == before);
  }

  void pasteBetweenDocuments() {
    QVERIFY(Start(WriteSine("a.wav", 100)));
    CNorvaneDoc* a = Doc();
    Select(10, 20);
    Frame()->Route(cmd::kEditCopy);
    QCOMPARE(app_->Core().clipOwner, a);
    // Another rate: refused with the message, nothing changes.
    CNorvaneDoc* b = Open(WriteSine("b.wav", 50, 1, 22050));
    QVERIFY(b != a);
    QVERIFY(Enabled(cmd::kEditPaste));  // the clip holds one channel
    const std::vector<uint8_t> bBefore = Bytes(b);
    sink_.texts.clear();
    Frame()->Route(cmd::kEditPaste);
    QCOMPARE(LastMessage(), QString("Different sampling rates in clipboard data and in data file."));
    QCOMPARE(sink_.icons.back(), nv::MessageIcon::Exclamation);
    QCOMPARE(b->FrameCount(), 50);
    QVERIFY(Bytes(b) == bBefore);
    QCOMPARE(b->Editor().LastEdit().kind, nv::UndoKind::None);
    // The same format: the ten frames are inserted at the cursor.
    CNorvaneDoc* c = Open(WriteSine("c.wav", 50, 1, 44100));
    nv::CursorRecord cur;
    cur.position = 5;
    View()->Plot()->SetCursor(cur);
    sink_.texts.clear();
    Frame()->Route(cmd::kEditPaste);
    QVERIFY(sink_.texts.empty());
    QCOMPARE(c->FrameCount(), 60);
    QCOMPARE(Sample16(Bytes(c), 5), Sample16(Bytes(a), 10));
    QCOMPARE(Text(cmd::kEditUndo), QString("&Undo Paste"));
    Frame()->Route(cmd::kEditUndo);
    QCOMPARE(c->FrameCount(), 50);
  }

  void pasteRuleOfStereoClips() {
    QVERIFY(Start(WriteSine("s.wav", 100, 2)));
    Select(10, 20, 3);
    Frame()->Route(cmd::kEditCopy);
    Open(WriteSine("m.wav", 50));
    QVERIFY(!Enabled(cmd::kEditPaste));  // a stereo clip into a mono sound
    sink_.texts.clear();
    Frame()->Route(cmd::kEditPaste);
    QCOMPARE(LastMessage(), QString("Clipboard data in stereo but data file in mono."));
    QCOMPARE(Doc()->FrameCount(), 50);
    // A document without sound takes the clip's format.
    Frame()->Route(cmd::kFileNew);
    Settle();
    CNorvaneDoc* empty = Doc();
    QCOMPARE(empty->FrameCount(), 0);
    QVERIFY(Enabled(cmd::kEditPaste));
    Frame()->Route(cmd::kEditPaste);
    QCOMPARE(empty->FrameCount(), 10);
    QCOMPARE(int{empty->Format().nChannels}, 2);
  }

  void pasteWithoutClipOwner() {
    QVERIFY(Start(WriteSine("a.wav", 100)));
    QVERIFY(!Enabled(cmd::kEditPaste));
    Frame()->Route(cmd::kEditPaste);
    QCOMPARE(LastMessage(), QString("No data to paste!"));
    QCOMPARE(sink_.icons.back(), nv::MessageIcon::None);
    // Closing the clip owner greys the command again.
    Select(0, 10);
    Frame()->Route(cmd::kEditCopy);
    QVERIFY(Enabled(cmd::kEditPaste));
    Frame()->Route(cmd::kFileClose);
    Settle();
    QVERIFY(app_->Core().clipOwner == nullptr);
  }

  void copyPutsThePictureOnTheClipboard() {
    QVERIFY(Start(WriteSine("a.wav", 1000)));
    const QString svgPath = QDir(QString::fromStdString(nv::TemporaryDirectory())).filePath("PwrClip.svg");
    QFile::remove(svgPath);
    View()->ClearSelection();
    Frame()->Route(cmd::kEditCopy);
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    QVERIFY(mime);
    QVERIFY(mime->hasImage());
    const QImage image = qvariant_cast<QImage>(mime->imageData());
    QCOMPARE(image.size(), View()->Plot()->size());
    QVERIFY(mime->hasFormat("image/svg+xml"));
    const QByteArray svg = mime->data("image/svg+xml");
    QVERIFY(svg.contains("<svg"));
    QVERIFY(svg.contains("Norvane"));
    QFile f(svgPath);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), svg);
    // Without a selection the program's own clip is not touched.
    QVERIFY(app_->Core().clipOwner == nullptr);
    QCOMPARE(Doc()->Editor().LastEdit().kind, nv::UndoKind::None);
  }

  void copyAsciiPutsTheSampleText() {
    QVERIFY(Start(WriteBytes("e.wav", 1, 8, 22050, {128, 130, 126, 128})));
    Select(0, 3);
    Frame()->Route(cmd::kEditCopyAscii);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("0\r\n2\r\n-2\r\n"));
    // Both channels of a stereo 16-bit frame, and one channel of it.
    CNorvaneDoc* s = Open(WriteBytes("s.wav", 2, 16, 44100, nv::test::Samples16({-5, 7, 3, 4})));
    QCOMPARE(s->FrameCount(), 2);
    Select(0, 1, 3);
    Frame()->Route(cmd::kEditCopyAscii);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("-5\t7\r\n"));
    Select(0, 2, 2);
    Frame()->Route(cmd::kEditCopyAscii);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("7\r\n4\r\n"));
    QVERIFY(app_->Core().clipOwner == nullptr);
  }

  void volumeDialogAndItsRange() {
    QVERIFY(Start(WriteBytes("e.wav", 1, 8, 22050, {200, 50, 130, 128})));
    const std::vector<uint8_t> before = Bytes(Doc());
    Select(0, 4);
    QString expected;
    ChangeVolumeDialog::runner = [&](ChangeVolumeDialog& d) {
      nv::test::Grab(d, "change-volume.png");
      [&] {
        QCOMPARE(d.windowTitle(), QString("Change volume"));
        QCOMPARE(d.PercentField()->text(), QString("100"));
      }();
      d.PercentField()->setText("5");
      expected = d.PercentField()->OutOfRangeMessage("5");
      d.accept();  // refused: the dialog stays open
      if (d.result() == QDialog::Accepted) return true;
      d.PercentField()->setText("1001");
      return true;  // and OK once more with a value still out of range
    };
    sink_.texts.clear();
    Frame()->Route(cmd::kEditVolume);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(QString::fromStdString(sink_.texts.front()), expected);
    QCOMPARE(LastMessage(), ChangeVolumeDialog().PercentField()->OutOfRangeMessage("1001"));
    QVERIFY(Bytes(Doc()) == before);
    QCOMPARE(Doc()->Editor().LastEdit().kind, nv::UndoKind::None);
    // Cancel changes nothing.
    ChangeVolumeDialog::runner = [](ChangeVolumeDialog&) { return false; };
    Frame()->Route(cmd::kEditVolume);
    QVERIFY(Bytes(Doc()) == before);
    // 200 %: clamped at both ends.
    ChangeVolumeDialog::runner = [](ChangeVolumeDialog& d) {
      d.PercentField()->setText("200");
      d.accept();
      return d.result() == QDialog::Accepted;
    };
    Frame()->Route(cmd::kEditVolume);
    QCOMPARE(Bytes(Doc()), (std::vector<uint8_t>{255, 0, 132, 128}));
    QCOMPARE(Text(cmd::kEditUndo), QString("&Undo Volume"));
    Frame()->Route(cmd::kEditUndo);
    QVERIFY(Bytes(Doc()) == before);
  }

  void filterDialogShowsItsFields() {
    nv::FilterDescription desc;
    desc.filterType = nv::FilterType::Elliptic;
    desc.bandType = nv::BandType::BandPass;
    desc.bandPassLowHz = 1000;
    desc.bandPassHighHz = 5000;
    desc.order = 6;
    desc.rippleTenthsDb = 5;
    desc.stopBandGainDb = -40;
    TimeDomainFilterDialog d(desc, 22050);
    nv::test::Grab(d, "time-domain-filter.png");
    QCOMPARE(d.windowTitle(), QString("Time Domain Filter"));
    QCOMPARE(d.FilterTypeCombo()->currentText(), QString("Elliptic"));
    QStringList types;
    for (int i = 0; i < d.FilterTypeCombo()->count(); ++i) types << d.FilterTypeCombo()->itemText(i);
    QCOMPARE(types, QStringList({"Butterworth", "Chebyshev type 1", "Elliptic", "User defined"}));
    QVERIFY(d.BandButton(2)->isChecked());
    QCOMPARE(d.BandButton(0)->text(), QString("Lowpass   fc:"));
    QCOMPARE(d.BandButton(3)->text(), QString("Bandstop   fl:"));
    QCOMPARE(d.BandPassLowField()->text(), QString("1000"));
    QCOMPARE(d.BandPassHighField()->text(), QString("5000"));
    QCOMPARE(d.OrderCombo()->currentText(), QString("6"));
    QCOMPARE(d.RippleCombo()->currentText(), QString("0.5 db"));
    QCOMPARE(d.StopBandCombo()->currentText(), QString("-40 db"));
    QVERIFY(d.RippleCombo()->isEnabled());
    QVERIFY(d.StopBandCombo()->isEnabled());
    d.FilterTypeCombo()->setCurrentIndex(1);
    QVERIFY(d.RippleCombo()->isEnabled());
    QVERIFY(!d.StopBandCombo()->isEnabled());
    d.FilterTypeCombo()->setCurrentIndex(0);
    QVERIFY(!d.RippleCombo()->isEnabled());
    QVERIFY(d.LowPassField()->isEnabled());
    QVERIFY(d.OrderCombo()->isEnabled());
    // Merely selecting "User defined" asks for no file; choosing it does.
    int asked = 0;
    TimeDomainFilterDialog::fileChooser = [&](QWidget*) {
      ++asked;
      return QString();
    };
    d.FilterTypeCombo()->setCurrentIndex(3);
    QCOMPARE(asked, 0);
    QVERIFY(!d.LowPassField()->isEnabled());
    QVERIFY(!d.BandButton(0)->isEnabled());
    QVERIFY(!d.OrderCombo()->isEnabled());
    QVERIFY(!d.RippleCombo()->isEnabled());
    d.ChooseFilterType(3);
    QCOMPARE(asked, 1);
    // The combo texts as the values are read from them.
    QCOMPARE(TimeDomainFilterDialog::ParseRipple("0.2 dB"), 2);
    QCOMPARE(TimeDomainFilterDialog::ParseRipple("1.25 db"), 13);
    QCOMPARE(TimeDomainFilterDialog::ParseRipple("x"), 0);
    QCOMPARE(TimeDomainFilterDialog::ParseStopBand("-60 dB"), -60);
    QCOMPARE(TimeDomainFilterDialog::ParseStopBand("-45db"), -45);
  }

  void filterDialogValidatesAndFilterIsUndone() {
    QVERIFY(Start(WriteSine("a.wav", 2000)));
    CNorvaneDoc* doc = Doc();
    QCOMPARE(nv::DocumentNyquistHz(*doc), int64_t{22050});
    const std::vector<uint8_t> before = Bytes(doc);
    Select(100, 1500);
    int attempts = 0;
    TimeDomainFilterDialog::runner = [&](TimeDomainFilterDialog& d) {
      d.FilterTypeCombo()->setCurrentIndex(0);
      d.BandButton(0)->setChecked(true);
      d.OrderCombo()->setCurrentIndex(1);  // 4
      d.LowPassField()->setText("199");
      d.OkButton()->click();
      ++attempts;
      if (d.result() == QDialog::Accepted) return true;
      d.LowPassField()->setText("2000");
      d.OkButton()->click();
      ++attempts;
      return d.result() == QDialog::Accepted;
    };
    sink_.texts.clear();
    Frame()->Route(cmd::kEditFilter);
    QCOMPARE(attempts, 2);
    QCOMPARE(QString::fromStdString(sink_.texts.front()),
             QString("Filter cut-off frequency not allowed. Increase cut-off frequency."));
    QCOMPARE(sink_.texts.size(), size_t{1});
    const std::vector<uint8_t> filtered = Bytes(doc);
    QVERIFY(filtered != before);
    // Outside the selection nothing changed.
    QVERIFY(std::equal(before.begin(), before.begin() + 200, filtered.begin()));
    QVERIFY(std::equal(before.begin() + 3000, before.end(), filtered.begin() + 3000));
    QVERIFY(doc->IsModified());
    QCOMPARE(Text(cmd::kEditUndo), QString("&Undo Filter"));
    // The command's description keeps the values that designed.
    QCOMPARE(app_->Core().commandFilter.lowPassHz, 2000);
    QCOMPARE(app_->Core().commandFilter.order, 4);
    QCOMPARE(app_->Core().commandFilter.a[0], 1.0);
    Frame()->Route(cmd::kEditUndo);
    QVERIFY(Bytes(doc) == before);
    // The dialog reopens with them; Cancel leaves the sound alone.
    TimeDomainFilterDialog::runner = [](TimeDomainFilterDialog& d) {
      [&] { QCOMPARE(d.LowPassField()->text(), QString("2000")); }();
      d.CancelButton()->click();
      return d.result() == QDialog::Accepted;
    };
    Frame()->Route(cmd::kEditFilter);
    QVERIFY(Bytes(doc) == before);
    QCOMPARE(doc->Editor().LastEdit().kind, nv::UndoKind::None);
  }

  void filterOfOneChannelIsUndoneExactly() {
    QVERIFY(Start(WriteSine("s.wav", 1000, 2)));
    const std::vector<uint8_t> before = Bytes(Doc());
    Select(100, 900, 2);  // the right channel
    TimeDomainFilterDialog::runner = [](TimeDomainFilterDialog& d) {
      d.FilterTypeCombo()->setCurrentIndex(1);
      d.BandButton(1)->setChecked(true);
      d.HighPassField()->setText("5000");
      d.OkButton()->click();
      return d.result() == QDialog::Accepted;
    };
    Frame()->Route(cmd::kEditFilter);
    const std::vector<uint8_t> filtered = Bytes(Doc());
    QVERIFY(filtered != before);
    for (size_t f = 0; f < 1000; ++f) QCOMPARE(Sample16(filtered, 2 * f), Sample16(before, 2 * f));
    Frame()->Route(cmd::kEditUndo);
    QVERIFY(Bytes(Doc()) == before);
  }

  void userDefinedFilterFromAFile() {
    const QString good = Path("good.txt");
    {
      QFile f(good);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("\r\n\r\n2 ; order\r\n1;a0\r\n-1.5\r\n0.6\r\n0.1\r\n0.2\r\n0.1\r\n");
    }
    const QString bad = Path("bad.flt");
    {
      QFile f(bad);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("order 2\n1\n");
    }
    TimeDomainFilterDialog d(nv::FilterDescription{}, 22050);
    TimeDomainFilterDialog::fileChooser = [&](QWidget*) { return good; };
    d.ChooseFilterType(3);
    QCOMPARE(d.Description().order, 2);
    QCOMPARE(d.Description().a[1], -1.5);
    QCOMPARE(d.Description().b[1], 0.2);
    QVERIFY(sink_.texts.empty());
    // OK designs (normalises) the loaded filter and closes.
    d.OkButton()->click();
    QCOMPARE(d.result(), int{QDialog::Accepted});
    QCOMPARE(d.Description().filterType, nv::FilterType::UserDefined);

    TimeDomainFilterDialog e(nv::FilterDescription{}, 22050);
    TimeDomainFilterDialog::fileChooser = [&](QWidget*) { return bad; };
    e.ChooseFilterType(3);
    QCOMPARE(LastMessage(), QString("File format error in filter definition file."));
    QCOMPARE(e.Description().order, 0);
    e.OkButton()->click();
    QCOMPARE(LastMessage(), QString("Ilegal filter order!"));
    QVERIFY(e.result() != QDialog::Accepted);
  }

  void showFrequencyResponse() {
    nv::FilterDescription desc;
    desc.lowPassHz = 5000;
    desc.order = 4;
    TimeDomainFilterDialog d(desc, 22050);
    int shown = 0;
    TimeDomainFilterDialog::responseRunner = [&](FrequencyResponseDialog& r) {
      ++shown;
      nv::test::Grab(r, "frequency-response.png");
      [&] {
        QCOMPARE(r.windowTitle(), QString("Frequency Response"));
        QCOMPARE(r.NyquistHz(), int64_t{22050});
        QCOMPARE(r.Magnitudes()[0], 1.0);
        QVERIFY(r.Magnitudes()[90] < 0.01);
      }();
      r.resize(500, 320);
      QVERIFY(!r.Plot()->grab().isNull());
    };
    d.ResponseButton()->click();
    QCOMPARE(shown, 1);
    QVERIFY(sink_.texts.empty());
    // The description given to the dialog is not designed by it.
    QCOMPARE(desc.a[0], 0.0);
    // A refused design shows its message and no response.
    d.LowPassField()->setText("30000");
    d.ResponseButton()->click();
    QCOMPARE(shown, 1);
    QCOMPARE(LastMessage(), QString("Illegal cut-off frequency!"));
    // A bad number in a box: the box's own message.
    d.LowPassField()->setText("");
    d.ResponseButton()->click();
    QCOMPARE(shown, 1);
    QCOMPARE(sink_.texts.size(), size_t{2});
  }

  void responseLevelAxis() {
    // -50 dB on the bottom edge, 0 dB three dB below the top.
    QCOMPARE(FrequencyResponsePlot::LevelY(-50, 0, 530), 530.0);
    QCOMPARE(FrequencyResponsePlot::LevelY(0, 0, 530), 30.0);
    QCOMPARE(FrequencyResponsePlot::LevelY(3, 0, 530), 0.0);
  }
};

int RunEditTest(int argc, char** argv) {
  EditTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "EditTest.moc"
