// The camera window itself: texts, fields, account layouts, the reads at
// start, keys, banner and closing.
#include <map>
#include <mutex>
#include <optional>
#include <regex>
#include <utility>

#include "CameraWindowFixture.h"
#include "ImportPatch.h"

namespace {

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

bool IsNoticeOpen()
{
    return FindWindowW(nullptr, L"VUZ") != nullptr;
}

// The timers the program sets and kills, through its imports, while the
// object lives: whether a window's timers are all stopped is then an event
// to wait for rather than a time to wait.
class TimerCalls {
public:
    TimerCalls()
    {
        s_current = this;
        m_set.emplace("user32.dll", "SetTimer", reinterpret_cast<void*>(&Set));
        m_kill.emplace("user32.dll", "KillTimer", reinterpret_cast<void*>(&Kill));
    }
    ~TimerCalls()
    {
        m_kill.reset();
        m_set.reset();
        s_current = nullptr;
    }
    TimerCalls(const TimerCalls&) = delete;
    TimerCalls& operator=(const TimerCalls&) = delete;

    // How many calls `window` has had.
    int Calls(HWND window)
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_calls[window];
    }
    // True once `window` has had a timer and each one set was killed since.
    bool AllStopped(HWND window)
    {
        std::lock_guard<std::mutex> hold(m_lock);
        bool any = false;
        for (const auto& timer : m_running) {
            if (timer.first.first != window)
                continue;
            any = true;
            if (timer.second)
                return false;
        }
        return any;
    }

private:
    static UINT_PTR WINAPI Set(HWND window, UINT_PTR id, UINT milliseconds, TIMERPROC procedure)
    {
        static const auto set = reinterpret_cast<decltype(&::SetTimer)>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetTimer")));
        s_current->Note(window, id, true);
        return set(window, id, milliseconds, procedure);
    }
    static BOOL WINAPI Kill(HWND window, UINT_PTR id)
    {
        static const auto kill = reinterpret_cast<decltype(&::KillTimer)>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "KillTimer")));
        s_current->Note(window, id, false);
        return kill(window, id);
    }
    void Note(HWND window, UINT_PTR id, bool running)
    {
        std::lock_guard<std::mutex> hold(m_lock);
        ++m_calls[window];
        m_running[{window, id}] = running;
    }

    static TimerCalls* s_current;
    std::mutex m_lock;
    std::map<HWND, int> m_calls;
    std::map<std::pair<HWND, UINT_PTR>, bool> m_running;
    std::optional<ImportPatch> m_set;
    std::optional<ImportPatch> m_kill;
};
TimerCalls* TimerCalls::s_current = nullptr;

TEST_F(CameraWindow, ShowsEveryLabelAndItsCaption)
{
    const struct {
        int id;
        const wchar_t* text;
    } kLabels[] = {
        {IDCANCEL, L"Logout"},
        {IDC_TIME_GROUP, L"Time setting"},
        {IDC_SYNC_TIME, L"Time Synchronizer"},
        {IDC_PARAMETER_GROUP, L"Parameter setting"},
        {IDC_READ_STATUS, L"Read"},
        {IDC_IDENTITY_GROUP, L"ID setting"},
        {IDC_CAMERA_ID_LABEL, L"Camera S/N"},
        {IDC_USER_ID_LABEL, L"User ID"},
        {IDC_DEPARTMENT_ID_LABEL, L"Department ID"},
        {IDC_USER_NAME_LABEL, L"User name"},
        {IDC_DEPARTMENT_NAME_LABEL, L"Department name"},
        {IDC_READ_IDENTITY, L"Read"},
        {IDC_SET_IDENTITY, L"Setting"},
        {IDC_NETWORK_GROUP, L"4G Setting"},
        {IDC_WIFI_MODE_LABEL, L"WiFi mode"},
        {IDC_WIFI_SSID_LABEL, L"WiFi SSID"},
        {IDC_WIFI_PASSWORD_LABEL, L"WiFi password"},
        {IDC_SERVER_IP_LABEL, L"Server IP address"},
        {IDC_APN_LABEL, L"4G APN"},
        {IDC_PIN_LABEL, L"4G PIN"},
        {IDC_SERVER_PORT_LABEL, L"Server port"},
        {IDC_KEEP_EMPTY_HINT, L"(keep empty if no needed to set)"},
        {IDC_READ_NETWORK, L"Read"},
        {IDC_SET_NETWORK, L"Setting"},
        {IDC_ADMIN_PASSWORD_LABEL, L"Administrator password"},
        {IDC_ADMIN_CONFIRM_LABEL, L"Confirm password"},
        {IDC_USER_PASSWORD_LABEL, L"User password"},
        {IDC_USER_CONFIRM_LABEL, L"Confirm password"},
        {IDC_SET_ADMIN_PASSWORD, L"Setting"},
        {IDC_SET_USER_PASSWORD, L"Setting"},
        {IDC_USB_STORAGE, L"Switch to USB Storage Mode"},
        {IDC_PASSWORD_GROUP, L"Password Setting"},
        {IDC_FORMAT_CARD, L"Format TF Card"},
        {IDC_SERIAL_NO_LABEL, L"Serial No"},
    };
    RunCamera([&](WindowDriver& driver, HWND camera) {
        EXPECT_EQ(driver.Text(camera), kCaption);
        for (const auto& label : kLabels)
            EXPECT_EQ(driver.Text(camera, label.id), label.text) << label.id;
    });
}

