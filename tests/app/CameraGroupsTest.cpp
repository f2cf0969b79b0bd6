// The camera window's password, storage and network groups, driven as a
// user would, against the simulated camera. The library's WiFi/4G functions
// touch nothing, so the network cases that need them to fail, or need to see
// what they were given, put a fake behind the windows' camera calls; the
// pause cases read the pauses the fake records among the calls.
#include <gtest/gtest.h>

#include <telvix/Telvix.h>
#include <telvix/VendorCommands.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Camera.h"
#include "FakeCamera.h"
#include "Session.h"
#include "WindowDriver.h"
#include "ScratchCamera.h"
#include "res/resource.h"
#include "texts/TextTable.h"

namespace {

const std::wstring kCaption = L"Stand-Alone Kestrava";
const std::wstring kConfirmCaption = L"Format TF Card";

// ---- The fixture ------------------------------------------------------------

const int kNetworkFields[] = {IDC_WIFI_SSID, IDC_WIFI_PASSWORD, IDC_SERVER_IP, IDC_APN, IDC_PIN, IDC_SERVER_PORT};

class CameraGroups : public ::testing::Test {
protected:
    void SetUp() override
    {
        OpenScratchCamera(L"orvane-groups-", m_state, m_log);
        g_language = kEnglish;
        g_userType = 0;
        std::strcpy(g_sessionPassword, "888888");
        int status = 0;
        ASSERT_EQ(Init_Device(nullptr, &status), 1);
        ASSERT_EQ(client_login(0, "888888"), 1);
    }

    void TearDown() override
    {
        UnInit_Device(nullptr);
        CloseScratchCamera(m_state, m_log);
    }

    // Factory state, an empty transfer log and `faults`.
    void FreshCamera(const wchar_t* faults)
    {
        DeleteFileW(m_state.c_str());
        DeleteFileW(m_log.c_str());
        SetEnvironmentVariableW(L"NVUSB_SIM_FAULTS", faults);
    }

    // Runs the camera window with `script` as the user, who logs out after it.
    static void RunCamera(const std::function<void(WindowDriver&, HWND)>& script)
    {
        Camera camera;
        INT_PTR result = WindowDriver::Run([&] { return camera.DoModal(); }, [&](WindowDriver& driver) {
            HWND window = driver.WaitForWindow(kCaption);
            script(driver, window);
            driver.Click(window, IDCANCEL);
        });
        EXPECT_EQ(result, IDCANCEL);
    }

