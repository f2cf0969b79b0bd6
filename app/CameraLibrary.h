// The 26 library functions the windows call, as one table owned by the
// program. The program binds it to Telvix's own exports; window tests put
// a fake behind it for the calls the simulated camera cannot fail.
#pragma once

#include <telvix/Telvix.h>

struct CameraLibrary {
    // Link and sign-in.
    decltype(&::Init_Device) Init_Device;
    decltype(&::UnInit_Device) UnInit_Device;
    decltype(&::client_login) client_login;
    // Time and status.
    decltype(&::SyncDevTime) SyncDevTime;
    decltype(&::ReadDeviceResolution) ReadDeviceResolution;
    decltype(&::ReadDeviceBatteryDumpEnergy) ReadDeviceBatteryDumpEnergy;
    // Identity.
    decltype(&::GetVUZInfo) GetVUZInfo;
    decltype(&::WriteVUZInfo) WriteVUZInfo;
    // Network.
    decltype(&::ReadWifiMode) ReadWifiMode;
    decltype(&::SetWifiMode) SetWifiMode;
    decltype(&::ReadWifiSSID) ReadWifiSSID;
    decltype(&::ReadWifiPSW) ReadWifiPSW;
    decltype(&::ReadServerIP) ReadServerIP;
    decltype(&::Read4GAPN) Read4GAPN;
    decltype(&::Read4GPIN) Read4GPIN;
    decltype(&::ReadServerPort) ReadServerPort;
    decltype(&::SetWifiSSID) SetWifiSSID;
    decltype(&::SetWifiPSW) SetWifiPSW;
    decltype(&::SetServerIP) SetServerIP;
    decltype(&::Set4GAPN) Set4GAPN;
    decltype(&::Set4GPIN) Set4GPIN;
    decltype(&::SetServerPort) SetServerPort;
    // Passwords and storage.
    decltype(&::SetAdminPassWord) SetAdminPassWord;
    decltype(&::SetUserPassWord) SetUserPassWord;
    decltype(&::SetMSDC) SetMSDC;
    decltype(&::FormatDecTF) FormatDecTF;
};

static_assert(sizeof(CameraLibrary) == 26 * sizeof(void (*)()), "one entry per function the windows call");

// Telvix's exports, imported by name.
const CameraLibrary& TelvixLibrary();

// The table the windows call through: TelvixLibrary() unless replaced.
extern const CameraLibrary* g_cameraLibrary;

inline const CameraLibrary& CameraCalls()
{
    return *g_cameraLibrary;
}
