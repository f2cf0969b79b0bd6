#include "OrvaneDlg.h"

#include <telvix/Telvix.h>

#include <cstring>

#include "AboutDlg.h"
#include "Banner.h"
#include "Camera.h"
#include "LanguageMenu.h"
#include "LanguageSetting.h"
#include "Session.h"
#include "SignInLabels.h"
#include "core/TextConversions.h"
#include "texts/Notice.h"
#include "texts/TextTable.h"

namespace {

constexpr UINT_PTR kBannerTimer = 1;
constexpr int kPasswordLength = 6;
constexpr COLORREF kBannerBlue = RGB(0, 0, 255);
constexpr int kBannerTextX = 250;
constexpr int kBannerTextY = 10;

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
    if (message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE)
        return true;
    return Dialog::PreTranslateMessage(message);
}

BOOL COrvaneDlg::OnInitDialog()
{
    Dialog::OnInitDialog();
    AppendSystemMenuItem(IDM_ABOUT, IDS_ABOUT);
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_appIcon.get()));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_appIcon.get()));
    m_connected = false;
    g_language = StoredLanguage();
    AppendLanguageMenu(hwnd());
    LabelSignInWindow(hwnd(), m_userTypeList, m_connected);

    SendDlgItemMessageW(hwnd(), IDC_PASSWORD, EM_LIMITTEXT, kPasswordLength, 0);
    SetFocus(GetDlgItem(IDC_PASSWORD));
    SetTimer(kBannerTimer, 1);
    return FALSE; // the focus is placed
}

void COrvaneDlg::OnSysCommand(UINT id, LPARAM)
{
    if ((id & 0xFFF0) == IDM_ABOUT) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
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
        UnInit_Device(&ignored);
        ShowDisconnected();
        return;
    }
    unsigned char unused[8] = {};
    int status = 0;
    if (Init_Device(unused, &status) == 0) {
        ShowNotice(Text(kTextConnectFailed));
        return;
    }
    m_connected = true;
    SetDlgItemText(IDC_CONNECT, Text(kTextDisconnectDevice));
}

void COrvaneDlg::OnExit()
{
    int ignored = 0;
    UnInit_Device(&ignored);
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
    // Zero-filled and larger than the 6 bytes written, so always terminated.
    char password[12] = {};
    NarrowInto(m_password.c_str(), password, kPasswordLength);
    if (client_login(userType, password) != 1) {
        ShowNotice(Text(kTextSignInFailed));
        return;
    }
    g_userType = userType;
    std::memset(g_sessionPassword, 0, sizeof g_sessionPassword);
    std::memcpy(g_sessionPassword, password, std::strlen(password));

    Camera camera;
    camera.DoModal();

    int ignored = 0;
    UnInit_Device(&ignored);
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
        PaintBanner();
    }
    Default();
}

void COrvaneDlg::PaintBanner()
{
    m_bannerColor = kBannerBlue;
    ::PaintBanner(GetDlgItem(IDC_BANNER), m_bannerColor, kBannerTextX, kBannerTextY);
}
