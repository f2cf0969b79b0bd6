// The camera window's password, storage and network groups, driven as a
// user would, against the simulated camera. The library's WiFi/4G functions
// touch nothing, so the network cases that need them to fail, or need to see
// what they were given, put stand-ins into the test program's imports.
#include <gtest/gtest.h>

#include <telvix/Telvix.h>
#include <telvix/VendorCommands.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Camera.h"
#include "ImportPatch.h"
#include "Session.h"
#include "WindowDriver.h"
#include "ScratchCamera.h"
#include "res/resource.h"
#include "texts/TextTable.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::wstring kCaption = L"Stand-Alone Kestrava";
const std::wstring kConfirmCaption = L"Format TF Card";

long long MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// ---- Stand-ins for the library's WiFi/4G functions -------------------------

struct NetworkCall {
    std::string function;
    std::string bytes; // a set function's whole buffer
    int mode = 0;      // SetWifiMode's argument
};

// What the stand-ins answer and what they were given. Called on the window
// thread, read on the test's.
struct FakeNetwork {
    std::mutex lock;
    std::set<std::string> failing;
    std::map<std::string, std::string> values; // bytes a read delivers
    int mode = 0;
    std::vector<NetworkCall> calls;

    void Reset()
    {
        std::lock_guard<std::mutex> hold(lock);
        failing.clear();
        values.clear();
        mode = 0;
        calls.clear();
    }
    std::vector<NetworkCall> Calls()
    {
        std::lock_guard<std::mutex> hold(lock);
        return calls;
    }
    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (const auto& call : Calls())
            names.push_back(call.function);
        return names;
    }
    void ClearCalls()
    {
        std::lock_guard<std::mutex> hold(lock);
        calls.clear();
    }
    void Fail(const std::string& function, bool fail = true)
    {
        std::lock_guard<std::mutex> hold(lock);
        if (fail)
            failing.insert(function);
        else
            failing.erase(function);
    }
    int Answer(NetworkCall call, int* status)
    {
        std::lock_guard<std::mutex> hold(lock);
        bool fails = failing.count(call.function) != 0;
        calls.push_back(std::move(call));
        *status = fails ? kStatusFailure : kStatusSuccess;
        return fails ? 0 : 1;
    }
};

FakeNetwork g_fake;

struct Buffer {
    const char* function;
    size_t size;
};
constexpr Buffer kSetters[] = {{"SetWifiSSID", 64}, {"SetWifiPSW", 64}, {"SetServerIP", 24},
                               {"Set4GAPN", 64},    {"Set4GPIN", 64},   {"SetServerPort", 12}};
constexpr Buffer kReaders[] = {{"ReadWifiSSID", 64}, {"ReadWifiPSW", 64}, {"ReadServerIP", 24},
                               {"Read4GAPN", 64},    {"Read4GPIN", 64},   {"ReadServerPort", 12}};

template <int I>
int TELVIX_CALL FakeSet(const char* value, const char*, int* status)
{
    return g_fake.Answer({kSetters[I].function, std::string(value, kSetters[I].size)}, status);
}

template <int I>
int TELVIX_CALL FakeRead(char* buffer, const char*, int* status)
{
    int result = g_fake.Answer({kReaders[I].function, {}}, status);
    if (result == 1) {
        std::lock_guard<std::mutex> hold(g_fake.lock);
        const std::string& value = g_fake.values[kReaders[I].function];
        std::memcpy(buffer, value.data(), std::min(value.size(), kReaders[I].size));
    }
    return result;
}

int TELVIX_CALL FakeSetWifiMode(int mode, const char*, int* status)
{
    return g_fake.Answer({"SetWifiMode", {}, mode}, status);
}

int TELVIX_CALL FakeReadWifiMode(int* mode, const char*, int* status)
{
    int result = g_fake.Answer({"ReadWifiMode", {}}, status);
    if (result == 1) {
        std::lock_guard<std::mutex> hold(g_fake.lock);
        *mode = g_fake.mode;
    }
    return result;
}

