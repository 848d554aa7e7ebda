#pragma once
// The analysed interval of an analysis window, drawn over a sound view's
// plot as a translucent band: [start, end) in frames of the document, over
// the whole plot or, when both channels are shown, in the strip of the
// channel it analyses (1 left, 2 right). It lets every mouse event through
// to the plot. A child widget of the plot; interface thread only.
#include <QWidget>
#include <cstdint>

namespace nv {
class SoundPlot;
}

class IntervalMark : public QWidget {
 public:
  explicit IntervalMark(nv::SoundPlot* plot);
  void Set(int32_t start, int32_t end, int channel);
  void Clear();
  int32_t Start() const { return start_; }
  int32_t End() const { return end_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  nv::SoundPlot* plot_;
  int32_t start_ = -1;
  int32_t end_ = -1;
  int channel_ = 0;
};
