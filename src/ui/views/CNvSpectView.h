#pragma once
// The sound view that shows the spectrogram.
#include "views/CNvAnaView.h"

class CNvSpectView : public CNvAnaView {
  Q_OBJECT
 public:
  using CNvAnaView::CNvAnaView;

 protected:
  void ApplyKind(nv::AnalysisSettings& s) const override {
    s.oscillogramShown = 0;
    s.spectrogramShown = 1;
    s.freqPlot = 0;
  }
};
