#pragma once
// The plot component of a sound view: a widget that draws the oscillogram,
// the spectrogram, the zero-crossing diagram, their axes, the colour bar,
// the marks of the document and the view's cursors and selection.
//
// What a view does with it:
//   SetSettings(&settings)   the view's own AnalysisSettings (not owned; the
//                            display set-up writes its corrections back)
//   SetDocument(&doc)        the document (not owned); its samples are mapped
//                            read-only while painting. SetSound is the
//                            alternative for samples the caller holds.
//   Recompute()              the display set-up, after every change of zoom,
//                            scroll position, size, settings or format;
//                            repaints the whole plot
//   SetFirstSample(s)        scrolls; repaints the whole plot
//   SetCursor, SetDragCursor, SetDetectorLine, SetSelection
//                            cursor records and the selection, drawn by
//                            exclusive-or (the selection inverted) over the
//                            plot each time it is shown; the plot picture
//                            itself never holds them
//   SamplesChanged()         after every change of the samples: forgets the
//                            spectrogram levels kept between paints
//   SyncMarks()              after every change of the document's marks
//   Setup()                  conversions, formats, geometry (PlotSetup.h)
//   HitTest(globalPoint)     the diagram at a point (PlotArea), None outside
//   RenderTo(device, ...)    the same drawing for a printer, an image or SVG
// The cursor records and the selection are a PlotCursors; repaints of the
// plot are coalesced by a PlotRepaintTimer (500 ms with a spectrogram, 62 ms
// without). A spectrogram that takes long (the columns of a long stretch,
// each the strongest of many frames) is drawn in parts: a paint transforms a
// bounded number of frames, and the columns left out are drawn by further
// paints queued on the interface thread, so that the plot answers in
// between. Interface thread only.
#include <QImage>
#include <QRegion>
#include <QWidget>

#include <optional>
#include <vector>

#include "base/MarkRecord.h"
#include "plot/CursorRecord.h"
#include "plot/PlotCursors.h"
#include "plot/PlotRenderer.h"
#include "plot/PlotRepaintTimer.h"
#include "plot/PlotSetup.h"
#include "settings/AnalysisSettings.h"

namespace nv {

class CNorvaneDoc;

class SoundPlot : public QWidget {
  Q_OBJECT

 public:
  explicit SoundPlot(QWidget* parent = nullptr);
  ~SoundPlot() override;

  void SetSettings(AnalysisSettings* settings);
  AnalysisSettings* Settings() const { return settings_; }
  void SetDocument(CNorvaneDoc* doc);
  CNorvaneDoc* Document() const { return doc_; }
  // Samples held by the caller (used instead of a document's).
  void SetSound(const SoundSource& sound);
  // Threads of the spectrogram computation (0 = every core).
  void SetSpectrogramThreads(unsigned n) { threads_ = n; }

  void Recompute();
  void SetFirstSample(int64_t s);
  void SamplesChanged();
  const PlotSetup& Setup() const { return setup_; }

  const CursorRecord& Cursor() const { return cursors_.Cursor(); }
  void SetCursor(const CursorRecord& c);
  const CursorRecord& DragCursor() const { return cursors_.DragCursor(); }
  void SetDragCursor(const CursorRecord& c);
  const CursorRecord& DetectorLine() const { return cursors_.DetectorLine(); }
  void SetDetectorLine(const CursorRecord& c);
  const CursorRecord& SelectionStart() const { return cursors_.SelectionStart(); }
  const CursorRecord& SelectionEnd() const { return cursors_.SelectionEnd(); }
  // Ordered so that start is not after end.
  void SetSelection(const CursorRecord& start, const CursorRecord& end);
  bool HasSelection() const { return cursors_.HasSelection(); }

  // Takes the display copies of the document's marks and repaints.
  void SyncMarks();
  void SetMarks(const std::vector<MarkRecord>& marks);
  const std::vector<MarkRecord>& Marks() const { return marks_; }

  nv::PlotArea HitTest(const QPoint& globalPos) const;
  bool IsShown(nv::PlotArea area) const { return setup_.IsShown(area); }

  // The scale of this widget's screen (units per pixel, per 1000 pixels).
  PixelScale ScreenScale() const;
  // Draws the plot onto another device of sizePx device pixels (printer,
  // QImage, SVG generator) from a copy of the settings, without erasing and
  // without cursors (erase: fill it white first, as an exported picture
  // needs). False when there is nothing to draw on.
  bool RenderTo(QPaintDevice& device, const QSize& sizePx, bool erase = false);
  // The same drawing onto an active painter (a printer's page) into
  // targetPx, at the resolution of the painter's device.
  bool RenderOnto(QPainter& p, const QRect& targetPx);
  // The settings a picture of this plot is drawn with: the view's, with an
  // automatic FFT size replaced by the size the screen uses, so that a print
  // or a copied picture shows the spectrogram the screen shows (the
  // automatic size follows the device's pixels).
  AnalysisSettings PictureSettings() const;
  // The same drawing without a widget (needs only a QGuiApplication): the
  // plot of `sound` with a copy of `settings` on `device`.
  static bool Render(QPaintDevice& device, const QSize& sizePx, const AnalysisSettings& settings,
                     const SoundSource& sound, const std::vector<MarkRecord>& marks, bool erase,
                     unsigned threads = 0);
  // The picture this widget shows, drawn into an image (cursors included).
  QImage Grab();

  // The coalescing of repaints (its state, for tests).
  const PlotRepaintTimer& Repaints() const { return repaints_; }
  // A spectrogram drawn in parts is not finished yet, for tests.
  bool DrawingInParts() const { return continuing_ || !unfinished_.isEmpty(); }

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  SoundSource CurrentSound(bool map);
  void InvalidatePlot();
  // Draws r into the screen picture; with `inParts` the spectrogram may be
  // left incomplete there and is then finished by ContinueSpectrogram.
  void RenderScreenRegion(const QRect& r, bool inParts = true);
  void ContinueSpectrogram();

  AnalysisSettings own_;
  AnalysisSettings* settings_ = &own_;
  CNorvaneDoc* doc_ = nullptr;
  std::optional<SoundSource> sound_;
  unsigned threads_ = 0;
  const uint8_t* keptFor_ = nullptr;  // the samples the renderer's kept levels belong to
  PlotSetup setup_;
  PlotRenderer renderer_;
  std::vector<MarkRecord> marks_;
  PlotCursors cursors_;

  QImage screen_;      // the plot without cursors and selection
  QRegion dirty_;      // parts of screen_ that must be drawn again
  PlotRepaintTimer repaints_;
  QRegion unfinished_;        // parts of screen_ whose spectrogram is not complete
  bool continuing_ = false;   // ContinueSpectrogram is queued
};

}  // namespace nv
