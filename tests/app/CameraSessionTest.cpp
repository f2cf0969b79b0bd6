// A whole session against the simulated camera, from the sign-in window: an
// administrator changes the user password, the user signs in with it and
// sees the reduced window, and the administrator formats the card.
#include <gtest/gtest.h>

#include <telvix/Telvix.h>

#include <cstring>
#include <string>

#include "OrvaneDlg.h"
#include "Session.h"
#include "WindowDriver.h"
#include "res/resource.h"

namespace {

const std::wstring kCaption = L"Stand-Alone Kestrava";

class CameraSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_state = std::wstring(temp) + L"orvane-session.txt";
        DeleteFileW(m_state.c_str());
        SetEnvironmentVariableW(L"NVUSB_SIM_STATE", m_state.c_str());
        SetEnvironmentVariableW(L"NVUSB_SIM_LOG", (m_state + L".log").c_str());
        SetEnvironmentVariableW(L"NVUSB_SIM_FAULTS", nullptr);
    }

    void TearDown() override
    {
        UnInit_Device(nullptr);
        SetEnvironmentVariableW(L"NVUSB_SIM_STATE", nullptr);
        SetEnvironmentVariableW(L"NVUSB_SIM_LOG", nullptr);
        DeleteFileW(m_state.c_str());
        DeleteFileW((m_state + L".log").c_str());
    }

    // Connects, signs in as `account` with `password` and returns the camera window.
    static HWND SignIn(WindowDriver& driver, HWND signIn, int account, const std::wstring& password)
    {
        driver.Click(signIn, IDC_CONNECT);
        driver.WaitUntil([&] { return driver.Text(signIn, IDC_CONNECT) == L"Disconnect device"; }, "connected");
        SendMessageW(GetDlgItem(signIn, IDC_USER_TYPE), CB_SETCURSEL, static_cast<WPARAM>(account), 0);
        HWND field = GetDlgItem(signIn, IDC_PASSWORD);
        SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        driver.Type(field, password);
        driver.WaitUntil([&] { return driver.Text(field) == password; }, "the password");
        driver.Click(signIn, IDC_SIGN_IN);
        return driver.WaitForWindow(kCaption, {signIn});
    }

    static void LogOut(WindowDriver& driver, HWND signIn, HWND camera)
    {
        driver.Click(camera, IDCANCEL);
        driver.WaitUntilGone(camera);
        driver.WaitUntil([&] { return driver.Text(signIn, IDC_CONNECT) == L"Connect device"; }, "disconnected");
    }

    static std::wstring NoticeText(WindowDriver& driver)
    {
        WindowDriver::Notice notice = driver.WaitForNotice();
        driver.CloseNotice(notice);
        return notice.text;
    }

    std::wstring m_state;
};

TEST_F(CameraSession, UserSignsInWithThePasswordTheAdministratorSetAndTheAdministratorFormats)
{
    std::wstring changed, formatted;
    bool adminPasswordEnabled = true, userPasswordEnabled = false, storageVisible = true, formatVisible = true;
    COrvaneDlg signInWindow;
    WindowDriver::Run([&] { return signInWindow.DoModal(); }, [&](WindowDriver& driver) {
        HWND signIn = driver.WaitForWindow(kCaption);

        HWND camera = SignIn(driver, signIn, 0, L"888888");
        driver.Type(GetDlgItem(camera, IDC_USER_PASSWORD), L"abc123");
        driver.Type(GetDlgItem(camera, IDC_USER_PASSWORD_AGAIN), L"abc123");
        driver.WaitUntil([&] { return driver.Text(camera, IDC_USER_PASSWORD_AGAIN) == L"abc123"; }, "typing");
        driver.Click(camera, IDC_SET_USER_PASSWORD);
        changed = NoticeText(driver);
        LogOut(driver, signIn, camera);

        camera = SignIn(driver, signIn, 1, L"abc123");
        adminPasswordEnabled = IsWindowEnabled(GetDlgItem(camera, IDC_SET_ADMIN_PASSWORD));
        userPasswordEnabled = IsWindowEnabled(GetDlgItem(camera, IDC_SET_USER_PASSWORD));
        storageVisible = IsWindowVisible(GetDlgItem(camera, IDC_USB_STORAGE));
        formatVisible = IsWindowVisible(GetDlgItem(camera, IDC_FORMAT_CARD));
        LogOut(driver, signIn, camera);

        camera = SignIn(driver, signIn, 0, L"888888");
        driver.Click(camera, IDC_FORMAT_CARD);
        HWND confirm = driver.WaitForWindow(L"Format TF Card");
        driver.Click(confirm, IDOK);
        formatted = NoticeText(driver);
        LogOut(driver, signIn, camera);
        driver.Click(signIn, IDC_EXIT);
    });
    EXPECT_EQ(changed, L"The password modify successfully!");
    EXPECT_FALSE(adminPasswordEnabled);
    EXPECT_TRUE(userPasswordEnabled);
    EXPECT_FALSE(storageVisible);
    EXPECT_FALSE(formatVisible);
    EXPECT_EQ(formatted, L"Format Success!");
    EXPECT_EQ(g_userType, 0);
    EXPECT_STREQ(g_sessionPassword, "888888");
}

} // namespace
