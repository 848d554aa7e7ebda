#include "app/LockKeyState.h"

#include <QGuiApplication>

#if defined(NORVANE_HAVE_X11) && QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#endif

std::optional<LockKeyState> LockKeyState::Read() {
#if defined(NORVANE_HAVE_X11) && QT_CONFIG(xcb)
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  if (!display) return std::nullopt;
  auto indicator = [display](const char* name, bool& on) {
    const Atom atom = XInternAtom(display, name, True);
    Bool state = False;
    if (atom == None || !XkbGetNamedIndicator(display, atom, nullptr, &state, nullptr, nullptr))
      return false;
    on = state != False;
    return true;
  };
  LockKeyState s;
  const bool caps = indicator("Caps Lock", s.caps);
  const bool num = indicator("Num Lock", s.num);
  const bool scroll = indicator("Scroll Lock", s.scroll);
  if (!caps && !num && !scroll) return std::nullopt;
  return s;
#else
  return std::nullopt;
#endif
}
