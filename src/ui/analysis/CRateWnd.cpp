#include "analysis/CRateWnd.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "analysis/RatePlot.h"
#include "analysis/RateSettingsDialog.h"
#include "base/MessageSink.h"
#include "base/PictureClipboard.h"
#include "base/TempFile.h"
#include "document/CNorvaneDoc.h"

CRateWnd::CRateWnd(nv::CNorvaneDoc* doc, int slot, const nv::RateSettings& settings, int32_t start,
                   int32_t end, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      doc_(doc),
      slot_(slot),
      hist_(settings),
      start_(start),
      end_(end) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  plot_ = new RatePlot(doc, &hist_, this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(plot_);
  // Cascaded by slot, so that a new window does not hide the one before.
  move(80 + 24 * slot, 80 + 24 * slot);
  resize(420, 220);

  menu_ = new QMenu(QStringLiteral("Rate menue"), this);
  QAction* copy = menu_->addAction(QStringLiteral("Copy"), this, &CRateWnd::CopyPicture);
  copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  menu_->addAction(QStringLiteral("Copy Ascii"), this, &CRateWnd::CopyAscii);
  menu_->addAction(QStringLiteral("Print"), this, [this] { emit printRequested(slot_); });
  menu_->addAction(QStringLiteral("Settings - Current diagram"), this, &CRateWnd::OpenSettings);
  continuous_ = menu_->addAction(QStringLiteral("Continuous update"), this, &CRateWnd::ToggleContinuousUpdate);
  continuous_->setCheckable(true);
  automatic_ = menu_->addAction(QStringLiteral("Automatic settings"), this, &CRateWnd::ToggleAutomaticSettings);
  automatic_->setCheckable(true);
  menu_->addAction(QStringLiteral("Update threshold"), this, &CRateWnd::UpdateThreshold);
  // The print preview request has no menu item.
  auto* preview = new QAction(this);
  preview->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F2));
  connect(preview, &QAction::triggered, this, [this] { emit previewRequested(slot_); });
  addAction(preview);
  auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_C), this);
  connect(shortcut, &QShortcut::activated, this, &CRateWnd::CopyPicture);
  connect(plot_, &RatePlot::contextMenuWanted, this, [this](const QPoint& at) {
    continuous_->setChecked(hist_.Settings().contUpdate);
    automatic_->setChecked(hist_.Settings().autoCalc);
    menu_->popup(at);
  });
  connect(plot_, &RatePlot::thresholdComputed, this, &CRateWnd::OfferAutomaticThreshold);
  SetUp();
}

CRateWnd::~CRateWnd() = default;

QString CRateWnd::Caption() const {
  QString c = hist_.Settings().intervalMode ? QStringLiteral("Pulse Interval Analysis")
                                            : QStringLiteral("Pulse Length Analysis");
  // The one channel analysed: a stereo sound's left or right one (both
  // flags or neither mean the left); a mono sound's only channel counts as
  // the left one, as channel 1 does everywhere.
  c += AnalysedChannel() == 2 ? QStringLiteral(" - Right channel.") : QStringLiteral(" - Left channel.");
  return c;
}

bool CRateWnd::Stereo() const { return doc_ && doc_->Format().nChannels >= 2; }

int CRateWnd::AnalysedChannel() const {
  const nv::RateSettings& s = hist_.Settings();
  return Stereo() && s.rightChannel && !s.leftChannel ? 2 : 1;
}

void CRateWnd::SetUp() {
  const nv::SampleSource samples = doc_ ? doc_->Samples() : nv::SampleSource();
  hist_.SetUp(samples, doc_ ? doc_->Format().nSamplesPerSec : 44100,
              doc_ ? doc_->Info().TimeExpansion() : 1000, start_, end_);
  setWindowTitle(Caption());
  plot_->update();
  ShowInterval();
}

void CRateWnd::ShowInterval() {
  const int channel = Stereo() ? AnalysedChannel() : 0;
  emit intervalShown(slot_, static_cast<int32_t>(hist_.RangeStart()), static_cast<int32_t>(hist_.RangeEnd()),
                     channel);
}

std::string CRateWnd::AsciiText() {
  plot_->EnsureComputed();
  return hist_.AsciiText();
}

