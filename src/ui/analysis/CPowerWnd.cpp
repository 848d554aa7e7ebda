#include "analysis/CPowerWnd.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QVBoxLayout>

#include "analysis/PowerExport.h"
#include "analysis/PowerPlot.h"
#include "analysis/PowerSettingsDialog.h"
#include "analysis/PowerWindowHost.h"
#include "base/Cascade.h"
#include "base/MessageSink.h"
#include "base/PictureClipboard.h"
#include "base/TempFile.h"
#include "document/CNorvaneDoc.h"

namespace {

nv::PowerSettings OpeningSettings(nv::PowerSettings s) {
  if (s.fftSize == 0) s.fftSize = CPowerWnd::kDefaultFftSize;
  return s;
}

}  // namespace

std::function<QString(QWidget*)> CPowerWnd::fileChooser = [](QWidget* parent) {
  QFileDialog dialog(parent, QString(), QString(),
                     QStringLiteral("Text Files (*.txt);;Worksheet Files (*.xls);;All Files (*)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                  : QString();
};

CPowerWnd::CPowerWnd(QWidget* owner, PowerWindowHost* host, nv::CNorvaneDoc* doc, int slot,
                     const nv::PowerSettings& settings, int32_t start, int32_t end)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      host_(host),
      doc_(doc),
      slot_(slot),
      model_(OpeningSettings(settings), start, end) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  setWindowTitle(QStringLiteral("Power Spectra"));
  // Large enough for the labels of both axes, the readout and the interval.
  resize(kOpeningWidthPx, kOpeningHeightPx);
  // Cascaded by slot, so that a new window does not hide the one before.
  move(nv::CascadePosition(owner, size(), slot));
  plot_ = new PowerPlot(this);
  plot_->SetModel(&model_);
  plot_->samples = [this] { return doc_ ? doc_->Samples() : nv::SampleSource(); };
  plot_->format = [this] {
    if (!doc_) return nv::PowerSoundFormat{};
    const nv::WaveFormatEx& f = doc_->Format();
    return nv::PowerSoundFormat{f.nChannels, f.wBitsPerSample, static_cast<int64_t>(f.nSamplesPerSec),
                                doc_->Info().TimeExpansion()};
  };
  plot_->recomputed = [this] {
    setWindowTitle(QString::fromStdString(model_.Title()));
    // An automatic FFT size changes with the plot's width: the marked frame
    // follows it.
    if (marked_ && model_.FollowCursor() && model_.Start() + model_.FftSize() != markedEnd_) MarkInterval();
  };
  plot_->contextMenu = [this](const QPoint& global) { menu_->popup(global); };
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  box->addWidget(plot_);

  menu_ = new QMenu(QStringLiteral("Power menue"), this);
  QAction* copy = AddItem(QStringLiteral("Copy"), &CPowerWnd::CopyPicture);
  copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  addAction(copy);
  AddItem(QStringLiteral("Copy Ascii"), &CPowerWnd::CopyAscii);
  AddItem(QStringLiteral("Print"), &CPowerWnd::RequestPrint);
  AddItem(QStringLiteral("Settings - Current diagram"), &CPowerWnd::EditSettings);
  contAction_ = AddItem(QStringLiteral("Continuous update"), &CPowerWnd::ToggleContinuousUpdate);
  contAction_->setCheckable(true);
  logAction_ = AddItem(QStringLiteral("Logarithmic scale"), &CPowerWnd::ToggleLogScale);
  logAction_->setCheckable(true);
  menu_->addAction(QStringLiteral("Ascii File Export"), this, [this] { ExportAsciiFile(); });
  connect(menu_, &QMenu::aboutToShow, this, [this] {
    contAction_->setChecked(model_.Settings().contUpdate != 0);
    logAction_->setChecked(model_.Settings().logScale != 0);
  });
  // The print preview request has no menu item.
  auto* preview = new QAction(this);
  preview->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F2));
  connect(preview, &QAction::triggered, this, &CPowerWnd::RequestPrintPreview);
  addAction(preview);

  MarkInterval();
}

CPowerWnd::~CPowerWnd() = default;

QAction* CPowerWnd::AddItem(const QString& text, void (CPowerWnd::*slot)()) {
  QAction* a = menu_->addAction(text);
  connect(a, &QAction::triggered, this, slot);
  return a;
}

void CPowerWnd::SetDocument(nv::CNorvaneDoc* doc) {
  doc_ = doc;
  Recompute();
}

