#pragma once
// Where the analysis window in slot `slot` of a view opens: cascaded 24
// pixels apart from 80,80 of the owner, so that every new window shows the
// title bar of the one before, and wrapped back so that the whole window
// stays on the owner's screen. Global coordinates; interface thread only.
#include <QGuiApplication>
#include <QPoint>
#include <QRect>
#include <QScreen>
#include <QSize>
#include <QWidget>
#include <algorithm>

namespace nv {

inline constexpr int kCascadeStepPx = 24;

inline QPoint CascadePosition(const QWidget* owner, const QSize& size, int slot) {
  const QPoint origin = owner ? owner->mapToGlobal(QPoint(80, 80)) : QPoint(80, 80);
  QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
  const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  // The frame's title bar and borders lie outside the window's own size.
  const int frameH = 40, frameW = 16;
  const QPoint first(std::clamp(origin.x(), avail.left(), std::max(avail.left(), avail.right() - size.width() - frameW)),
                     std::clamp(origin.y(), avail.top() + frameH,
                                std::max(avail.top() + frameH, avail.bottom() - size.height() - frameH)));
  // How many steps fit before the window would leave the screen.
  const int roomX = (avail.right() - frameW - size.width() - first.x()) / kCascadeStepPx;
  const int roomY = (avail.bottom() - frameH - size.height() - first.y()) / kCascadeStepPx;
  const int steps = std::max(1, std::min(roomX, roomY) + 1);
  const int k = slot % steps;
  return first + QPoint(k * kCascadeStepPx, k * kCascadeStepPx);
}

}  // namespace nv
