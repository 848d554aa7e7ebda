#pragma once
// The sound view that shows the oscillogram and spectrogram.
#include "views/CNvAnaView.h"

class CNvCombView : public CNvAnaView {
  Q_OBJECT
 public:
  using CNvAnaView::CNvAnaView;

 protected:
  void ApplyKind(nv::AnalysisSettings& s) const override {
    s.oscillogramShown = 1;
    s.spectrogramShown = 1;
    s.freqPlot = 0;
  }
};
