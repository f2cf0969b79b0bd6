// The sign-in window against the simulated camera, driven as a user would.
#include <gtest/gtest.h>

#include <telvix/Telvix.h>

#include <cstring>
#include <fstream>
#include <string>

#include "OrvaneDlg.h"
#include "Session.h"
#include "WindowDriver.h"
#include "ScratchCamera.h"
#include "res/resource.h"
#include "texts/TextTable.h"

namespace {

const std::wstring kCaption = L"Stand-Alone Kestrava";

class SignInWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        OpenScratchCamera(L"orvane-signin-", m_state, m_log);
        g_userType = -1;
        std::strcpy(g_sessionPassword, "none");
    }

    void TearDown() override
    {
        int ignored = 0;
        UnInit_Device(&ignored);
        CloseScratchCamera(m_state, m_log);
    }

    static void SetFaults(const wchar_t* faults) { SetEnvironmentVariableW(L"NVUSB_SIM_FAULTS", faults); }

    void WriteState(const char* text)
    {
        std::ofstream out(m_state.c_str());
        out << text;
    }

    // Runs the sign-in window with `script` as the user; returns DoModal's result.
    static INT_PTR RunSignIn(const std::function<void(WindowDriver&, HWND)>& script)
    {
        COrvaneDlg dialog;
        return WindowDriver::Run([&] { return dialog.DoModal(); }, [&](WindowDriver& driver) {
            script(driver, driver.WaitForWindow(kCaption));
        });
    }

    static void Connect(WindowDriver& driver, HWND window)
    {
        driver.Click(window, IDC_CONNECT);
        driver.WaitUntil([&] { return driver.Text(window, IDC_CONNECT) == L"Disconnect device"; }, "connected");
    }

    static void TypePassword(WindowDriver& driver, HWND window, const std::wstring& password)
    {
        HWND edit = GetDlgItem(window, IDC_PASSWORD);
        driver.Type(edit, password);
        driver.WaitUntil([&] { return driver.Text(edit).size() == std::min<size_t>(password.size(), 6); },
                         "the password");
    }

    std::wstring m_state;
    std::wstring m_log;
};

