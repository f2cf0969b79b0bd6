#include "Camera.h"

#include "Banner.h"
#include "Session.h"
#include "WindowRules.h"
#include "texts/Notice.h"
#include "texts/TextTable.h"
#include "ui/Handles.h"
#include "ui/MessageMap.h"

namespace {

constexpr int kSerialNoMaxLength = 40;
// Closes the notice of an identity write started with Enter in the serial
// number field.
constexpr UINT_PTR kNoticeCloseTimer = 1;
constexpr UINT kNoticeCloseDelayMs = 1000;
// Repaints the banner over the window's own painting, a few times in case
// the first ticks come before the controls have painted.
constexpr UINT_PTR kBannerTimer = 2;
constexpr int kBannerPaints = 5;
constexpr int kBannerTextX = 360;

bool IsAdministrator()
{
    return g_userType == 0;
}

} // namespace

void Camera::DoDataExchange(ui::DataExchange& exchange)
{
    exchange.Text(IDC_CAMERA_ID, m_cameraId);
    exchange.Text(IDC_USER_ID, m_userId);
    exchange.Text(IDC_DEPARTMENT_ID, m_departmentId);
    exchange.Text(IDC_USER_NAME, m_userName);
    exchange.Text(IDC_DEPARTMENT_NAME, m_departmentName);
    exchange.Control(IDC_WIFI_MODE, m_wifiModeList);
    exchange.Text(IDC_WIFI_SSID, m_wifiSsid);
    exchange.Text(IDC_WIFI_PASSWORD, m_wifiPassword);
    exchange.Text(IDC_SERVER_IP, m_serverIp);
    exchange.Text(IDC_APN, m_apn);
    exchange.Text(IDC_PIN, m_pin);
    exchange.Text(IDC_SERVER_PORT, m_serverPort);
    exchange.Text(IDC_ADMIN_PASSWORD, m_adminPassword);
    exchange.Text(IDC_ADMIN_PASSWORD_AGAIN, m_adminPasswordAgain);
    exchange.Text(IDC_USER_PASSWORD, m_userPassword);
    exchange.Text(IDC_USER_PASSWORD_AGAIN, m_userPasswordAgain);
    exchange.Text(IDC_SERIAL_NO, m_serialNo, kSerialNoMaxLength);
}

bool Camera::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    static const ui::MessageEntry<Camera> kMap[] = {
        ui::Clicked(IDC_SYNC_TIME, &Camera::OnSyncTime),
        ui::Message(WM_PAINT, &Camera::OnPaint),
        ui::Clicked(IDC_READ_STATUS, &Camera::OnReadStatus),
        ui::Clicked(IDC_READ_IDENTITY, &Camera::OnReadIdentity),
        ui::Clicked(IDC_SET_IDENTITY, &Camera::OnSetIdentity),
        ui::Clicked(IDC_READ_NETWORK, &Camera::OnReadNetwork),
        ui::Clicked(IDC_SET_NETWORK, &Camera::OnSetNetwork),
        ui::Clicked(IDC_USB_STORAGE, &Camera::OnUsbStorage),
        ui::Clicked(IDC_SET_ADMIN_PASSWORD, &Camera::OnSetAdminPassword),
        ui::Clicked(IDC_SET_USER_PASSWORD, &Camera::OnSetUserPassword),
        ui::Message(WM_TIMER, &Camera::OnTimer),
        ui::Clicked(IDC_FORMAT_CARD, &Camera::OnFormatCard),
        ui::Command(IDC_WIFI_MODE, CBN_SELCHANGE, &Camera::OnWifiModeChange),
    };
    return ui::Dispatch(*this, kMap, message, wParam, lParam, result);
}

bool Camera::PreTranslateMessage(MSG* message)
{
    // Escape and Enter close no window of the application; Enter in the
    // serial number field writes the identity and dismisses its notice.
    if (IsEscapeKey(*message))
        return true;
    if (message->message == WM_KEYDOWN && message->wParam == VK_RETURN) {
        HWND focus = GetFocus();
        if (focus && GetParent(focus) == hwnd() && GetDlgCtrlID(focus) == IDC_SERIAL_NO) {
            SetTimer(kNoticeCloseTimer, kNoticeCloseDelayMs);
            OnSetIdentity();
        }
        return true;
    }
    return Dialog::PreTranslateMessage(message);
}

