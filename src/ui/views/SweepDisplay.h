#pragma once
// The recording view's running display: a sweep that draws each recorded
// block once, left to right, as columns of an oscillogram strip and a
// spectrogram strip (per channel, the left channel above the right one for
// stereo), with a moving gap at the sweep position, and starts again at the
// left edge after "seconds per plot". The blocks share the whole plot width
// evenly, a fraction of a pixel each when the plot is long (SweepGeometry);
// a column is drawn once its last sample has come. Blocks wait in a ring of 256 slots
// until the next paint draws them, oldest first. Interface thread only.
#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

#include "audio/RecordViewSettings.h"
#include "base/WaveFormat.h"
#include "dsp/WindowTable.h"

class SweepDisplay : public QWidget {
  Q_OBJECT
 public:
  explicit SweepDisplay(QWidget* parent = nullptr);

  // A new sweep in this format (time expansion in thousandths) with these
  // settings; drops queued blocks and clears the picture.
  void Reset(const nv::WaveFormatEx& format, int32_t expansionThousandths, const nv::RecordViewSettings& s);
  // A recorded block (copied into its ring slot); drawn at the next paint.
  void AddBlock(int64_t number, const uint8_t* bytes, uint32_t count);
  // Blocks waiting to be drawn.
  int Pending() const { return static_cast<int>(pending_.size()); }
  // The spectrogram strip's FFT size in use (0 before the first drawing).
  int FftSize() const { return fftSize_; }
  const QImage& Picture() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  struct Slot {
    std::vector<uint8_t> bytes;
    int64_t number = -1;
  };
  struct Strip {
    int channel = 0;      // 0 left (or mono), 1 right
    bool spectrogram = false;
    QRect body;           // where the columns go
    QString title;
  };
  void Layout();
  void DrawFrame();
  void DrawBlock(const Slot& slot);
  int SamplesPerChannel(const Slot& slot) const;
  // Sample i of `channel` in the slot, on the 16-bit scale.
  double Sample(const Slot& slot, int channel, int i) const;

  nv::WaveFormatEx format_;
  int32_t expansion_ = 1000;
  nv::RecordViewSettings settings_;
  std::array<Slot, 256> ring_;
  std::vector<int> pending_;  // ring slots in arrival order
  std::vector<Strip> strips_;
  QImage image_;
  int plotWidth_ = 0;
  int fftSize_ = 0;
  nv::WindowTable window_;
  int windowSize_ = 0;
  QString windowSuffix_;
  // The previous block's samples per channel (the FFT reaches back into it).
  std::array<std::vector<double>, 2> previous_;
  int64_t previousNumber_ = -2;
  // Per channel: the lowest and highest sample of the column not yet drawn,
  // from the blocks that came so far (a column may span several blocks).
  struct ColumnRange {
    bool valid = false;
    double lo = 0, hi = 0;
  };
  std::array<ColumnRange, 2> pendingColumn_;
  std::vector<double> frame_;
};