// Each field's limit, and whether a typed space is refused: it is in the
// letters-and-digits mode and no other.
TEST_F(CameraWindow, FieldsHaveTheirLimitsAndInputModes)
{
    const struct {
        int id;
        int limit;
        bool alnumOnly;
    } kFields[] = {
        {IDC_CAMERA_ID, 7, true},           {IDC_USER_ID, 6, true},
        {IDC_DEPARTMENT_ID, 12, true},      {IDC_USER_NAME, 16, false},
        {IDC_DEPARTMENT_NAME, 16, false},   {IDC_ADMIN_PASSWORD, 6, true},
        {IDC_ADMIN_PASSWORD_AGAIN, 6, true}, {IDC_USER_PASSWORD, 6, true},
        {IDC_USER_PASSWORD_AGAIN, 6, true}, {IDC_SERIAL_NO, 40, false},
    };
    std::wstring lineBreakNotice;
    RunCamera([&](WindowDriver& driver, HWND camera) {
        for (const auto& field : kFields) {
            EXPECT_EQ(driver.TextLimit(camera, field.id), field.limit) << field.id;
            SetField(driver, camera, field.id, L"");
            driver.Type(GetDlgItem(camera, field.id), L" ");
            if (field.alnumOnly) {
                WindowDriver::Notice notice = driver.WaitForNotice();
                EXPECT_EQ(notice.text, L"Input must be number or letter!") << field.id;
                driver.CloseNotice(notice);
                EXPECT_EQ(driver.Text(camera, field.id), L"") << field.id;
            } else {
                driver.WaitUntil([&] { return driver.Text(camera, field.id) == L" "; }, "a typed space");
            }
        }
        // Only the department name refuses line breaks (Ctrl+M); a notice for
        // the user name would hold up the letter behind it.
        driver.Type(GetDlgItem(camera, IDC_USER_NAME), L"\rx");
        driver.WaitUntil([&] { return driver.Text(camera, IDC_USER_NAME) == L" x"; }, "the letter after Ctrl+M");
        driver.Type(GetDlgItem(camera, IDC_DEPARTMENT_NAME), L"\r");
        WindowDriver::Notice notice = driver.WaitForNotice();
        lineBreakNotice = notice.text;
        driver.CloseNotice(notice);
        EXPECT_FALSE(IsNoticeOpen());
    });
    EXPECT_EQ(lineBreakNotice, L"Input can't be space!");
}

