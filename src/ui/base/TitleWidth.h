#pragma once
// Gives a dialog at least the width its window title needs in a title bar
// (the text plus room for the window's icon and buttons), so that the title
// is not cut short ("Power s... settings"). Interface thread only.
#include <QFontMetrics>
#include <QWidget>
#include <algorithm>

namespace nv {

inline void FitTitleWidth(QWidget* w) {
  // The title bar's font is the application's, a little larger on most
  // desktops; icon, close and help buttons take about 140 pixels.
  QFont f = w->font();
  f.setPointSizeF(f.pointSizeF() * 1.2);
  const int need = QFontMetrics(f).horizontalAdvance(w->windowTitle()) + 140;
  w->setMinimumWidth(std::max(w->minimumWidth(), need));
}

}  // namespace nv
