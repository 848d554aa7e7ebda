#pragma once
// The analysis defaults norvane-cli starts from: the desktop application's
// stored defaults ("Settings\Puls", "Settings\Rate" in its settings file,
// ~/.config/Quellmark/Norvane.conf or under $XDG_CONFIG_HOME), read without
// Qt; the built-in first-start defaults for what is not stored.
#include <string>

#include "settings/PulseSettings.h"
#include "settings/RateSettings.h"

namespace nv::cli {

PulseSettings StoredPulseSettings();
RateSettings StoredRateSettings();

// The settings file read (it need not exist).
std::string StoredSettingsPath();

}  // namespace nv::cli