BOOL Camera::OnInitDialog()
{
    Dialog::OnInitDialog();
    if (!IsAdministrator())
        EnableWindow(GetDlgItem(IDC_SET_ADMIN_PASSWORD), FALSE);

    const struct {
        int id;
        InputField field;
        CMyEdit Camera::*edit;
    } kFilteredFields[] = {
        {IDC_ADMIN_PASSWORD, InputField::AdminPassword, &Camera::m_adminPasswordEdit},
        {IDC_ADMIN_PASSWORD_AGAIN, InputField::AdminPasswordAgain, &Camera::m_adminPasswordAgainEdit},
        {IDC_USER_PASSWORD, InputField::UserPassword, &Camera::m_userPasswordEdit},
        {IDC_USER_PASSWORD_AGAIN, InputField::UserPasswordAgain, &Camera::m_userPasswordAgainEdit},
        {IDC_CAMERA_ID, InputField::CameraId, &Camera::m_cameraIdEdit},
        {IDC_USER_ID, InputField::UserId, &Camera::m_userIdEdit},
        {IDC_DEPARTMENT_ID, InputField::DepartmentId, &Camera::m_departmentIdEdit},
        {IDC_USER_NAME, InputField::UserName, &Camera::m_userNameEdit},
        {IDC_DEPARTMENT_NAME, InputField::DepartmentName, &Camera::m_departmentNameEdit},
    };
    for (const auto& field : kFilteredFields) {
        const InputFieldRule& rule = RuleOf(field.field);
        SendDlgItemMessageW(hwnd(), field.id, EM_LIMITTEXT, static_cast<WPARAM>(rule.maxChars), 0);
    }
    for (const auto& field : kFilteredFields) {
        (this->*field.edit).SubclassDlgItem(field.id, *this);
        (this->*field.edit).m_inputMode = RuleOf(field.field).mode;
    }

    SetLabels();
    OnSyncTime();
    OnReadStatus();
    OnReadIdentity();
    OnReadNetwork();

    if (!IsAdministrator()) {
        ShowWindow(GetDlgItem(IDC_FORMAT_CARD), SW_HIDE);
        ShowWindow(GetDlgItem(IDC_USB_STORAGE), SW_HIDE);
    }
    SetTimer(kBannerTimer, 1);
    m_bannerTicks = 0;
    return TRUE;
}

void Camera::OnPaint()
{
    // Nothing of our own: the banner goes over the window's painting from
    // the next timer ticks.
    { ui::PaintDC validated(hwnd()); }
    SetTimer(kBannerTimer, 1);
    m_bannerTicks = 0;
}

void Camera::OnTimer(UINT_PTR id)
{
    if (id == kBannerTimer) {
        if (++m_bannerTicks == kBannerPaints)
            KillTimer(kBannerTimer);
        PaintBanner(GetDlgItem(IDC_CAMERA_BANNER), kBannerTextX);
    } else if (id == kNoticeCloseTimer) {
        if (HWND notice = FindWindowW(nullptr, kNoticeCaption))
            SendMessageW(notice, WM_SYSCOMMAND, SC_CLOSE, 0);
        KillTimer(kNoticeCloseTimer);
    }
    Default();
}

void Camera::SetLabels()
{
    static const struct {
        int control;
        int text;
    } kLabels[] = {
        {IDCANCEL, kTextLogout},
        {IDC_TIME_GROUP, kTextTimeGroup},
        {IDC_SYNC_TIME, kTextTimeSyncButton},
        {IDC_PARAMETER_GROUP, kTextParameterGroup},
        {IDC_READ_STATUS, kTextRead},
        {IDC_IDENTITY_GROUP, kTextIdentityGroup},
        {IDC_CAMERA_ID_LABEL, kTextCameraIdLabel},
        {IDC_USER_ID_LABEL, kTextUserIdLabel},
        {IDC_DEPARTMENT_ID_LABEL, kTextDepartmentIdLabel},
        {IDC_USER_NAME_LABEL, kTextUserNameLabel},
        {IDC_DEPARTMENT_NAME_LABEL, kTextDepartmentNameLabel},
        {IDC_READ_IDENTITY, kTextRead},
        {IDC_SET_IDENTITY, kTextSetting},
        {IDC_NETWORK_GROUP, kTextNetworkGroup},
        {IDC_WIFI_MODE_LABEL, kTextWifiModeLabel},
        {IDC_WIFI_SSID_LABEL, kTextWifiSsidLabel},
        {IDC_WIFI_PASSWORD_LABEL, kTextWifiPasswordLabel},
        {IDC_SERVER_IP_LABEL, kTextServerIpLabel},
        {IDC_APN_LABEL, kTextApnLabel},
        {IDC_PIN_LABEL, kTextPinLabel},
        {IDC_SERVER_PORT_LABEL, kTextServerPortLabel},
        {IDC_KEEP_EMPTY_HINT, kTextKeepEmptyHint},
        {IDC_READ_NETWORK, kTextRead},
        {IDC_SET_NETWORK, kTextSetting},
        {IDC_ADMIN_PASSWORD_LABEL, kTextAdminPasswordLabel},
        {IDC_ADMIN_CONFIRM_LABEL, kTextConfirmPasswordLabel},
        {IDC_USER_PASSWORD_LABEL, kTextUserPasswordLabel},
        {IDC_USER_CONFIRM_LABEL, kTextConfirmPasswordLabel},
        {IDC_SET_ADMIN_PASSWORD, kTextSetAdminPassword},
        {IDC_SET_USER_PASSWORD, kTextSetUserPassword},
        {IDC_USB_STORAGE, kTextUsbStorageButton},
        {IDC_PASSWORD_GROUP, kTextPasswordGroup},
        {IDC_FORMAT_CARD, kTextFormatCard},
        {IDC_SERIAL_NO_LABEL, kTextSerialNoLabel},
    };
    for (const auto& label : kLabels)
        SetDlgItemText(label.control, Text(label.text));
    SetWindowText(Text(kTextAppTitle));
}
