#pragma once
// Loading and saving all of the application's default records at start-up
// and exit, and the hook that writes the colour maps whenever they change.
#include "app/AppCore.h"
#include "settings/SettingsStore.h"

namespace nv {

// Start-up: Power, Rate, Puls, CB, NI, DefData, DefData\Analys, colour maps.
void LoadAll(SettingsStore& store, AppCore& app);
// Exit: Power, Rate, Puls, DefData, DefData\Analys (not the cards, not the maps).
void SaveAll(SettingsStore& store, const AppCore& app);

// Points the application's saveColorMaps hook at `store` (not owned; it must
// outlive the hook, or be uninstalled with null).
void InstallColorMapSaver(AppCore& app, SettingsStore* store);

}  // namespace nv
