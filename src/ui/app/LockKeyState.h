#pragma once
// Whether Caps Lock, Num Lock and Scroll Lock are on, read from the
// windowing system where it offers the state: on X11 through the keyboard
// extension's named indicators ("Caps Lock", "Num Lock", "Scroll Lock").
// Qt itself only reports the keys being pressed. Interface thread only.
#include <optional>

struct LockKeyState {
  bool caps = false;
  bool num = false;
  bool scroll = false;
  bool operator==(const LockKeyState&) const = default;

  // The current state; nothing where the platform offers no way to read it
  // (the offscreen platform, Wayland, a build without X11).
  static std::optional<LockKeyState> Read();
};
