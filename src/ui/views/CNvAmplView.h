#pragma once
// The sound view that shows the oscillogram.
#include "views/CNvAnaView.h"

class CNvAmplView : public CNvAnaView {
  Q_OBJECT
 public:
  using CNvAnaView::CNvAnaView;

 protected:
  void ApplyKind(nv::AnalysisSettings& s) const override {
    s.oscillogramShown = 1;
    s.spectrogramShown = 0;
    s.freqPlot = 0;
  }
};