int32_t CRateWnd::LevelOfThreshold() const {
  return static_cast<int32_t>(static_cast<int64_t>(hist_.Threshold()) * 10000 / 32768);
}

void CRateWnd::RequestLevelCursor() {
  emit levelCursorRequested(LevelOfThreshold(), AnalysedChannel(), static_cast<int32_t>(hist_.RangeStart()),
                            static_cast<int32_t>(hist_.RangeEnd()));
}

void CRateWnd::OfferAutomaticThreshold() {
  emit thresholdFound(LevelOfThreshold(), AnalysedChannel(), static_cast<int32_t>(hist_.RangeStart()),
                      static_cast<int32_t>(hist_.RangeEnd()));
}

void CRateWnd::RenderPicture(QPainter& p, const QRectF& target) {
  // The histogram is drawn in screen pixels with a font of the screen's
  // pixel size: on another device (a 1200-dpi printer) one screen pixel
  // becomes dpi / screen dpi device pixels, and the plot is laid out for the
  // target's size in screen pixels, so its texts keep their point size.
  const double screenDpi = std::max(1, plot_->logicalDpiX());
  const double deviceDpi = p.device() ? std::max(1, p.device()->logicalDpiX()) : screenDpi;
  const double k = deviceDpi / screenDpi;
  const QSize size = (target.size() / k).toSize().expandedTo(QSize(1, 1));
  p.save();
  p.translate(target.topLeft());
  p.scale(target.width() / size.width(), target.height() / size.height());
  plot_->Render(p, size);
  p.restore();
}

void CRateWnd::CopyPicture() {
  const QSize size = plot_->size().expandedTo(QSize(1, 1));
  PictureClipboard::Copy(size, Qt::white, [&](QPaintDevice& device) {
    QPainter p(&device);
    plot_->Render(p, size);
  }, Caption());
}

void CRateWnd::CopyAscii() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) {
    nv::ShowMessage("Cannot open the Clipboard");
    return;
  }
  clipboard->setText(QString::fromStdString(AsciiText()));
}

void CRateWnd::OpenSettings() {
  RateSettingsDialog dialog(hist_.Settings(), this);
  if (dialog.exec() != QDialog::Accepted) return;
  nv::RateSettings s = dialog.Settings();
  s.intervalMode = hist_.Settings().intervalMode;
  hist_.Settings() = s;
  hist_.SetThreshold(s.threshold);
  SetUp();
}

void CRateWnd::ToggleContinuousUpdate() {
  hist_.Settings().contUpdate = !hist_.Settings().contUpdate;
  SetUp();
}

void CRateWnd::ToggleAutomaticSettings() {
  hist_.Settings().autoCalc = !hist_.Settings().autoCalc;
  SetUp();
}

void CRateWnd::UpdateThreshold() {
  hist_.Settings().autoCalc = 0;
  SetUp();
  RequestLevelCursor();
}

void CRateWnd::SelectionChanged(int32_t start, int32_t end, int channels, bool force) {
  if (start < 0) {
    if (force) SetUp();
    return;
  }
  if (!hist_.Settings().contUpdate) {
    if (force) SetUp();
    return;
  }
  const int32_t frames = doc_ ? nv::ViewFrame(doc_->FrameCount()) : 0;
  if (end >= 0 && end < start) std::swap(start, end);  // a selection's bounds in either order
  start_ = std::clamp(start, 0, frames);
  end_ = end < 0 ? -1 : std::clamp(end, 0, frames);
  nv::RateSettings& s = hist_.Settings();
  if (channels == 1) {
    s.leftChannel = 1;
    s.rightChannel = 0;
  } else if (channels == 2) {
    s.leftChannel = 0;
    s.rightChannel = 1;
  }
  SetUp();
}

void CRateWnd::LevelDragged(int32_t level) {
  const int64_t t = static_cast<int64_t>(level) * 32768 / 10000;
  hist_.SetThreshold(static_cast<int32_t>(std::min<int64_t>(t < 0 ? -t : t, 32768)));
  SetUp();
}

void CRateWnd::closeEvent(QCloseEvent* event) {
  event->ignore();
  emit closed(slot_);
}

void CRateWnd::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) ShowInterval();
}
