// The time and parameter groups: the camera's clock and its status. Their
// outcomes go to the displays, never to a notice.
#include "Camera.h"
#include "camera/CameraLibrary.h"
#include "Session.h"
#include "core/DisplayTexts.h"
#include "texts/TextTable.h"

void Camera::OnSyncTime()
{
    // The display shows the time read here; the library reads its own.
    SYSTEMTIME now;
    GetLocalTime(&now);
    int status = 0;
    bool synced = CameraCalls().SyncDevTime(g_sessionPassword, &status) == 1;
    LocalClock clock{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    SetDlgItemText(IDC_TIME_RESULT, TimeDisplay(clock, Text(synced ? kTextTimeSynced : kTextTimeSyncFailed)).c_str());
}

void Camera::OnReadStatus()
{
    int status = 0;
    int width = 0, height = 0;
    bool read = CameraCalls().ReadDeviceResolution(&width, &height, g_sessionPassword, &status) == 1;
    SetDlgItemText(IDC_RESOLUTION, ResolutionDisplay(Text(kTextResolutionLabel), read, width, height).c_str());

    int level = 0;
    read = CameraCalls().ReadDeviceBatteryDumpEnergy(&level, g_sessionPassword, &status) == 1;
    SetDlgItemText(IDC_BATTERY, BatteryDisplay(Text(kTextBatteryLabel), read, level).c_str());
}
