// Settings a dock window under test starts with, in a folder of the test's
// own; the simulated dock it watches holds no camera, so that only the
// events a test plays reach the rows.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>

#include "TempFolder.h"
#include "dock/DockSettings.h"

inline DockSettings ReadySettings(const TempFolder& folder, Language language = kEnglish)
{
    std::string empty = folder.Path() + "\\no-cameras";
    CreateDirectoryA(empty.c_str(), nullptr);
    _putenv_s("NVUSB_SIM_DOCK", empty.c_str());
    DockSettings settings;
    settings.archive = folder.Path();
    settings.auditFile = folder.Path() + "\\audit.jsonl";
    settings.password = "123456";
    settings.language = language;
    return settings;
}
