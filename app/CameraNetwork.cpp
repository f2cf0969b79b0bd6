// The network group: the WiFi mode and the six WiFi/4G values, read into
// their fields and sent back from them.
#include "Camera.h"
#include "camera/CameraLibrary.h"
#include "Session.h"
#include "core/NetworkValues.h"
#include "texts/Notice.h"
#include "texts/TextTable.h"

namespace {

// Item indexes of the mode list, which are also the camera's mode values.
constexpr int kAccessPoint = 0;
constexpr int kStation = 1;
// The camera needs this long after a mode switch before it reports the
// values of the new mode.
constexpr DWORD kModeSwitchMs = 200;

constexpr size_t kSsid = 0;
constexpr size_t kWifiPassword = 1;
static_assert(kNetworkValues[kSsid].value == NetworkValue::Ssid
                  && kNetworkValues[kWifiPassword].value == NetworkValue::WifiPassword,
              "the mode switch rereads these two");

} // namespace

// Each value's library calls and field, in the order of kNetworkValues.
struct Camera::NetworkField {
    NetworkValue value;
    decltype(CameraLibrary::ReadWifiSSID) CameraLibrary::*read;
    decltype(CameraLibrary::SetWifiSSID) CameraLibrary::*set;
    WideString Camera::*text;
};

const Camera::NetworkField Camera::kNetworkFields[6] = {
    {NetworkValue::Ssid, &CameraLibrary::ReadWifiSSID, &CameraLibrary::SetWifiSSID, &Camera::m_wifiSsid},
    {NetworkValue::WifiPassword, &CameraLibrary::ReadWifiPSW, &CameraLibrary::SetWifiPSW, &Camera::m_wifiPassword},
    {NetworkValue::ServerIp, &CameraLibrary::ReadServerIP, &CameraLibrary::SetServerIP, &Camera::m_serverIp},
    {NetworkValue::Apn, &CameraLibrary::Read4GAPN, &CameraLibrary::Set4GAPN, &Camera::m_apn},
    {NetworkValue::Pin, &CameraLibrary::Read4GPIN, &CameraLibrary::Set4GPIN, &Camera::m_pin},
    {NetworkValue::ServerPort, &CameraLibrary::ReadServerPort, &CameraLibrary::SetServerPort, &Camera::m_serverPort},
};

void Camera::ReadNetworkValue(size_t index)
{
    const NetworkField& field = kNetworkFields[index];
    NetworkBuffer buffer(kNetworkValues[index]);
    int status = 0;
    if ((CameraCalls().*field.read)(buffer.data(), g_sessionPassword, &status) == 1) {
        this->*field.text = buffer.Text();
        return;
    }
    this->*field.text = Text(kTextFail);
    // Without the SSID the settings cannot be sent back as they are.
    if (field.value == NetworkValue::Ssid)
        EnableWindow(GetDlgItem(IDC_SET_NETWORK), FALSE);
}

void Camera::OnReadNetwork()
{
    int mode = 0;
    int status = 0;
    bool station = CameraCalls().ReadWifiMode(&mode, g_sessionPassword, &status) == 1 && mode != 0;
    m_wifiModeList.SetCurSel(station ? kStation : kAccessPoint);
    for (size_t index = 0; index < 6; ++index)
        ReadNetworkValue(index);
    UpdateData(false);
}

void Camera::OnSetNetwork()
{
    UpdateData(true);
    int mode = m_wifiModeList.GetCurSel(); // -1 when nothing is selected
    int status = 0;
    if (CameraCalls().SetWifiMode(mode, g_sessionPassword, &status) != 1) {
        ShowNotice(Text(kTextFail));
        return;
    }
    for (size_t index = 0; index < 6; ++index) {
        NetworkBuffer buffer(kNetworkValues[index]);
        buffer.Narrow(this->*kNetworkFields[index].text);
        bool sent = (CameraCalls().*kNetworkFields[index].set)(buffer.data(), g_sessionPassword, &status) == 1;
        if (!sent && kNetworkValues[index].judged) {
            ShowNotice(Text(kTextFail));
            return;
        }
    }
    ShowNotice(Text(kTextSetSuccessful));
}

void Camera::OnWifiModeChange()
{
    // Keeps what was typed into the other fields through the exchange below.
    UpdateData(true);
    int status = 0;
    if (CameraCalls().SetWifiMode(m_wifiModeList.GetCurSel(), g_sessionPassword, &status) != 1)
        return;
    Sleep(kModeSwitchMs);
    ReadNetworkValue(kSsid);
    Sleep(kModeSwitchMs);
    ReadNetworkValue(kWifiPassword);
    UpdateData(false);
}