void CPowerWnd::MarkInterval() {
  if (!host_) return;
  if (model_.FollowCursor()) {
    // 1 left, 2 right alone, 0 the view's channels (and every mono sound).
    const nv::PowerSettings& s = model_.Settings();
    const bool stereo = doc_ && doc_->Format().nChannels >= 2;
    const int channel = !stereo ? 0 : s.leftChannel ? 1 : s.rightChannel ? 2 : 0;
    markedEnd_ = model_.Start() + model_.FftSize();
    host_->MarkAnalysedInterval(slot_, static_cast<int32_t>(model_.Start()), static_cast<int32_t>(markedEnd_),
                                channel);
    marked_ = true;
  } else if (marked_) {
    host_->ClearAnalysedInterval(slot_);
    marked_ = false;
  }
}

void CPowerWnd::Recompute() { plot_->Recompute(); }

void CPowerWnd::ViewChanged(int32_t start, int32_t end, int channels, bool force) {
  const bool left = channels != 2;
  const bool right = channels != 1;
  if (!model_.Update(start, end, left, right, force)) return;
  Recompute();
  MarkInterval();
}

void CPowerWnd::RenderPicture(QPainter& p, const QRectF& target, double twipsPerPixel) const {
  if (!doc_) return;
  const nv::WaveFormatEx& f = doc_->Format();
  const nv::PowerSoundFormat format{f.nChannels, f.wBitsPerSample, static_cast<int64_t>(f.nSamplesPerSec),
                                    doc_->Info().TimeExpansion()};
  PowerPlot::Render(p, model_, format, doc_->Samples(), target, twipsPerPixel, QString(),
                    p.device() && p.device()->devType() == QInternal::Image);
}

void CPowerWnd::CopyPicture() {
  if (!doc_) return;
  const QSize size = plot_->size().expandedTo(QSize(1, 1));
  const int tpp = PowerPlot::TwipsPerPixel(*plot_);
  PictureClipboard::Copy(size, palette().color(QPalette::Window), [&](QPaintDevice& device) {
    QPainter p(&device);
    RenderPicture(p, QRectF(QPointF(0, 0), QSizeF(size)), tpp);
  });
}

void CPowerWnd::CopyAscii() {
  if (!doc_ || !model_.HasSpectrum()) return;
  const std::string text = model_.TextExport();
  // The export is Windows-1252 text (its only non-ASCII byte is the 0xB2 of
  // "V²"), which Latin-1 reads alike.
  QGuiApplication::clipboard()->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

bool CPowerWnd::ExportAsciiFile() {
  if (!doc_ || !model_.HasSpectrum()) return false;
  const QString path = fileChooser ? fileChooser(this) : QString();
  if (path.isEmpty()) return false;
  return nv::WritePowerExportFile(QFile::encodeName(path).toStdString(), model_.TextExport());
}

void CPowerWnd::RequestPrint() {
  if (host_) host_->PrintPowerWindow(slot_);
}

void CPowerWnd::RequestPrintPreview() {
  if (host_) host_->PreviewPowerWindow(slot_);
}

void CPowerWnd::EditSettings() {
  const int32_t nyquist = model_.Setup().nyquistHz;
  if (!PowerSettingsDialog::Edit(model_.Settings(), nyquist, this)) return;
  Recompute();
  MarkInterval();
}

void CPowerWnd::ToggleContinuousUpdate() {
  nv::PowerSettings& s = model_.Settings();
  s.contUpdate = s.contUpdate ? 0 : 1;
  Recompute();
}

void CPowerWnd::ToggleLogScale() {
  nv::PowerSettings& s = model_.Settings();
  s.logScale = s.logScale ? 0 : 1;
  model_.ClearReference();  // its level was in the other scale
  Recompute();
}

PagePrinter::Page CPowerWnd::PrintPage() const {
  PagePrinter::Page page;
  page.title = doc_ ? QString::fromStdString(doc_->Title()) : QString();
  page.footerLeft = QStringLiteral("Norvane by Quellmark");
  page.footerRight = QString::fromStdString(model_.Title());
  const int tpp = PowerPlot::TwipsPerPixel(*plot_);
  page.pictureTwips = QSizeF(plot_->width() * tpp, plot_->height() * tpp);
  page.draw = [this](QPainter& p, const QRectF& target, double twipsPerPixel) {
    RenderPicture(p, target, twipsPerPixel);
  };
  return page;
}

void CPowerWnd::closeEvent(QCloseEvent* e) {
  if (!host_) {
    e->accept();
    return;
  }
  if (marked_) {
    host_->ClearAnalysedInterval(slot_);
    marked_ = false;
  }
  e->ignore();
  host_->PowerWindowClosed(slot_);
}
