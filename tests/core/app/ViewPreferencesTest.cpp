// The views' preferences in "Settings\View" (read at start-up and written at
// exit beside the default records): a first start fits short sounds
// and has the marking cursor; what a user chose is read back after the next
// start; a level cursor (an analysis's) or an unknown number is not kept.
#include <gtest/gtest.h>

#include "app/AppCore.h"
#include "settings/MemorySettingsStore.h"
#include "settings/ViewPreferences.h"

namespace nv {
namespace {

TEST(ViewPreferences, FirstStartAndStoredChoices) {
  AppCore app;
  MemorySettingsStore st;
  LoadViewPreferences(st, app.viewPreferences);
  EXPECT_TRUE(app.viewPreferences.fitShortSounds);
  EXPECT_EQ(app.viewPreferences.cursorMode, 1);
  SaveViewPreferences(st, app.viewPreferences);
  EXPECT_EQ(st.ReadNumber("Settings\\View", "FitShortSounds"), 1);
  EXPECT_EQ(st.ReadNumber("Settings\\View", "CursorMode"), 1);

  // Chosen, saved at exit, read at the next start.
  for (int32_t mode : {2, 3, 6, 1}) {
    app.viewPreferences.fitShortSounds = mode != 2;
    app.viewPreferences.cursorMode = mode;
    SaveViewPreferences(st, app.viewPreferences);
    app.Reset();
    LoadViewPreferences(st, app.viewPreferences);
    EXPECT_EQ(app.viewPreferences.cursorMode, mode);
    EXPECT_EQ(app.viewPreferences.fitShortSounds, mode != 2);
  }

  // The level cursor is not written; a stored one (or nonsense) is not read.
  app.viewPreferences.cursorMode = 3;
  SaveViewPreferences(st, app.viewPreferences);
  app.viewPreferences.cursorMode = 4;
  SaveViewPreferences(st, app.viewPreferences);
  EXPECT_EQ(st.ReadNumber("Settings\\View", "CursorMode"), 3);
  for (int32_t stored : {0, 4, 5, 7, -1}) {
    st.WriteNumber("Settings\\View", "CursorMode", stored);
    ViewPreferences p;
    LoadViewPreferences(st, p);
    EXPECT_EQ(p.cursorMode, 1) << stored;
  }
  app.Reset();
}

}  // namespace
}  // namespace nv