    static void SetField(HWND window, int id, const std::wstring& text)
    {
        SendMessageW(GetDlgItem(window, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    // Clicks `id` and returns the text of the notice that follows, closed.
    static std::wstring NoticeAfterClick(WindowDriver& driver, HWND window, int id)
    {
        driver.Click(window, id);
        WindowDriver::Notice notice = driver.WaitForNotice();
        driver.CloseNotice(notice);
        return notice.text;
    }

    // True when a notice is open once the window thread is back in a loop.
    static bool NoticeOpen(WindowDriver& driver, HWND window)
    {
        driver.Text(window);
        HWND notice = FindWindowW(nullptr, L"VUZ");
        return notice && IsWindowVisible(notice);
    }

    // What the user's pick of a mode does: the list selects the item and
    // tells the window.
    static void ChooseMode(HWND window, int index)
    {
        HWND list = GetDlgItem(window, IDC_WIFI_MODE);
        PostMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_WIFI_MODE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }

    // Lines of the transfer log for `command`, without the direction.
    std::vector<std::string> Transfers(int command) const
    {
        std::vector<std::string> found;
        std::ifstream in(m_log.c_str());
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string direction;
            int logged = -1;
            if (fields >> direction >> logged && logged == command)
                found.push_back(line.substr(line.find(' ') + 1));
        }
        return found;
    }

    // A counter of the state file; a camera that has not written it yet
    // has counted nothing.
    int StateCount(const std::string& key) const
    {
        std::ifstream in(m_state.c_str());
        std::string line;
        while (std::getline(in, line))
            if (line.compare(0, key.size() + 3, key + " = ") == 0)
                return std::stoi(line.substr(key.size() + 3));
        return 0;
    }

    std::wstring m_state;
    std::wstring m_log;
};

// ---- Passwords ----------------------------------------------------------------

TEST_F(CameraGroups, PasswordIsSentOnlyWhenBothFieldsHoldTheSameSixBytes)
{
    enum Account { kAdmin, kUser };
    const struct {
        const char* name;
        Account account;
        const wchar_t* password;
        const wchar_t* again;
        const wchar_t* faults;
        const wchar_t* notice;
        const char* sent; // the transfer, or nullptr for none
    } cases[] = {
        // Which rule refuses which texts is the core's (its own table); here,
        // that each refusal and each result reaches the operator, per account.
        {"five against six", kUser, L"12345", L"123456", nullptr, L"The length of the password must be 6!", nullptr},
        {"letter case only", kAdmin, L"abc123", L"ABC123", nullptr, L"The two password is inconsistent", nullptr},
        {"administrator", kAdmin, L"abc123", L"abc123", nullptr, L"The password modify successfully!",
         "9 6 616263313233 ok"},
        {"user", kUser, L"Zx9Zx9", L"Zx9Zx9", nullptr, L"The password modify successfully!",
         "8 6 5a78395a7839 ok"},
        {"administrator, transfer fails", kAdmin, L"abc123", L"abc123", L"fail=9", L"The Password modify failed!",
         "9 6 616263313233 failed"},
        {"user, transfer fails", kUser, L"abc123", L"abc123", L"fail=8", L"The Password modify failed!",
         "8 6 616263313233 failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FreshCamera(c.faults);
        const int first = c.account == kAdmin ? IDC_ADMIN_PASSWORD : IDC_USER_PASSWORD;
        const int again = c.account == kAdmin ? IDC_ADMIN_PASSWORD_AGAIN : IDC_USER_PASSWORD_AGAIN;
        const int button = c.account == kAdmin ? IDC_SET_ADMIN_PASSWORD : IDC_SET_USER_PASSWORD;
        std::wstring notice, firstAfter, againAfter;
        RunCamera([&](WindowDriver& driver, HWND window) {
            SetField(window, first, c.password);
            SetField(window, again, c.again);
            notice = NoticeAfterClick(driver, window, button);
            firstAfter = driver.Text(window, first);
            againAfter = driver.Text(window, again);
        });
        EXPECT_EQ(notice, c.notice);
        EXPECT_EQ(firstAfter, c.password);
        EXPECT_EQ(againAfter, c.again);
        EXPECT_STREQ(g_sessionPassword, "888888");
        std::vector<std::string> sent = Transfers(8);
        for (const auto& line : Transfers(9))
            sent.push_back(line);
        EXPECT_EQ(sent, c.sent ? std::vector<std::string>{c.sent} : std::vector<std::string>{});
    }
}

TEST_F(CameraGroups, ChangedPasswordsAreTheOnesTheNextSignInAccepts)
{
    RunCamera([&](WindowDriver& driver, HWND window) {
        SetField(window, IDC_ADMIN_PASSWORD, L"adm1N9");
        SetField(window, IDC_ADMIN_PASSWORD_AGAIN, L"adm1N9");
        SetField(window, IDC_USER_PASSWORD, L"usr2b8");
        SetField(window, IDC_USER_PASSWORD_AGAIN, L"usr2b8");
        EXPECT_EQ(NoticeAfterClick(driver, window, IDC_SET_ADMIN_PASSWORD), L"The password modify successfully!");
        EXPECT_EQ(NoticeAfterClick(driver, window, IDC_SET_USER_PASSWORD), L"The password modify successfully!");
    });
    EXPECT_EQ(client_login(0, "adm1N9"), 1);
    EXPECT_EQ(client_login(0, "888888"), kLoginResultRefused);
    EXPECT_EQ(client_login(1, "usr2b8"), 1);
    EXPECT_EQ(client_login(1, "000000"), kLoginResultRefused);
}

// ---- Storage ------------------------------------------------------------------

TEST_F(CameraGroups, ConfirmationAsksInTheActiveLanguageWithTheFocusOnNo)
{
    std::wstring caption, question, yes, no, aboutItem, aboutTitle;
    UINT aboutId = 0;
    bool focusOnNo = false, openAfterAbout = false, noticeAfter = true;
    RunCamera([&](WindowDriver& driver, HWND window) {
        driver.Click(window, IDC_FORMAT_CARD);
        HWND confirm = driver.WaitForWindow(kConfirmCaption);
        caption = driver.Text(confirm);
        question = driver.Text(confirm, IDC_CONFIRM_TEXT);
        yes = driver.Text(confirm, IDOK);
        no = driver.Text(confirm, IDCANCEL);
        focusOnNo = driver.Focus() == GetDlgItem(confirm, IDCANCEL);

        HMENU menu = GetSystemMenu(confirm, FALSE);
        int last = GetMenuItemCount(menu) - 1;
        aboutId = GetMenuItemID(menu, last);
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(last), text, 64, MF_BYPOSITION);
        aboutItem = text;
        PostMessageW(confirm, WM_SYSCOMMAND, IDM_ABOUT, 0);
        HWND about = driver.WaitForWindow(L"Kestrava");
        aboutTitle = driver.Text(about);
        driver.Click(about, IDOK);
        driver.WaitUntilGone(about);
        openAfterAbout = IsWindowVisible(confirm);

        // Enter with the focus where the window put it answers No.
        driver.PressKey(GetDlgItem(confirm, IDCANCEL), VK_RETURN);
        driver.WaitUntilGone(confirm);
        noticeAfter = NoticeOpen(driver, window);
    });
    EXPECT_EQ(caption, L"Format TF Card");
    EXPECT_EQ(question, L"Confirm to format card?");
    EXPECT_EQ(yes, L"Yes");
    EXPECT_EQ(no, L"No");
    EXPECT_TRUE(focusOnNo);
    EXPECT_EQ(aboutId, static_cast<UINT>(IDM_ABOUT));
    EXPECT_EQ(aboutItem, L"Kestrava(&A)...");
    EXPECT_EQ(aboutTitle, L"Kestrava");
    EXPECT_TRUE(openAfterAbout);
    EXPECT_FALSE(noticeAfter);
    EXPECT_TRUE(Transfers(kCmdFormat).empty());
}

TEST_F(CameraGroups, AnsweringAnythingButYesFormatsNothingAndSaysNothing)
{
    const struct {
        const char* name;
        std::function<void(WindowDriver&, HWND)> answer;
    } answers[] = {
        {"No", [](WindowDriver& driver, HWND confirm) { driver.Click(confirm, IDCANCEL); }},
        {"Escape", [](WindowDriver& driver, HWND confirm) { driver.PressKey(GetDlgItem(confirm, IDOK), VK_ESCAPE); }},
        {"close box", [](WindowDriver& driver, HWND confirm) { driver.CloseBox(confirm); }},
    };
    for (const auto& a : answers) {
        SCOPED_TRACE(a.name);
        FreshCamera(nullptr);
        bool noticeAfter = true;
        RunCamera([&](WindowDriver& driver, HWND window) {
            driver.Click(window, IDC_FORMAT_CARD);
            HWND confirm = driver.WaitForWindow(kConfirmCaption);
            a.answer(driver, confirm);
            driver.WaitUntilGone(confirm);
            noticeAfter = NoticeOpen(driver, window);
        });
        EXPECT_FALSE(noticeAfter);
        EXPECT_TRUE(Transfers(kCmdFormat).empty());
        EXPECT_EQ(StateCount("format_count"), 0);
    }
}

TEST_F(CameraGroups, FormatAfterYesReportsTheCamerasVerdictAndPausesOnlyOnSuccess)
{
    const struct {
        const wchar_t* faults;
        const wchar_t* notice;
        int formatCount;
        std::vector<std::string> beforeNotice;
    } cases[] = {
        {nullptr, L"Format Success!", 1, {"FormatDecTF", "Sleep 1000"}},
        {L"format_verdict=5", L"Format Failed!", 1, {"FormatDecTF"}}, // formatted, but not well
        {L"fail=10", L"Format Failed!", 0, {"FormatDecTF"}},          // the first transfer fails
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults ? std::string(c.faults, c.faults + wcslen(c.faults)) : "no fault");
        FreshCamera(c.faults);
        FakeCamera fake;
        std::wstring notice;
        std::vector<std::string> beforeNotice;
        RunCamera([&](WindowDriver& driver, HWND window) {
            fake.ClearCalls();
            driver.Click(window, IDC_FORMAT_CARD);
            HWND confirm = driver.WaitForWindow(kConfirmCaption);
            driver.Click(confirm, IDOK);
            WindowDriver::Notice shown = driver.WaitForNotice();
            beforeNotice = fake.Names();
            notice = shown.text;
            driver.CloseNotice(shown);
        });
        EXPECT_EQ(notice, c.notice);
        EXPECT_EQ(StateCount("format_count"), c.formatCount);
        EXPECT_EQ(beforeNotice, c.beforeNotice);
        EXPECT_EQ(fake.Names(), c.beforeNotice) << "after the notice";
    }
}

TEST_F(CameraGroups, StorageModeIsSentAtEveryClickAndReportedAfterASecondOnlyOnSuccess)
{
    const struct {
        const wchar_t* faults;
        const wchar_t* notice;
        const char* sent;
        std::vector<std::string> beforeNotice;
    } cases[] = {
        {nullptr, L"Camera has entered to u-disk", "5 4 01000000 ok", {"SetMSDC", "Sleep 1000"}},
        {L"fail=5", L"Camera enter U-disk failed!", "5 4 01000000 failed", {"SetMSDC"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults ? "refused" : "accepted");
        FreshCamera(c.faults);
        FakeCamera fake;
        std::vector<std::wstring> notices;
        std::vector<std::vector<std::string>> beforeNotices;
        RunCamera([&](WindowDriver& driver, HWND window) {
            for (int click = 0; click < 2; ++click) {
                fake.ClearCalls();
                driver.Click(window, IDC_USB_STORAGE);
                WindowDriver::Notice shown = driver.WaitForNotice();
                beforeNotices.push_back(fake.Names());
                notices.push_back(shown.text);
                driver.CloseNotice(shown);
            }
        });
        EXPECT_EQ(notices, std::vector<std::wstring>(2, c.notice));
        EXPECT_EQ(Transfers(kCmdStorageMode), std::vector<std::string>(2, c.sent));
        EXPECT_EQ(beforeNotices, std::vector<std::vector<std::string>>(2, c.beforeNotice));
    }
}

// ---- Network, with the library as it is ----------------------------------------

TEST_F(CameraGroups, ReadSelectsApAndEmptiesTheSixFields)
{
    int selection = -1;
    std::vector<std::wstring> texts;
    RunCamera([&](WindowDriver& driver, HWND window) {
        SendMessageW(GetDlgItem(window, IDC_WIFI_MODE), CB_SETCURSEL, 1, 0);
        for (int id : kNetworkFields)
            SetField(window, id, L"typed");
        driver.Click(window, IDC_READ_NETWORK);
        driver.WaitUntil([&] { return driver.Text(window, IDC_SERVER_PORT).empty(); }, "the fields read");
        selection = driver.Selection(window, IDC_WIFI_MODE);
        for (int id : kNetworkFields)
            texts.push_back(driver.Text(window, id));
    });
    EXPECT_EQ(selection, 0);
    EXPECT_EQ(texts, std::vector<std::wstring>(6, L""));
}

TEST_F(CameraGroups, SettingIsAlwaysSuccessful)
{
    std::wstring notice;
    RunCamera([&](WindowDriver& driver, HWND window) {
        SetField(window, IDC_WIFI_SSID, L"home");
        notice = NoticeAfterClick(driver, window, IDC_SET_NETWORK);
    });
    EXPECT_EQ(notice, L"Set successful.");
}

TEST_F(CameraGroups, ChoosingStationRereadsSsidAndPasswordAndKeepsTheRest)
{
    std::vector<std::wstring> texts;
    RunCamera([&](WindowDriver& driver, HWND window) {
        for (int id : kNetworkFields)
            SetField(window, id, L"typed");
        ChooseMode(window, 1);
        driver.WaitUntil([&] { return driver.Text(window, IDC_WIFI_PASSWORD).empty(); }, "the WiFi fields read");
        for (int id : kNetworkFields)
            texts.push_back(driver.Text(window, id));
    });
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"", L"", L"typed", L"typed", L"typed", L"typed"}));
}

