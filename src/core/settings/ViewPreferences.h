#pragma once
// How the sound views behave for this user, kept in the section
// "Settings\View": whether a sound shorter than a view's span opens fitted
// to the window ("FitShortSounds", a switch, on unless stored as 0), and the
// cursor mode last chosen ("CursorMode", the cursor mode's number). A first
// start, with nothing stored, opens short sounds fitted and has the marking
// cursor, so that a drag selects at once; a stored mode is kept.
#include <cstdint>

#include "settings/SettingsStore.h"

namespace nv {

namespace section {
inline constexpr const char* kView = "Settings\\View";
}  // namespace section

struct ViewPreferences {
  static constexpr int32_t kMarkingCursor = 1;
  bool fitShortSounds = true;
  int32_t cursorMode = kMarkingCursor;
};

// A cursor mode that can be chosen from the menus and is worth keeping:
// marking (1), measurement (2), large measurement (3) and marking stereo
// (6). The level cursor (4) belongs to an analysis window and is not kept.
bool IsKeptCursorMode(int32_t mode);

// Reads the section; missing values, and a stored mode that is not kept,
// leave the fields as they are.
void LoadViewPreferences(SettingsStore& store, ViewPreferences& p);
void SaveViewPreferences(SettingsStore& store, const ViewPreferences& p);

}  // namespace nv
