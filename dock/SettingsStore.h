// Where the dock's settings are kept: the operator's in
// HKCU\Software\Kestrava\OrvaneDock, IT's presets in
// HKLM\Software\Policies\Kestrava\OrvaneDock (same value names), and the
// camera password and the store's secret key only as DPAPI's protection of
// them for this user.
#pragma once

#include <string>

#include "dock/DockSettings.h"

namespace settings_store {

DockSettings Load();
// Writes every setting that is not preset, and the secrets protected.
// False when a value could not be written; `problem` says which.
bool Save(const DockSettings& settings, std::string& problem);

}  // namespace settings_store