TEST_F(CameraWindow, AccountTypeDecidesWhichButtonsAreOffered)
{
    const struct {
        int userType;
        const char* password;
        bool setAdminEnabled;
        bool storageAndFormatVisible;
    } kAccounts[] = {
        {0, "888888", true, true},
        {1, "000000", false, false},
    };
    for (const auto& account : kAccounts) {
        SignIn(account.userType, account.password);
        RunCamera([&](WindowDriver&, HWND camera) {
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(camera, IDC_SET_ADMIN_PASSWORD))) << account.userType;
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(camera, IDC_SET_ADMIN_PASSWORD)) != 0, account.setAdminEnabled)
                << account.userType;
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(camera, IDC_SET_USER_PASSWORD))) << account.userType;
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(camera, IDC_SET_USER_PASSWORD))) << account.userType;
            for (int id : {IDC_USB_STORAGE, IDC_FORMAT_CARD})
                EXPECT_EQ(IsWindowVisible(GetDlgItem(camera, id)) != 0, account.storageAndFormatVisible)
                    << account.userType << " " << id;
        });
    }
}

TEST_F(CameraWindow, StartSetsTheClockThenReadsStatusAndIdentity)
{
    std::wstring time, resolution, battery;
    std::wstring identity[5];
    const int kIdentityFields[5] = {IDC_CAMERA_ID, IDC_USER_ID, IDC_DEPARTMENT_ID, IDC_USER_NAME,
                                    IDC_DEPARTMENT_NAME};
    RunCamera([&](WindowDriver& driver, HWND camera) {
        time = driver.Text(camera, IDC_TIME_RESULT);
        resolution = driver.Text(camera, IDC_RESOLUTION);
        battery = driver.Text(camera, IDC_BATTERY);
        for (int i = 0; i < 5; ++i)
            identity[i] = driver.Text(camera, kIdentityFields[i]);
    });
    EXPECT_TRUE(std::regex_match(
        Narrow(time), std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d --Time Synchronizer has finished)")))
        << Narrow(time);
    EXPECT_EQ(resolution, L"Current video resoulution:1920*1080");
    EXPECT_EQ(battery, L"Current Battery life:85%");
    EXPECT_EQ(identity[0], L"CAM0001");
    EXPECT_EQ(identity[1], L"000001");
    EXPECT_EQ(identity[2], L"D01");
    EXPECT_EQ(identity[3], L"");
    EXPECT_EQ(identity[4], L"");

    std::string log = TransferLog();
    size_t clock = log.find("send 4 36");
    size_t width = log.find("receive 6 8");
    size_t level = log.find("receive 7 4");
    size_t record = log.find("receive 3 94");
    ASSERT_NE(clock, std::string::npos);
    EXPECT_LT(clock, width);
    EXPECT_LT(width, level);
    EXPECT_LT(level, record);
    EXPECT_NE(record, std::string::npos);
}

TEST_F(CameraWindow, FailedReadsAtStartShowInTheirDisplaysOnly)
{
    const struct {
        const wchar_t* faults;
        const char* timeOutcome;
        const wchar_t* resolution;
        const wchar_t* battery;
        const wchar_t* cameraId;
    } kCases[] = {
        {L"fail=4", "Calibrate time failed!", L"Current video resoulution:1920*1080", L"Current Battery life:85%",
         L"CAM0001"},
        {L"fail=6", "Time Synchronizer has finished", L"Current video resoulution:", L"Current Battery life:85%",
         L"CAM0001"},
        {L"fail=7", "Time Synchronizer has finished", L"Current video resoulution:1920*1080",
         L"Current Battery life:", L"CAM0001"},
        {L"fail=3", "Time Synchronizer has finished", L"Current video resoulution:1920*1080",
         L"Current Battery life:85%", L""},
    };
    for (const auto& c : kCases) {
        SetFaults(c.faults);
        std::wstring time, resolution, battery, cameraId, userName;
        bool noticeShown = true;
        RunCamera([&](WindowDriver& driver, HWND camera) {
            time = driver.Text(camera, IDC_TIME_RESULT);
            resolution = driver.Text(camera, IDC_RESOLUTION);
            battery = driver.Text(camera, IDC_BATTERY);
            cameraId = driver.Text(camera, IDC_CAMERA_ID);
            noticeShown = IsNoticeOpen();
        });
        std::regex stamp(std::string(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d --)") + c.timeOutcome);
        EXPECT_TRUE(std::regex_match(Narrow(time), stamp)) << Narrow(time);
        EXPECT_EQ(resolution, c.resolution) << Narrow(c.faults);
        EXPECT_EQ(battery, c.battery) << Narrow(c.faults);
        EXPECT_EQ(cameraId, c.cameraId) << Narrow(c.faults);
        EXPECT_FALSE(noticeShown) << Narrow(c.faults);
    }
}

TEST_F(CameraWindow, ReadButtonsShowFreshValuesAsTheCameraReportsThem)
{
    WriteState("video_width = -1\nvideo_height = 0\nbattery = 100\n");
    std::wstring firstTime, firstResolution, firstBattery;
    std::wstring secondTime, secondResolution, secondBattery;
    RunCamera([&](WindowDriver& driver, HWND camera) {
        firstTime = driver.Text(camera, IDC_TIME_RESULT);
        firstResolution = driver.Text(camera, IDC_RESOLUTION);
        firstBattery = driver.Text(camera, IDC_BATTERY);

        WriteState("video_width = 1280\nvideo_height = 720\nbattery = 7\nfaults = fail=4\n");
        driver.Click(camera, IDC_SYNC_TIME);
        driver.Click(camera, IDC_READ_STATUS);
        driver.WaitUntil([&] { return driver.Text(camera, IDC_BATTERY) == L"Current Battery life:7%"; },
                         "the new battery level");
        secondTime = driver.Text(camera, IDC_TIME_RESULT);
        secondResolution = driver.Text(camera, IDC_RESOLUTION);
        secondBattery = driver.Text(camera, IDC_BATTERY);
    });
    // How the stamp and values are written is the core's (its own table).
    EXPECT_TRUE(std::regex_match(Narrow(firstTime), std::regex(R"(.{22}Time Synchronizer has finished)")))
        << Narrow(firstTime);
    EXPECT_EQ(firstResolution, L"Current video resoulution:-1*0");
    EXPECT_EQ(firstBattery, L"Current Battery life:100%");
    EXPECT_TRUE(std::regex_match(Narrow(secondTime), std::regex(R"(.{22}Calibrate time failed!)")))
        << Narrow(secondTime);
    EXPECT_EQ(secondResolution, L"Current video resoulution:1280*720");
    EXPECT_EQ(secondBattery, L"Current Battery life:7%");
}

TEST_F(CameraWindow, EscapeEnterAndOkCloseNothingAndChangeNothing)
{
    const int kFields[] = {IDC_CAMERA_ID, IDC_USER_NAME, IDC_WIFI_SSID, IDC_ADMIN_PASSWORD};
    RunCamera([&](WindowDriver& driver, HWND camera) {
        for (int id : kFields) {
            FocusField(driver, camera, id);
            SetField(driver, camera, id, L"abc");
            SendMessageW(GetDlgItem(camera, id), EM_SETSEL, 3, 3);
            driver.PressKey(GetDlgItem(camera, id), VK_ESCAPE);
            driver.PressKey(GetDlgItem(camera, id), VK_RETURN);
            PostMessageW(camera, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            driver.Type(GetDlgItem(camera, id), L"d"); // queued behind the keys
            driver.WaitUntil([&] { return driver.Text(camera, id) == L"abcd"; }, "the typed letter");
            EXPECT_TRUE(IsWindowVisible(camera)) << id;
            EXPECT_FALSE(IsNoticeOpen()) << id;
        }
    });
    EXPECT_EQ(TransferLog().find("send 3 94"), std::string::npos);
}

// Enter in the serial number field writes the identity; whatever notice
// follows closes by itself. The serial number is never sent.
TEST_F(CameraWindow, EnterInTheSerialNumberWritesTheIdentityAndItsNoticeClosesItself)
{
    const struct {
        const wchar_t* cameraId;
        const wchar_t* notice;
        bool sent;
    } kCases[] = {
        {L"CAM0009", L"Set successful.", true},
        {L"CAM09", L"The length of the camera ID is 7!", false},
    };
    for (const auto& c : kCases) {
        DeleteFileW(m_log.c_str());
        WindowDriver::Notice notice;
        DWORD openMs = 0;
        std::wstring serialAfter;
        RunCamera([&](WindowDriver& driver, HWND camera) {
            SetField(driver, camera, IDC_CAMERA_ID, c.cameraId);
            FocusField(driver, camera, IDC_SERIAL_NO);
            driver.Type(GetDlgItem(camera, IDC_SERIAL_NO), L"SN-42");
            driver.WaitUntil([&] { return driver.Text(camera, IDC_SERIAL_NO) == L"SN-42"; }, "the serial number");
            DWORD pressed = GetTickCount();
            driver.PressKey(GetDlgItem(camera, IDC_SERIAL_NO), VK_RETURN);
            notice = driver.WaitForNotice();
            driver.WaitUntilGone(notice.box);
            openMs = GetTickCount() - pressed;
            serialAfter = driver.Text(camera, IDC_SERIAL_NO);
        });
        EXPECT_EQ(notice.text, c.notice);
        EXPECT_GE(openMs, 800u) << Narrow(c.notice);
        EXPECT_EQ(serialAfter, L"SN-42");
        std::string log = TransferLog();
        EXPECT_EQ(log.find("send 3 94") != std::string::npos, c.sent) << log;
        EXPECT_EQ(log.find("send 11"), std::string::npos);
        EXPECT_EQ(log.find("534e2d3432"), std::string::npos); // "SN-42" in any payload
    }
}

// Each repaint brings a few banner paints over the window's own painting,
// and then the banner timer stops: a banner painted over afterwards stays so.
TEST_F(CameraWindow, ARepaintBringsTheBannerBackAndThenItsTimerStops)
{
    TimerCalls timers;
    COLORREF afterRepaint = 0, margin = 0, afterStop = 0;
    bool restarted = true;
    RunCamera([&](WindowDriver& driver, HWND camera) {
        HWND banner = GetDlgItem(camera, IDC_CAMERA_BANNER);
        auto pixel = [&](int x, int y) { return WindowDriver::Pixel(banner, x, y); };
        driver.WaitUntil([&] { return timers.AllStopped(camera); }, "the banner timer to stop after the start");
        WindowDriver::PaintOver(banner);
        const int calls = timers.Calls(camera);
        InvalidateRect(camera, nullptr, TRUE);
        driver.WaitUntil([&] { return timers.Calls(camera) > calls && timers.AllStopped(camera); },
                         "the banner timer to stop after a repaint");
        afterRepaint = pixel(4, 4);
        margin = pixel(0, 0);
        const int stopped = timers.Calls(camera);
        WindowDriver::PaintOver(banner);
        driver.Text(camera); // the window thread is back in its loop
        afterStop = pixel(4, 4);
        restarted = timers.Calls(camera) != stopped;
    });
    EXPECT_EQ(afterRepaint, RGB(0, 0, 255));
    EXPECT_NE(margin, RGB(0, 0, 255));
    EXPECT_EQ(afterStop, RGB(255, 255, 255));
    EXPECT_FALSE(restarted);
}

TEST_F(CameraWindow, LogoutCloseBoxAndAltF4EndWithCancel)
{
    const struct {
        const char* way;
        std::function<void(WindowDriver&, HWND)> close;
    } kWays[] = {
        {"Logout", [](WindowDriver& driver, HWND camera) { driver.Click(camera, IDCANCEL); }},
        {"close box", [](WindowDriver& driver, HWND camera) { driver.CloseBox(camera); }},
        {"Alt+F4",
         [](WindowDriver& driver, HWND camera) { driver.PressAltF4(GetDlgItem(camera, IDC_CAMERA_ID)); }},
    };
    for (const auto& way : kWays) {
        INT_PTR result = RunCamera([&](WindowDriver& driver, HWND camera) {
            way.close(driver, camera);
            driver.WaitUntilGone(camera);
        });
        EXPECT_EQ(result, IDCANCEL) << way.way;
    }
}

} // namespace