TEST_F(SignInWindow, ShowsItsTextsTheAccountListAndASixCharacterPasswordField)
{
    std::wstring typed;
    HWND focus = nullptr, passwordEdit = nullptr;
    INT_PTR result = RunSignIn([&](WindowDriver& driver, HWND window) {
        const struct {
            int id;
            const wchar_t* text;
        } labels[] = {
            {IDC_USER_TYPE_LABEL, L"User Type:"}, {IDC_PASSWORD_LABEL, L"Password:"},
            {IDC_CONNECT, L"Connect device"},     {IDC_SIGN_IN, L"Sign in"},
            {IDC_EXIT, L"Exit"},
        };
        for (const auto& label : labels)
            EXPECT_EQ(driver.Text(window, label.id), label.text) << label.id;
        EXPECT_EQ(driver.ListItems(window, IDC_USER_TYPE), (std::vector<std::wstring>{L"Administrator", L"User"}));
        EXPECT_EQ(driver.Selection(window, IDC_USER_TYPE), 0);
        passwordEdit = GetDlgItem(window, IDC_PASSWORD);
        // Focus exists only while the window is active, which other
        // programs on the same display may take away.
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(driver.uiThread(), &info);
        focus = info.hwndActive == window ? info.hwndFocus : passwordEdit;
        driver.Type(passwordEdit, L"12345678");
        driver.WaitUntil([&] { return driver.Text(passwordEdit) == L"123456"; }, "six characters");
        typed = driver.Text(passwordEdit);
        driver.Click(window, IDC_EXIT);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(focus, passwordEdit);
    EXPECT_EQ(typed, L"123456");
    EXPECT_EQ(g_language, kEnglish);
}

TEST_F(SignInWindow, ConnectTogglesWithACameraAndDisconnectTogglesBack)
{
    std::wstring afterDisconnect;
    RunSignIn([&](WindowDriver& driver, HWND window) {
        Connect(driver, window);
        driver.Click(window, IDC_CONNECT);
        driver.WaitUntil([&] { return driver.Text(window, IDC_CONNECT) == L"Connect device"; }, "disconnected");
        driver.Click(window, IDC_SIGN_IN); // disconnected again, so refused
        afterDisconnect = driver.WaitForNotice().text;
        driver.CloseNotice(driver.WaitForNotice());
        driver.Click(window, IDC_EXIT);
    });
    EXPECT_EQ(afterDisconnect, L"Please press \"Connect device\" button first");
}

TEST_F(SignInWindow, ConnectWithoutACameraShowsTheNoticeAndStaysDisconnected)
{
    SetFaults(L"no_camera");
    WindowDriver::Notice notice;
    std::wstring button;
    RunSignIn([&](WindowDriver& driver, HWND window) {
        driver.Click(window, IDC_CONNECT);
        notice = driver.WaitForNotice();
        driver.CloseNotice(notice);
        button = driver.Text(window, IDC_CONNECT);
        driver.Click(window, IDC_EXIT);
    });
    EXPECT_EQ(notice.text, L"Connect device failed.Please check if device connected.");
    EXPECT_EQ(notice.button, L"OK");
    EXPECT_EQ(button, L"Connect device");
}

TEST_F(SignInWindow, SignInBeforeConnectAsksForConnectFirst)
{
    WindowDriver::Notice notice;
    RunSignIn([&](WindowDriver& driver, HWND window) {
        TypePassword(driver, window, L"888888");
        driver.Click(window, IDC_SIGN_IN);
        notice = driver.WaitForNotice();
        driver.CloseNotice(notice);
        driver.Click(window, IDC_EXIT);
    });
    EXPECT_EQ(notice.text, L"Please press \"Connect device\" button first");
    EXPECT_EQ(g_userType, -1);
}

TEST_F(SignInWindow, RefusedOrFailedSignInShowsSignInFailedAndStaysConnected)
{
    const struct {
        const wchar_t* password;
        const wchar_t* faults;
    } cases[] = {
        {L"123456", nullptr},    // wrong password
        {L"", nullptr},          // sent empty; the camera refuses it
        {L"888888", L"fail=0"},  // the password transfer fails
        {L"888888", L"fail=1"},  // the verdict cannot be read
    };
    for (const auto& c : cases) {
        SetFaults(c.faults);
        WindowDriver::Notice notice;
        std::wstring button;
        RunSignIn([&](WindowDriver& driver, HWND window) {
            Connect(driver, window);
            if (*c.password)
                TypePassword(driver, window, c.password);
            driver.Click(window, IDC_SIGN_IN);
            notice = driver.WaitForNotice();
            driver.CloseNotice(notice);
            button = driver.Text(window, IDC_CONNECT);
            driver.Click(window, IDC_EXIT);
        });
        EXPECT_EQ(notice.text, L"Sign in failed.") << c.password;
        EXPECT_EQ(button, L"Disconnect device") << c.password;
        EXPECT_EQ(g_userType, -1) << c.password;
        EXPECT_STREQ(g_sessionPassword, "none") << c.password;
    }
}

TEST_F(SignInWindow, AcceptedSignInOpensTheCameraWindowAndLogoutDisconnects)
{
    bool signInEnabledUnderCamera = true;
    std::wstring logout, identityGroup;
    std::vector<std::wstring> wifiModes;
    bool cameraOpenAfterKeys = false;
    std::wstring buttonAfter, passwordAfter;
    int selectionAfter = -1;
    INT_PTR result = RunSignIn([&](WindowDriver& driver, HWND window) {
        Connect(driver, window);
        // Choose "User" with the keyboard's effect on the list.
        SendMessageW(GetDlgItem(window, IDC_USER_TYPE), CB_SETCURSEL, 1, 0);
        TypePassword(driver, window, L"000000");
        driver.Click(window, IDC_SIGN_IN);

        HWND camera = driver.WaitForWindow(kCaption, {window});
        signInEnabledUnderCamera = IsWindowEnabled(window);
        logout = driver.Text(camera, IDCANCEL);
        identityGroup = driver.Text(camera, IDC_IDENTITY_GROUP);
        wifiModes = driver.ListItems(camera, IDC_WIFI_MODE);
        HWND field = GetDlgItem(camera, IDC_CAMERA_ID);
        driver.PressKey(field, VK_ESCAPE);
        driver.PressKey(field, VK_RETURN);
        driver.Text(camera); // a round trip through the camera window's loop
        cameraOpenAfterKeys = IsWindowVisible(camera);
        driver.Click(camera, IDCANCEL);
        driver.WaitUntilGone(camera);

        driver.WaitUntil([&] { return driver.Text(window, IDC_CONNECT) == L"Connect device"; }, "disconnected");
        buttonAfter = driver.Text(window, IDC_CONNECT);
        selectionAfter = driver.Selection(window, IDC_USER_TYPE);
        passwordAfter = driver.Text(window, IDC_PASSWORD);
        driver.CloseBox(window);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(signInEnabledUnderCamera);
    EXPECT_EQ(logout, L"Logout");
    EXPECT_EQ(identityGroup, L"ID setting");
    EXPECT_EQ(wifiModes, (std::vector<std::wstring>{L"AP", L"STA"}));
    EXPECT_TRUE(cameraOpenAfterKeys);
    EXPECT_EQ(buttonAfter, L"Connect device");
    EXPECT_EQ(selectionAfter, 0);
    EXPECT_EQ(passwordAfter, L"000000");
    EXPECT_EQ(g_userType, 1);
    EXPECT_STREQ(g_sessionPassword, "000000");
}

TEST_F(SignInWindow, PasswordIsSentOnlyUpToACharacterAboveLatin1)
{
    WriteState("admin_password = 8888\n");
    bool cameraClosedByAltF4 = false;
    RunSignIn([&](WindowDriver& driver, HWND window) {
        Connect(driver, window);
        TypePassword(driver, window, L"8888\x0416" L"9");
        driver.Click(window, IDC_SIGN_IN);
        HWND camera = driver.WaitForWindow(kCaption, {window});
        driver.PressAltF4(GetDlgItem(camera, IDC_CAMERA_ID));
        driver.WaitUntilGone(camera);
        cameraClosedByAltF4 = true;
        driver.WaitUntil([&] { return driver.Text(window, IDC_CONNECT) == L"Connect device"; }, "disconnected");
        driver.Click(window, IDC_EXIT);
    });
    EXPECT_TRUE(cameraClosedByAltF4);
    EXPECT_EQ(g_userType, 0);
    EXPECT_STREQ(g_sessionPassword, "8888");
}

TEST_F(SignInWindow, EscapeAndEnterCloseNothingButAltF4Does)
{
    bool openAfterKeys = false;
    INT_PTR result = RunSignIn([&](WindowDriver& driver, HWND window) {
        HWND edit = GetDlgItem(window, IDC_PASSWORD);
        driver.PressKey(edit, VK_ESCAPE);
        driver.PressKey(edit, VK_RETURN);
        driver.Text(window);
        openAfterKeys = IsWindowVisible(window);
        driver.PressAltF4(edit);
    });
    EXPECT_TRUE(openAfterKeys);
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(SignInWindow, PaintsTheBlueBannerAfterARepaint)
{
    COLORREF inside = 0, margin = 0;
    RunSignIn([&](WindowDriver& driver, HWND window) {
        HWND banner = GetDlgItem(window, IDC_BANNER);
        auto pixel = [&](int x, int y) { return WindowDriver::Pixel(banner, x, y); };
        driver.WaitUntil([&] { return pixel(4, 4) == RGB(0, 0, 255); }, "the first banner");
        // Paint it over, then have the window repainted.
        WindowDriver::PaintOver(banner);
        EXPECT_EQ(pixel(4, 4), RGB(255, 255, 255));
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        driver.WaitUntil([&] { return pixel(4, 4) == RGB(0, 0, 255); }, "the banner after a repaint");
        inside = pixel(4, 4);
        margin = pixel(0, 0);
        driver.Click(window, IDC_EXIT);
    });
    EXPECT_EQ(inside, RGB(0, 0, 255));
    EXPECT_NE(margin, RGB(0, 0, 255));
}

} // namespace
