// The camera seam: Telvix's functions as one table, shared by the window
// program and the command-line tool. Each binds it to Telvix's exports;
// tests put fakes behind it.
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
    // The serial number, which only the command-line tool reads and sets.
    decltype(&::ReadCameraSerialNo) ReadCameraSerialNo;
    decltype(&::SetCameraSerialNo) SetCameraSerialNo;
};

static_assert(sizeof(CameraLibrary) == 28 * sizeof(void (*)()),
              "one entry per function the windows call, and the serial-number pair");

// Telvix's exports, imported by name: the 26 the windows call. The
// serial-number pair are stand-ins that fail, so that the window program
// does not import those two functions.
const CameraLibrary& TelvixLibrary();

// The same with the serial-number pair bound to Telvix as well (in a file
// of its own, so that only a program that calls this imports the pair).
const CameraLibrary& TelvixLibraryWithSerialNumbers();

// The table the program calls through: TelvixLibrary() unless replaced.
extern const CameraLibrary* g_cameraLibrary;

inline const CameraLibrary& CameraCalls()
{
    return *g_cameraLibrary;
}
