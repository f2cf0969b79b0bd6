#include "Camera.h"

#include <telvix/Telvix.h>

#include "Session.h"
#include "core/TextConversions.h"
#include "texts/Notice.h"
#include "texts/TextTable.h"

namespace {

// Item indexes of the mode list, which are also the camera's mode values.
constexpr int kAccessPoint = 0;
constexpr int kStation = 1;
// The camera needs this long after a mode switch before it reports the
// values of the new mode.
constexpr DWORD kModeSwitchMs = 200;

// One call's narrow values, zero-filled, at the sizes the library expects
// (it takes no sizes of its own).
struct NetworkBuffers {
    char ssid[64] = {};
    char wifiPassword[64] = {};
    char serverIp[24] = {};
    char apn[64] = {};
    char pin[64] = {};
    char serverPort[12] = {};
};

using ReadCall = int(TELVIX_CALL*)(char* buffer, const char* credential, int* status);

// Reads one value into `value`, or "fail" when the read fails. False on a
// failure.
template <size_t N>
bool ReadValue(ReadCall read, char (&buffer)[N], WideString& value)
{
    int status = 0;
    if (read(buffer, g_sessionPassword, &status) != 1) {
        value = Text(kTextFail);
        return false;
    }
    // A library that fills the whole buffer loses its last byte rather than
    // have the text read past the buffer.
    buffer[N - 1] = '\0';
    value = AnsiToWide(buffer);
    return true;
}

// Narrows `value` for the library, which reads up to a zero byte: a text of
// the buffer's size or more is cut one byte short.
template <size_t N>
void NarrowValue(const WideString& value, char (&buffer)[N])
{
    NarrowIntoTerminated(value.c_str(), buffer, N);
}

} // namespace

void Camera::OnReadNetwork()
{
    NetworkBuffers buffers;
    int mode = 0;
    int status = 0;
    bool station = ReadWifiMode(&mode, g_sessionPassword, &status) == 1 && mode != 0;
    m_wifiModeList.SetCurSel(station ? kStation : kAccessPoint);
    // Without the SSID the settings cannot be sent back as they are.
    if (!ReadValue(ReadWifiSSID, buffers.ssid, m_wifiSsid))
        EnableWindow(GetDlgItem(IDC_SET_NETWORK), FALSE);
    ReadValue(ReadWifiPSW, buffers.wifiPassword, m_wifiPassword);
    ReadValue(ReadServerIP, buffers.serverIp, m_serverIp);
    ReadValue(Read4GAPN, buffers.apn, m_apn);
    ReadValue(Read4GPIN, buffers.pin, m_pin);
    ReadValue(ReadServerPort, buffers.serverPort, m_serverPort);
    UpdateData(false);
}

void Camera::OnSetNetwork()
{
    NetworkBuffers buffers;
    UpdateData(true);
    int mode = m_wifiModeList.GetCurSel(); // -1 when nothing is selected
    NarrowValue(m_wifiSsid, buffers.ssid);
    NarrowValue(m_wifiPassword, buffers.wifiPassword);
    NarrowValue(m_serverIp, buffers.serverIp);
    NarrowValue(m_apn, buffers.apn);
    NarrowValue(m_pin, buffers.pin);
    NarrowValue(m_serverPort, buffers.serverPort);

    int status = 0;
    bool sent = SetWifiMode(mode, g_sessionPassword, &status) == 1
                && SetWifiSSID(buffers.ssid, g_sessionPassword, &status) == 1
                && SetWifiPSW(buffers.wifiPassword, g_sessionPassword, &status) == 1
                && SetServerIP(buffers.serverIp, g_sessionPassword, &status) == 1;
    if (!sent) {
        ShowNotice(Text(kTextFail));
        return;
    }
    // The 4G values and the port are optional settings: their results are
    // not judged.
    Set4GAPN(buffers.apn, g_sessionPassword, &status);
    Set4GPIN(buffers.pin, g_sessionPassword, &status);
    SetServerPort(buffers.serverPort, g_sessionPassword, &status);
    ShowNotice(Text(kTextSetSuccessful));
}

void Camera::OnWifiModeChange()
{
    char ssid[64] = {};
    char wifiPassword[64] = {};
    // Keeps what was typed into the other fields through the exchange below.
    UpdateData(true);
    int status = 0;
    if (SetWifiMode(m_wifiModeList.GetCurSel(), g_sessionPassword, &status) != 1)
        return;
    Sleep(kModeSwitchMs);
    if (!ReadValue(ReadWifiSSID, ssid, m_wifiSsid))
        EnableWindow(GetDlgItem(IDC_SET_NETWORK), FALSE);
    Sleep(kModeSwitchMs);
    ReadValue(ReadWifiPSW, wifiPassword, m_wifiPassword);
    UpdateData(false);
}