// The stand-ins in the imports for as long as it lives.
class FakeNetworkLibrary {
public:
    FakeNetworkLibrary()
    {
        g_fake.Reset();
        Patch("SetWifiMode", reinterpret_cast<const void*>(&FakeSetWifiMode));
        Patch("ReadWifiMode", reinterpret_cast<const void*>(&FakeReadWifiMode));
        Patch("SetWifiSSID", reinterpret_cast<const void*>(&FakeSet<0>));
        Patch("SetWifiPSW", reinterpret_cast<const void*>(&FakeSet<1>));
        Patch("SetServerIP", reinterpret_cast<const void*>(&FakeSet<2>));
        Patch("Set4GAPN", reinterpret_cast<const void*>(&FakeSet<3>));
        Patch("Set4GPIN", reinterpret_cast<const void*>(&FakeSet<4>));
        Patch("SetServerPort", reinterpret_cast<const void*>(&FakeSet<5>));
        Patch("ReadWifiSSID", reinterpret_cast<const void*>(&FakeRead<0>));
        Patch("ReadWifiPSW", reinterpret_cast<const void*>(&FakeRead<1>));
        Patch("ReadServerIP", reinterpret_cast<const void*>(&FakeRead<2>));
        Patch("Read4GAPN", reinterpret_cast<const void*>(&FakeRead<3>));
        Patch("Read4GPIN", reinterpret_cast<const void*>(&FakeRead<4>));
        Patch("ReadServerPort", reinterpret_cast<const void*>(&FakeRead<5>));
    }

private:
    void Patch(const char* function, const void* replacement)
    {
        m_patches.push_back(std::make_unique<ImportPatch>("Telvix.dll", function, replacement));
        EXPECT_TRUE(m_patches.back()->applied()) << function;
    }

    std::vector<std::unique_ptr<ImportPatch>> m_patches;
};

const std::vector<std::string> kAllSets = {"SetWifiMode", "SetWifiSSID", "SetWifiPSW",   "SetServerIP",
                                           "Set4GAPN",    "Set4GPIN",    "SetServerPort"};
const std::vector<std::string> kAllReads = {"ReadWifiMode", "ReadWifiSSID", "ReadWifiPSW",   "ReadServerIP",
                                            "Read4GAPN",    "Read4GPIN",    "ReadServerPort"};

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
        {"both empty", kAdmin, L"", L"", nullptr, L"The length of the password must be 6!", nullptr},
        {"five against six", kUser, L"12345", L"123456", nullptr, L"The length of the password must be 6!", nullptr},
        {"equal but too long", kAdmin, L"abcdefghijk", L"abcdefghijk", nullptr,
         L"The length of the password must be 6!", nullptr},
        {"cut short by a character above Latin-1", kUser, L"abc12\x0416", L"abc12\x0416", nullptr,
         L"The length of the password must be 6!", nullptr},
        {"different", kUser, L"abc123", L"abc124", nullptr, L"The two password is inconsistent", nullptr},
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
        bool paused;
    } cases[] = {
        {nullptr, L"Format Success!", 1, true},
        {L"format_verdict=5", L"Format Failed!", 1, false}, // formatted, but not well
        {L"fail=10", L"Format Failed!", 0, false},          // the first transfer fails
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults ? std::string(c.faults, c.faults + wcslen(c.faults)) : "no fault");
        FreshCamera(c.faults);
        std::wstring notice;
        long long waited = 0;
        RunCamera([&](WindowDriver& driver, HWND window) {
            driver.Click(window, IDC_FORMAT_CARD);
            HWND confirm = driver.WaitForWindow(kConfirmCaption);
            auto start = Clock::now();
            driver.Click(confirm, IDOK);
            WindowDriver::Notice shown = driver.WaitForNotice();
            waited = MillisecondsSince(start);
            notice = shown.text;
            driver.CloseNotice(shown);
        });
        EXPECT_EQ(notice, c.notice);
        EXPECT_EQ(StateCount("format_count"), c.formatCount);
        if (c.paused)
            EXPECT_GE(waited, 950);
        else
            EXPECT_LT(waited, 800);
    }
}