// ---- Network, with a fake library ------------------------------------

TEST_F(CameraGroups, OpensWithTheNetworkSettingsRead)
{
    FakeCamera fake;
    fake.SetMode(1);
    fake.SetValue("ReadWifiSSID", "home-net");
    std::wstring ssid;
    int selection = -1;
    RunCamera([&](WindowDriver& driver, HWND window) {
        ssid = driver.Text(window, IDC_WIFI_SSID);
        selection = driver.Selection(window, IDC_WIFI_MODE);
    });
    EXPECT_EQ(fake.Names(), kAllNetworkReads);
    EXPECT_EQ(ssid, L"home-net");
    EXPECT_EQ(selection, 1);
}

TEST_F(CameraGroups, ReadShowsEachValueOrFailAndTheModeAsStationOnlyWhenReadAsNonZero)
{
    FakeCamera fake;
    fake.SetValue("ReadWifiSSID", "home-net\n");
    fake.SetValue("ReadWifiPSW", "secret");
    fake.SetValue("ReadServerIP", "10.0.0.1");
    fake.SetValue("Read4GAPN", "internet");
    fake.SetValue("Read4GPIN", "1234");
    fake.SetValue("ReadServerPort", "123456789012"); // fills its buffer: the last byte goes
    fake.Fail("ReadServerIP");
    fake.Fail("Read4GPIN");
    const struct {
        bool fails;
        int mode;
        int selection;
    } modes[] = {{false, 2, 1}, {false, 0, 0}, {true, 1, 0}, {false, 1, 1}};
    std::vector<int> selections;
    std::vector<std::wstring> texts;
    bool settingEnabled = false;
    RunCamera([&](WindowDriver& driver, HWND window) {
        for (const auto& m : modes) {
            fake.ClearCalls();
            fake.Fail("ReadWifiMode", m.fails);
            fake.SetMode(m.mode);
            SendMessageW(GetDlgItem(window, IDC_WIFI_MODE), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
            driver.Click(window, IDC_READ_NETWORK);
            driver.WaitUntil([&] { return fake.Calls().size() == kAllNetworkReads.size(); }, "the reads");
            selections.push_back(driver.Selection(window, IDC_WIFI_MODE));
        }
        for (int id : kNetworkFields)
            texts.push_back(driver.Text(window, id));
        settingEnabled = IsWindowEnabled(GetDlgItem(window, IDC_SET_NETWORK));
    });
    EXPECT_EQ(selections, (std::vector<int>{1, 0, 0, 1}));
    EXPECT_EQ(fake.Names(), kAllNetworkReads);
    EXPECT_EQ(texts,
              (std::vector<std::wstring>{L"home-net", L"secret", L"fail", L"internet", L"fail", L"12345678901"}));
    EXPECT_TRUE(settingEnabled);
}

TEST_F(CameraGroups, FailedSsidReadDisablesSettingForTheWindowsLife)
{
    const struct {
        const char* name;
        std::function<void(HWND)> reread;
    } triggers[] = {
        {"Read", [](HWND window) { PostMessageW(GetDlgItem(window, IDC_READ_NETWORK), BM_CLICK, 0, 0); }},
        {"choosing STA", [](HWND window) { ChooseMode(window, 1); }},
    };
    for (const auto& t : triggers) {
        SCOPED_TRACE(t.name);
        FakeCamera fake;
        fake.SetValue("ReadWifiSSID", "home-net");
        std::wstring ssidAfterFailure, ssidAfterSuccess;
        bool enabledBefore = false, enabledAfterFailure = true, enabledAfterSuccess = true;
        RunCamera([&](WindowDriver& driver, HWND window) {
            HWND setting = GetDlgItem(window, IDC_SET_NETWORK);
            enabledBefore = IsWindowEnabled(setting);
            fake.Fail("ReadWifiSSID");
            t.reread(window);
            driver.WaitUntil([&] { return driver.Text(window, IDC_WIFI_SSID) == L"fail"; }, "fail");
            ssidAfterFailure = driver.Text(window, IDC_WIFI_SSID);
            enabledAfterFailure = IsWindowEnabled(setting);
            fake.Fail("ReadWifiSSID", false);
            driver.Click(window, IDC_READ_NETWORK);
            driver.WaitUntil([&] { return driver.Text(window, IDC_WIFI_SSID) == L"home-net"; }, "the SSID");
            ssidAfterSuccess = driver.Text(window, IDC_WIFI_SSID);
            enabledAfterSuccess = IsWindowEnabled(setting);
        });
        EXPECT_TRUE(enabledBefore);
        EXPECT_EQ(ssidAfterFailure, L"fail");
        EXPECT_FALSE(enabledAfterFailure);
        EXPECT_EQ(ssidAfterSuccess, L"home-net");
        EXPECT_FALSE(enabledAfterSuccess);
    }
}

TEST_F(CameraGroups, SettingStopsAtTheFirstFailureOfTheWifiValuesButNotOfThe4GValues)
{
    const struct {
        const char* failing;
        const wchar_t* notice;
        size_t calls; // how many of the seven were made, in order
    } cases[] = {
        {nullptr, L"Set successful.", 7},     {"SetWifiMode", L"fail", 1},
        {"SetWifiSSID", L"fail", 2},          {"SetWifiPSW", L"fail", 3},
        {"SetServerIP", L"fail", 4},          {"Set4GAPN", L"Set successful.", 7},
        {"Set4GPIN", L"Set successful.", 7},  {"SetServerPort", L"Set successful.", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing ? c.failing : "none");
        FakeCamera fake;
        if (c.failing)
            fake.Fail(c.failing);
        std::wstring notice;
        RunCamera([&](WindowDriver& driver, HWND window) {
            fake.ClearCalls();
            notice = NoticeAfterClick(driver, window, IDC_SET_NETWORK);
        });
        EXPECT_EQ(notice, c.notice);
        EXPECT_EQ(fake.Names(), std::vector<std::string>(kAllNetworkSets.begin(), kAllNetworkSets.begin() + c.calls));
    }
}

TEST_F(CameraGroups, SettingHandsTheLibraryZeroTerminatedBuffersOfItsSizes)
{
    FakeCamera fake;
    RunCamera([&](WindowDriver& driver, HWND window) {
        fake.ClearCalls();
        SendMessageW(GetDlgItem(window, IDC_WIFI_MODE), CB_SETCURSEL, 1, 0);
        SetField(window, IDC_WIFI_SSID, std::wstring(70, L'x'));
        SetField(window, IDC_WIFI_PASSWORD, L"caf\x00e9\x0416rest");
        SetField(window, IDC_SERVER_IP, L"10.0.0.1");
        SetField(window, IDC_APN, L"");
        SetField(window, IDC_PIN, std::wstring(64, L'7'));
        SetField(window, IDC_SERVER_PORT, L"8080");
        EXPECT_EQ(NoticeAfterClick(driver, window, IDC_SET_NETWORK), L"Set successful.");
    });
    std::vector<FakeCall> calls = fake.Calls();
    ASSERT_EQ(calls.size(), 7u);
    EXPECT_EQ(calls[0].mode, 1);
    auto padded = [](const std::string& text, size_t size) { return text + std::string(size - text.size(), '\0'); };
    EXPECT_EQ(calls[1].bytes, padded(std::string(63, 'x'), 64));
    EXPECT_EQ(calls[2].bytes, padded("caf\xe9", 64)); // stops before the character above Latin-1
    EXPECT_EQ(calls[3].bytes, padded("10.0.0.1", 24));
    EXPECT_EQ(calls[4].bytes, std::string(64, '\0'));
    EXPECT_EQ(calls[5].bytes, padded(std::string(63, '7'), 64));
    EXPECT_EQ(calls[6].bytes, padded("8080", 12));
}

TEST_F(CameraGroups, SettingWithNoModeSelectedSendsModeMinusOne)
{
    FakeCamera fake;
    RunCamera([&](WindowDriver& driver, HWND window) {
        SendMessageW(GetDlgItem(window, IDC_WIFI_MODE), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        fake.ClearCalls();
        NoticeAfterClick(driver, window, IDC_SET_NETWORK);
    });
    std::vector<FakeCall> calls = fake.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].function, "SetWifiMode");
    EXPECT_EQ(calls[0].mode, -1);
}

