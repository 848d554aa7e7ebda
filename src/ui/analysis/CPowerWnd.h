#pragma once
// A power-spectrum window: a floating tool window owned by a sound view (it
// goes with the view) that shows the averaged power spectrum of the view's
// selection or of one FFT frame at its cursor, in its own PowerPlot. Its
// context menu "Power menue" copies the picture (PNG and SVG, the SVG also
// as PwrClip.svg in the temporary directory) or the text export, prints,
// edits its settings, toggles continuous update and the scale, and exports
// the text to a file. The owning view passes every cursor and selection
// change (ViewChanged) and implements PowerWindowHost.
//
// Interface thread only. The document must outlive the window or be
// cleared with SetDocument(nullptr).
#include <QString>
#include <QWidget>
#include <functional>

#include "analysis/PagePrinter.h"
#include "analysis/PowerWindowModel.h"

class QMenu;
class QAction;
class PowerPlot;
class PowerWindowHost;

namespace nv {
class CNorvaneDoc;
}

class CPowerWnd : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kDefaultFftSize = 1024;
  // The size a new window opens with (pixels).
  static constexpr int kOpeningWidthPx = 640;
  static constexpr int kOpeningHeightPx = 320;

  CPowerWnd(QWidget* owner, PowerWindowHost* host, nv::CNorvaneDoc* doc, int slot,
            const nv::PowerSettings& settings, int32_t start, int32_t end);
  ~CPowerWnd() override;

  int Slot() const { return slot_; }
  nv::PowerWindowModel& Model() { return model_; }
  const nv::PowerWindowModel& Model() const { return model_; }
  PowerPlot* Plot() const { return plot_; }
  QMenu* ContextMenu() const { return menu_; }
  void SetDocument(nv::CNorvaneDoc* doc);

  // A change of the view's cursor or selection: [start, end) with the
  // channels (1 left, 2 right, else the view's), end -1 for a cursor, start
  // -1 for neither; `force` recomputes even without continuous update.
  void ViewChanged(int32_t start, int32_t end, int channels, bool force);
  // Sets up and recomputes for the current size and repaints.
  void Recompute();

  // The commands of the context menu.
  void CopyPicture();
  void CopyAscii();
  void RequestPrint();
  void RequestPrintPreview();
  void EditSettings();
  void ToggleContinuousUpdate();
  void ToggleLogScale();
  bool ExportAsciiFile();

  // The page a print of this window shows.
  PagePrinter::Page PrintPage() const;
  // The picture at targetPx on a device with `twipsPerPixel` (1440 / its
  // dots per inch), with the FFT size and range this window shows.
  void RenderPicture(QPainter& p, const QRectF& targetPx, double twipsPerPixel) const;

  // Chooses the export file (tests replace it); empty to cancel.
  static std::function<QString(QWidget*)> fileChooser;

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void MarkInterval();
  QAction* AddItem(const QString& text, void (CPowerWnd::*slot)());

  PowerWindowHost* host_;
  nv::CNorvaneDoc* doc_;
  int slot_;
  nv::PowerWindowModel model_;
  PowerPlot* plot_ = nullptr;
  QMenu* menu_ = nullptr;
  QAction* contAction_ = nullptr;
  QAction* logAction_ = nullptr;
  bool marked_ = false;
  int64_t markedEnd_ = -1;  // the end of the interval marked last
};