TEST_F(CameraGroups, StorageModeIsSentAtEveryClickAndReportedAfterASecond)
{
    std::vector<std::wstring> notices;
    std::vector<long long> waits;
    RunCamera([&](WindowDriver& driver, HWND window) {
        for (int click = 0; click < 2; ++click) {
            auto start = Clock::now();
            driver.Click(window, IDC_USB_STORAGE);
            WindowDriver::Notice shown = driver.WaitForNotice();
            waits.push_back(MillisecondsSince(start));
            notices.push_back(shown.text);
            driver.CloseNotice(shown);
        }
    });
    EXPECT_EQ(notices, std::vector<std::wstring>(2, L"Camera has entered to u-disk"));
    ASSERT_EQ(waits.size(), 2u);
    EXPECT_GE(waits[0], 950);
    EXPECT_GE(waits[1], 950);
    EXPECT_EQ(Transfers(kCmdStorageMode), std::vector<std::string>(2, "5 4 01000000 ok"));
    EXPECT_EQ(StateCount("storage_mode_count"), 2);
}

TEST_F(CameraGroups, StorageModeRefusedIsReportedAtOnce)
{
    FreshCamera(L"fail=5");
    std::wstring notice;
    long long waited = 0;
    RunCamera([&](WindowDriver& driver, HWND window) {
        auto start = Clock::now();
        driver.Click(window, IDC_USB_STORAGE);
        WindowDriver::Notice shown = driver.WaitForNotice();
        waited = MillisecondsSince(start);
        notice = shown.text;
        driver.CloseNotice(shown);
    });
    EXPECT_EQ(notice, L"Camera enter U-disk failed!");
    EXPECT_LT(waited, 800);
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

TEST_F(CameraGroups, ChoosingStationRereadsSsidAndPasswordAfterTwoPausesAndKeepsTheRest)
{
    long long waited = 0;
    std::vector<std::wstring> texts;
    RunCamera([&](WindowDriver& driver, HWND window) {
        for (int id : kNetworkFields)
            SetField(window, id, L"typed");
        auto start = Clock::now();
        ChooseMode(window, 1);
        driver.WaitUntil([&] { return driver.Text(window, IDC_WIFI_PASSWORD).empty(); }, "the WiFi fields read");
        waited = MillisecondsSince(start);
        for (int id : kNetworkFields)
            texts.push_back(driver.Text(window, id));
    });
    EXPECT_GE(waited, 390);
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"", L"", L"typed", L"typed", L"typed", L"typed"}));
}

// ---- Network, with stand-ins for the library ------------------------------------

TEST_F(CameraGroups, OpensWithTheNetworkSettingsRead)
{
    FakeNetworkLibrary library;
    g_fake.mode = 1;
    g_fake.values["ReadWifiSSID"] = "home-net";
    std::wstring ssid;
    int selection = -1;
    RunCamera([&](WindowDriver& driver, HWND window) {
        ssid = driver.Text(window, IDC_WIFI_SSID);
        selection = driver.Selection(window, IDC_WIFI_MODE);
    });
    EXPECT_EQ(g_fake.Names(), kAllReads);
    EXPECT_EQ(ssid, L"home-net");
    EXPECT_EQ(selection, 1);
}

