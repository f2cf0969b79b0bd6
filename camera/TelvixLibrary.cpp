#include "camera/CameraLibrary.h"

namespace {

// The window program never reads or sets the serial number: these fail as
// Telvix fails a call it cannot make.
int Unbound(int* status)
{
    if (status) {
        *status = kStatusFailure;
    }
    return 0;
}

int TELVIX_CALL ReadSerialUnbound(void*, const char*, int* status)
{
    return Unbound(status);
}

int TELVIX_CALL SetSerialUnbound(const void*, const char*, int* status)
{
    return Unbound(status);
}

CameraLibrary BindTelvix()
{
    CameraLibrary library{};
    library.Init_Device = &::Init_Device;
    library.UnInit_Device = &::UnInit_Device;
    library.client_login = &::client_login;
    library.SyncDevTime = &::SyncDevTime;
    library.ReadDeviceResolution = &::ReadDeviceResolution;
    library.ReadDeviceBatteryDumpEnergy = &::ReadDeviceBatteryDumpEnergy;
    library.GetVUZInfo = &::GetVUZInfo;
    library.WriteVUZInfo = &::WriteVUZInfo;
    library.ReadWifiMode = &::ReadWifiMode;
    library.SetWifiMode = &::SetWifiMode;
    library.ReadWifiSSID = &::ReadWifiSSID;
    library.ReadWifiPSW = &::ReadWifiPSW;
    library.ReadServerIP = &::ReadServerIP;
    library.Read4GAPN = &::Read4GAPN;
    library.Read4GPIN = &::Read4GPIN;
    library.ReadServerPort = &::ReadServerPort;
    library.SetWifiSSID = &::SetWifiSSID;
    library.SetWifiPSW = &::SetWifiPSW;
    library.SetServerIP = &::SetServerIP;
    library.Set4GAPN = &::Set4GAPN;
    library.Set4GPIN = &::Set4GPIN;
    library.SetServerPort = &::SetServerPort;
    library.SetAdminPassWord = &::SetAdminPassWord;
    library.SetUserPassWord = &::SetUserPassWord;
    library.SetMSDC = &::SetMSDC;
    library.FormatDecTF = &::FormatDecTF;
    library.ReadCameraSerialNo = &ReadSerialUnbound;
    library.SetCameraSerialNo = &SetSerialUnbound;
    return library;
}

}  // namespace

const CameraLibrary& TelvixLibrary()
{
    static const CameraLibrary kTelvix = BindTelvix();
    return kTelvix;
}

const CameraLibrary* g_cameraLibrary = &TelvixLibrary();
