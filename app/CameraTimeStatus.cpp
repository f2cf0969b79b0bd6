// The time and parameter groups: the camera's clock and its status. Their
// outcomes go to the displays, never to a notice.
#include <telvix/Telvix.h>

#include <cstdio>

#include "Camera.h"
#include "Session.h"
#include "core/TextConversions.h"
#include "texts/TextTable.h"

void Camera::OnSyncTime()
{
    // The display shows the time read here; the library reads its own.
    SYSTEMTIME now;
    GetLocalTime(&now);
    int status = 0;
    bool synced = SyncDevTime(g_sessionPassword, &status) == 1;

    char stamp[100] = {};
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d --", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond);
    WideString text = AnsiToWide(stamp) + Text(synced ? kTextTimeSynced : kTextTimeSyncFailed);
    SetDlgItemText(IDC_TIME_RESULT, text.c_str());
}

void Camera::OnReadStatus()
{
    int status = 0;
    char number[40] = {};
    int width = 0, height = 0;
    WideString resolution = Text(kTextResolutionLabel);
    if (ReadDeviceResolution(&width, &height, g_sessionPassword, &status) == 1) {
        std::snprintf(number, sizeof number, "%d*%d", width, height);
        resolution += AnsiToWide(number);
    }
    SetDlgItemText(IDC_RESOLUTION, resolution.c_str());

    int level = 0;
    WideString battery = Text(kTextBatteryLabel);
    if (ReadDeviceBatteryDumpEnergy(&level, g_sessionPassword, &status) == 1) {
        std::snprintf(number, sizeof number, "%d%%", level);
        battery += AnsiToWide(number);
    }
    SetDlgItemText(IDC_BATTERY, battery.c_str());
}