TEST_F(CameraGroups, RefusedModeSwitchIsSilentAndKeepsTheFieldsAndTheNewSelection)
{
    FakeCamera fake;
    fake.SetValue("ReadWifiSSID", "station-net");
    fake.Fail("SetWifiMode");
    std::wstring ssid;
    int selection = -1;
    bool noticeAfter = true;
    RunCamera([&](WindowDriver& driver, HWND window) {
        SetField(window, IDC_WIFI_SSID, L"typed");
        fake.ClearCalls();
        ChooseMode(window, 1);
        driver.WaitUntil([&] { return !fake.Calls().empty(); }, "the mode switch");
        noticeAfter = NoticeOpen(driver, window);
        ssid = driver.Text(window, IDC_WIFI_SSID);
        selection = driver.Selection(window, IDC_WIFI_MODE);
    });
    EXPECT_EQ(fake.Names(), std::vector<std::string>{"SetWifiMode"});
    EXPECT_FALSE(noticeAfter);
    EXPECT_EQ(ssid, L"typed");
    EXPECT_EQ(selection, 1);
}

TEST_F(CameraGroups, ModeSwitchPausesBeforeEachRereadAndAFailedPasswordReadShowsFail)
{
    FakeCamera fake;
    fake.SetValue("ReadWifiSSID", "station-net");
    fake.Fail("ReadWifiPSW");
    std::vector<std::wstring> texts;
    bool settingEnabled = false, noticeAfter = true;
    RunCamera([&](WindowDriver& driver, HWND window) {
        for (int id : kNetworkFields)
            SetField(window, id, L"typed");
        fake.ClearCalls();
        ChooseMode(window, 1);
        driver.WaitUntil([&] { return driver.Text(window, IDC_WIFI_PASSWORD) == L"fail"; }, "the password read");
        noticeAfter = NoticeOpen(driver, window);
        for (int id : kNetworkFields)
            texts.push_back(driver.Text(window, id));
        settingEnabled = IsWindowEnabled(GetDlgItem(window, IDC_SET_NETWORK));
    });
    EXPECT_EQ(fake.Names(), (std::vector<std::string>{"SetWifiMode", "Sleep 200", "ReadWifiSSID", "Sleep 200",
                                                      "ReadWifiPSW"}));
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"station-net", L"fail", L"typed", L"typed", L"typed", L"typed"}));
    EXPECT_TRUE(settingEnabled);
    EXPECT_FALSE(noticeAfter);
}

} // namespace
