#include "settings/ViewPreferences.h"

namespace nv {

bool IsKeptCursorMode(int32_t mode) { return mode == 1 || mode == 2 || mode == 3 || mode == 6; }

void LoadViewPreferences(SettingsStore& st, ViewPreferences& p) {
  if (auto v = st.ReadNumber(section::kView, "FitShortSounds")) p.fitShortSounds = *v != 0;
  if (auto v = st.ReadNumber(section::kView, "CursorMode"); v && IsKeptCursorMode(*v)) p.cursorMode = *v;
}

void SaveViewPreferences(SettingsStore& st, const ViewPreferences& p) {
  st.WriteNumber(section::kView, "FitShortSounds", p.fitShortSounds ? 1 : 0);
  if (IsKeptCursorMode(p.cursorMode)) st.WriteNumber(section::kView, "CursorMode", p.cursorMode);
}

}  // namespace nv
