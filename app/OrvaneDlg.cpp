#include "OrvaneDlg.h"

#include <cstring>
#include <string>

#include "Banner.h"
#include "Camera.h"
#include "camera/CameraLibrary.h"
#include "LanguageMenu.h"
#include "LanguageSetting.h"
#include "Session.h"
#include "SignInLabels.h"
#include "WindowRules.h"
#include "core/PasswordRules.h"
#include "texts/Notice.h"
#include "texts/TextTable.h"

namespace {

constexpr UINT_PTR kBannerTimer = 1;
constexpr int kBannerTextX = 250;

} // namespace

COrvaneDlg::COrvaneDlg() : Dialog(IDD), m_appIcon(ResourceModule(), IDI_APP) {}

bool COrvaneDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    static const ui::MessageEntry<COrvaneDlg> kMessageMap[] = {
        ui::Message(WM_SYSCOMMAND, &COrvaneDlg::OnSysCommand),
        ui::Message(WM_PAINT, &COrvaneDlg::OnPaint),
        ui::Message(WM_QUERYDRAGICON, &COrvaneDlg::OnQueryDragIcon),
        ui::Clicked(IDC_CONNECT, &COrvaneDlg::OnConnect),
        ui::Clicked(IDC_EXIT, &COrvaneDlg::OnExit),
        ui::Clicked(IDC_SIGN_IN, &COrvaneDlg::OnSignIn),
        ui::Message(WM_TIMER, &COrvaneDlg::OnTimer),
    };
    return ui::Dispatch(*this, kMessageMap, message, wParam, lParam, result);
}

void COrvaneDlg::DoDataExchange(ui::DataExchange& exchange)
{
    exchange.Control(IDC_USER_TYPE, m_userTypeList);
    exchange.Text(IDC_PASSWORD, m_password);
}

bool COrvaneDlg::PreTranslateMessage(MSG* message)
{
    if (IsEscapeKey(*message))
        return true;
    return Dialog::PreTranslateMessage(message);
}

BOOL COrvaneDlg::OnInitDialog()
{
    Dialog::OnInitDialog();
    AddAboutItem(*this);
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_appIcon.get()));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_appIcon.get()));
    m_connected = false;
    g_language = StoredLanguage();
    AppendLanguageMenu(hwnd());
    LabelSignInWindow(hwnd(), m_userTypeList, m_connected);

    SendDlgItemMessageW(hwnd(), IDC_PASSWORD, EM_LIMITTEXT, kPasswordChars, 0);
    SetFocus(GetDlgItem(IDC_PASSWORD));
    SetTimer(kBannerTimer, 1);
    return FALSE; // the focus is placed
}

void COrvaneDlg::OnSysCommand(UINT id, LPARAM)
{
    if (RunAboutOnCommand(id))
        return;
    if (ChooseLanguage(hwnd(), id)) {
        LabelSignInWindow(hwnd(), m_userTypeList, m_connected);
        return;
    }
    Default();
}

void COrvaneDlg::OnPaint()
{
    if (IsIconic(hwnd())) {
        ui::PaintDC dc(hwnd());
        SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
        RECT client;
        GetClientRect(hwnd(), &client);
        int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
        int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc.get(), x, y, m_appIcon.get());
    } else {
        Default();
    }
    // The banner goes over the window's own painting, once that is done.
    SetTimer(kBannerTimer, 1);
}

LRESULT COrvaneDlg::OnQueryDragIcon()
{
    return reinterpret_cast<LRESULT>(m_appIcon.get());
}

void COrvaneDlg::OnConnect()
{
    if (m_connected) {
        int ignored = 0;
        CameraCalls().UnInit_Device(&ignored);
        ShowDisconnected();
        return;
    }
    unsigned char unused[8] = {};
    int status = 0;
    if (CameraCalls().Init_Device(unused, &status) == 0) {
        ShowNotice(Text(kTextConnectFailed));
        return;
    }
    m_connected = true;
    SetDlgItemText(IDC_CONNECT, Text(kTextDisconnectDevice));
}

void COrvaneDlg::OnExit()
{
    int ignored = 0;
    CameraCalls().UnInit_Device(&ignored);
    m_connected = false;
    OnCancel();
}

void COrvaneDlg::OnSignIn()
{
    if (!m_connected) {
        ShowNotice(Text(kTextConnectFirst));
        return;
    }
    UpdateData(true);
    int userType = SelectedAccountType(m_userTypeList);
    std::string password = SignInPassword(m_password);
    if (CameraCalls().client_login(userType, password.c_str()) != 1) {
        ShowNotice(Text(kTextSignInFailed));
        return;
    }
    g_userType = userType;
    std::memset(g_sessionPassword, 0, sizeof g_sessionPassword);
    std::memcpy(g_sessionPassword, password.data(), password.size());

    Camera camera;
    camera.DoModal();

    int ignored = 0;
    CameraCalls().UnInit_Device(&ignored);
    SelectAccountType(m_userTypeList, kAdministratorAccount);
    ShowDisconnected();
}

void COrvaneDlg::ShowDisconnected()
{
    m_connected = false;
    SetDlgItemText(IDC_CONNECT, Text(kTextConnectDevice));
}

void COrvaneDlg::OnTimer(UINT_PTR id)
{
    if (id == kBannerTimer) {
        KillTimer(kBannerTimer);
        PaintBanner(GetDlgItem(IDC_BANNER), kBannerTextX);
    }
    Default();
}