TEST_F(CameraGroups, ReadShowsEachValueOrFailAndTheModeAsStationOnlyWhenReadAsNonZero)
{
    FakeNetworkLibrary library;
    g_fake.values = {{"ReadWifiSSID", "home-net\n"}, {"ReadWifiPSW", "secret"}, {"ReadServerIP", "10.0.0.1"},
                     {"Read4GAPN", "internet"},      {"Read4GPIN", "1234"},
                     {"ReadServerPort", "123456789012"}}; // fills its buffer: the last byte goes
    g_fake.Fail("ReadServerIP");
    g_fake.Fail("Read4GPIN");
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
            g_fake.ClearCalls();
            g_fake.Fail("ReadWifiMode", m.fails);
            {
                std::lock_guard<std::mutex> hold(g_fake.lock);
                g_fake.mode = m.mode;
            }
            SendMessageW(GetDlgItem(window, IDC_WIFI_MODE), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
            driver.Click(window, IDC_READ_NETWORK);
            driver.WaitUntil([&] { return g_fake.Calls().size() == kAllReads.size(); }, "the reads");
            selections.push_back(driver.Selection(window, IDC_WIFI_MODE));
        }
        for (int id : kNetworkFields)
            texts.push_back(driver.Text(window, id));
        settingEnabled = IsWindowEnabled(GetDlgItem(window, IDC_SET_NETWORK));
    });
    EXPECT_EQ(selections, (std::vector<int>{1, 0, 0, 1}));
    EXPECT_EQ(g_fake.Names(), kAllReads);
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
        FakeNetworkLibrary library;
        g_fake.values["ReadWifiSSID"] = "home-net";
        std::wstring ssidAfterFailure, ssidAfterSuccess;
        bool enabledBefore = false, enabledAfterFailure = true, enabledAfterSuccess = true;
        RunCamera([&](WindowDriver& driver, HWND window) {
            HWND setting = GetDlgItem(window, IDC_SET_NETWORK);
            enabledBefore = IsWindowEnabled(setting);
            g_fake.Fail("ReadWifiSSID");
            t.reread(window);
            driver.WaitUntil([&] { return driver.Text(window, IDC_WIFI_SSID) == L"fail"; }, "fail");
            ssidAfterFailure = driver.Text(window, IDC_WIFI_SSID);
            enabledAfterFailure = IsWindowEnabled(setting);
            g_fake.Fail("ReadWifiSSID", false);
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
        {nullptr, L"Set successful.", 7},   {"SetWifiMode", L"fail", 1},       {"SetWifiSSID", L"fail", 2},
        {"SetServerIP", L"fail", 4},        {"Set4GAPN", L"Set successful.", 7},
        {"Set4GPIN", L"Set successful.", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing ? c.failing : "none");
        FakeNetworkLibrary library;
        if (c.failing)
            g_fake.Fail(c.failing);
        std::wstring notice;
        RunCamera([&](WindowDriver& driver, HWND window) {
            g_fake.ClearCalls();
            notice = NoticeAfterClick(driver, window, IDC_SET_NETWORK);
        });
        EXPECT_EQ(notice, c.notice);
        EXPECT_EQ(g_fake.Names(), std::vector<std::string>(kAllSets.begin(), kAllSets.begin() + c.calls));
    }
}

TEST_F(CameraGroups, SettingHandsTheLibraryZeroTerminatedBuffersOfItsSizes)
{
    FakeNetworkLibrary library;
    RunCamera([&](WindowDriver& driver, HWND window) {
        g_fake.ClearCalls();
        SendMessageW(GetDlgItem(window, IDC_WIFI_MODE), CB_SETCURSEL, 1, 0);
        SetField(window, IDC_WIFI_SSID, std::wstring(70, L'x'));
        SetField(window, IDC_WIFI_PASSWORD, L"caf\x00e9\x0416rest");
        SetField(window, IDC_SERVER_IP, L"10.0.0.1");
        SetField(window, IDC_APN, L"");
        SetField(window, IDC_PIN, std::wstring(64, L'7'));
        SetField(window, IDC_SERVER_PORT, L"8080");
        EXPECT_EQ(NoticeAfterClick(driver, window, IDC_SET_NETWORK), L"Set successful.");
    });
    std::vector<NetworkCall> calls = g_fake.Calls();
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
    FakeNetworkLibrary library;
    RunCamera([&](WindowDriver& driver, HWND window) {
        SendMessageW(GetDlgItem(window, IDC_WIFI_MODE), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        g_fake.ClearCalls();
        NoticeAfterClick(driver, window, IDC_SET_NETWORK);
    });
    std::vector<NetworkCall> calls = g_fake.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].function, "SetWifiMode");
    EXPECT_EQ(calls[0].mode, -1);
}

TEST_F(CameraGroups, RefusedModeSwitchIsSilentAndKeepsTheFieldsAndTheNewSelection)
{
    FakeNetworkLibrary library;
    g_fake.values["ReadWifiSSID"] = "station-net";
    g_fake.Fail("SetWifiMode");
    std::wstring ssid;
    int selection = -1;
    bool noticeAfter = true;
    RunCamera([&](WindowDriver& driver, HWND window) {
        SetField(window, IDC_WIFI_SSID, L"typed");
        g_fake.ClearCalls();
        ChooseMode(window, 1);
        driver.WaitUntil([&] { return !g_fake.Calls().empty(); }, "the mode switch");
        noticeAfter = NoticeOpen(driver, window);
        ssid = driver.Text(window, IDC_WIFI_SSID);
        selection = driver.Selection(window, IDC_WIFI_MODE);
    });
    EXPECT_EQ(g_fake.Names(), std::vector<std::string>{"SetWifiMode"});
    EXPECT_FALSE(noticeAfter);
    EXPECT_EQ(ssid, L"typed");
    EXPECT_EQ(selection, 1);
}

} // namespace
