#pragma once
// The sound view that shows the zero-crossing diagram (with the oscillogram above it when the settings show one).
#include "views/CNvAnaView.h"

class CNvFreqView : public CNvAnaView {
  Q_OBJECT
 public:
  using CNvAnaView::CNvAnaView;

 protected:
  void ApplyKind(nv::AnalysisSettings& s) const override {
    s.spectrogramShown = 1;
    s.freqPlot = 1;
  }
};
