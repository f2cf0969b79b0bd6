// The dock's windows in process: the station's events played from another
// thread, as the dock's threads report them, and the settings' presets.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "DockResources.h"
#include "ReadySettings.h"
#include "ScratchCamera.h"
#include "WindowDriver.h"
#include "dock/DockWindow.h"
#include "dock/SettingsDialog.h"
#include "platform/WindowsPaths.h"

namespace {

void InitControls()
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
}

std::wstring ItemText(HWND list, int item, int column)
{
    wchar_t buffer[512] = L"";
    LVITEMW entry{};
    entry.iSubItem = column;
    entry.pszText = buffer;
    entry.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry));
    return buffer;
}

// The dock's window once a camera copies, as the driver sees it.
HWND CopyingDock(WindowDriver& driver, DockWindow& window, const custody::OffloadProgress& progress)
{
    HWND dock = driver.WaitForWindow(L"Kestrava Dock");
    HWND list = GetDlgItem(dock, IDC_DOCK_CAMERAS);
    station::StationEvents& events = window.Events();  // called here, on the driver's thread
    events.CameraFound(1);
    events.Identified(1, {"SN-0001", "CAM7", "Ivan"});
    events.StepStarted(1, station::Step::Copying);
    events.Progress(1, progress);
    driver.WaitUntil([&] { return ItemText(list, 0, 3) == L"copying" && !ItemText(list, 0, 4).empty(); },
                     "the copying row");
    return dock;
}

TEST(DockWindowTest, EventsFromTheDocksThreadsReachTheRowsAndClosingMidCopyAsksFirst)
{
    InitControls();
    TempFolder folder;
    DockWindow window(ReadySettings(folder));
    WindowDriver::Run([&] { return window.DoModal(); }, [&](WindowDriver& driver) {
        custody::OffloadProgress progress;
        progress.cardBytes = 100;
        progress.workTotal = 200;
        progress.workDone = 50;
        HWND dock = CopyingDock(driver, window, progress);
        HWND list = GetDlgItem(dock, IDC_DOCK_CAMERAS);
        EXPECT_EQ(ItemText(list, 0, 4), L"25 %");
        EXPECT_EQ(ItemText(list, 0, 0), L"SN-0001");
        EXPECT_EQ(ItemText(list, 0, 2), L"Ivan");

        driver.CloseBox(dock);
        HWND question = driver.WaitForWindow(L"Kestrava Dock", {dock});
        driver.Click(question, IDNO);
        driver.WaitUntilGone(question);
        EXPECT_TRUE(IsWindowVisible(dock)) << "a No keeps the dock";
        driver.PressKey(list, VK_RETURN);
        driver.PressKey(list, VK_ESCAPE);

        window.Events().Finished(1, station::Outcome::CardLost, "the card went away");  // queued behind the keys
        driver.WaitUntil([&] { return ItemText(list, 0, 3) == L"failed: plug it in again to resume"; },
                         "the failed row");
        EXPECT_TRUE(IsWindowVisible(dock)) << "Enter and Escape leave the dock alone";
        driver.CloseBox(dock);  // nothing copies: no question, a clean stop
        driver.WaitUntilGone(dock);
    });
}

TEST(DockWindowTest, AShutdownWhileCopyingIsHeldUntilTheCopiesHaveStopped)
{
    InitControls();
    TempFolder folder;
    DockWindow window(ReadySettings(folder));
    WindowDriver::Run([&] { return window.DoModal(); }, [&](WindowDriver& driver) {
        custody::OffloadProgress progress;
        progress.workTotal = 1;
        HWND dock = CopyingDock(driver, window, progress);
        DWORD_PTR answer = TRUE;
        ASSERT_TRUE(SendMessageTimeoutW(dock, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 60000, &answer));
        EXPECT_EQ(answer, static_cast<DWORD_PTR>(FALSE)) << "copies running hold the shutdown";
        driver.WaitUntilGone(dock);  // once the run has ended
    });
}

TEST(DockWindowTest, APresetShowsButCannotBeChangedAndARunningDockLetsOnlyTheLanguageChange)
{
    InitControls();
    struct Case {
        bool running;
        bool archiveEditable;
        bool auditEditable;
        bool tryEditable;
    };
    for (const Case& c : {Case{false, false, true, true}, Case{true, false, false, false}}) {
        DockSettings settings;
        settings.archive = "\\\\it\\evidence";
        settings.presets = 1u << static_cast<unsigned>(Setting::Archive);
        SettingsDialog dialog(settings, c.running);
        WindowDriver::Run([&] { return dialog.DoModal(); }, [&](WindowDriver& driver) {
            HWND window = driver.WaitForWindow(L"Dock settings");
            EXPECT_EQ(driver.Text(window, IDC_ARCHIVE), L"\\\\it\\evidence");
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(window, IDC_ARCHIVE)) != FALSE, c.archiveEditable);
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(window, IDC_BROWSE_ARCHIVE)) != FALSE, c.archiveEditable);
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(window, IDC_AUDIT_FILE)) != FALSE, c.auditEditable);
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(window, IDC_TRY_PASSWORD)) != FALSE, c.tryEditable);
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDC_LANGUAGE)));
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, IDC_PRESET_HINT)));
            driver.Click(window, IDCANCEL);
            driver.WaitUntilGone(window);
        });
    }
}

TEST(DockWindowTest, TryItSignsInToThePluggedCameraWithTheChosenAccount)
{
    InitControls();
    std::wstring state, log;
    OpenScratchCamera(L"orvane-dock-trial-", state, log);
    struct Case {
        bool user;
        const char* password;
        const wchar_t* result;
    };
    for (const Case& c : {Case{false, "888888", L"The camera accepted the password."},
                          Case{true, "888888", L"The camera refused the password."},
                          Case{true, "000000", L"The camera accepted the password."}}) {
        DockSettings settings;
        settings.userAccount = c.user;
        settings.password = c.password;
        SettingsDialog dialog(settings, false);
        WindowDriver::Run([&] { return dialog.DoModal(); }, [&](WindowDriver& driver) {
            HWND window = driver.WaitForWindow(L"Dock settings");
            driver.Click(window, IDC_TRY_PASSWORD);
            driver.WaitUntil(
                [&] {
                    std::wstring shown = driver.Text(window, IDC_TRIAL_RESULT);
                    return !shown.empty() && shown != L"Signing in to the camera…";
                },
                "the trial's answer");
            EXPECT_EQ(driver.Text(window, IDC_TRIAL_RESULT), c.result) << c.user << " " << c.password;
            driver.Click(window, IDCANCEL);
            driver.WaitUntilGone(window);
        });
    }
    CloseScratchCamera(state, log);
}

LONG Height(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

TEST(DockWindowTest, TheStoreFieldsFollowTheArchiveKindAndItsKeysAndLockAreAskedFor)
{
    InitControls();
    TempFolder folder;
    DockSettings settings = ReadySettings(folder);
    settings.endpoint = "https://ceph.local";
    settings.presets = 1u << static_cast<unsigned>(Setting::Endpoint);
    SettingsDialog dialog(settings, false);
    WindowDriver::Run([&] { return dialog.DoModal(); }, [&](WindowDriver& driver) {
        HWND window = driver.WaitForWindow(L"Dock settings");
        HWND archive = GetDlgItem(window, IDC_ARCHIVE);
        HWND endpoint = GetDlgItem(window, IDC_ENDPOINT);
        LONG folderHeight = Height(window);
        EXPECT_FALSE(IsWindowVisible(endpoint)) << "a folder has no store";
        PostMessageW(archive, EM_SETSEL, 0, -1);
        driver.Type(archive, L"s3://evidence/cams");
        // Shown, then laid out, on the dialog's thread.
        driver.WaitUntil([&] { return IsWindowVisible(endpoint) && Height(window) > folderHeight; }, "the store");
        EXPECT_FALSE(IsWindowEnabled(endpoint)) << "IT's endpoint";
        EXPECT_TRUE(GetWindowLongW(GetDlgItem(window, IDC_SECRET_KEY), GWL_STYLE) & ES_PASSWORD);
        driver.Click(window, IDOK);
        driver.WaitUntil([&] { return driver.Text(window, IDC_SETTINGS_PROBLEM) == L"Enter the access key ID."; },
                         "the missing key named");
        driver.Type(GetDlgItem(window, IDC_ACCESS_KEY_ID), L"AKID");
        driver.Type(GetDlgItem(window, IDC_SECRET_KEY), L"s3cr3t");
        driver.Type(GetDlgItem(window, IDC_RETAIN_DAYS), L"99999");  // after the 0 shown
        driver.Click(window, IDOK);
        driver.WaitUntil([&] { return driver.Text(window, IDC_SETTINGS_PROBLEM) == L"Lock for days: 0 to 36500."; },
                         "a slipped digit named");
        PostMessageW(archive, EM_SETSEL, 0, -1);
        driver.Type(archive, L"D:\\Evidence");
        driver.WaitUntil([&] { return !IsWindowVisible(endpoint) && Height(window) == folderHeight; }, "no store");
        driver.Click(window, IDCANCEL);
        driver.WaitUntilGone(window);
    });
}

TEST(DockWindowTest, AStoreArchiveShowsWhatKeepsItInsteadOfAFreeSpace)
{
    InitControls();
    TempFolder folder;
    DockSettings settings = ReadySettings(folder);
    settings.archive = "s3://evidence/cams";
    settings.endpoint = "http://127.0.0.1:9";  // nothing listens there
    settings.accessKeyId = "AKID";
    settings.secretKey = "s3cr3t";
    DockWindow window(settings);
    WindowDriver::Run([&] { return window.DoModal(); }, [&](WindowDriver& driver) {
        HWND dock = driver.WaitForWindow(L"Kestrava Dock");
        std::wstring text(512, L'\0');
        driver.WaitUntil(
            [&] {
                auto length = LOWORD(SendDlgItemMessageW(dock, IDC_DOCK_STATUS, SB_GETTEXTLENGTHW, 0, 0));
                return length > 0 && length < text.size()
                       && SendDlgItemMessageW(dock, IDC_DOCK_STATUS, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(&text[0]));
            },
            "the archive's status");
        text.resize(text.find(L'\0'));
        EXPECT_EQ(text.rfind(L"Archive: ", 0), 0u) << platform::Narrow(text);
        for (const wchar_t* wrong : {L"free", L"Archive: reachable", L"Archive: not reachable", L"s3cr3t"})
            EXPECT_EQ(text.find(wrong), std::wstring::npos) << platform::Narrow(text);
        driver.CloseBox(dock);
        driver.WaitUntilGone(dock);
    });
}

}  // namespace
