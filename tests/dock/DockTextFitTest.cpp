// Every text of the dock in every language against the room its control
// gives it, measured in the control's own font under Wine: labels, buttons,
// the caption, the list's headers and the states a row can show, and the
// status bar's parts with their longest texts.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <sstream>
#include <string>
#include <vector>

#include "DockResources.h"
#include "ReadySettings.h"
#include "WindowDriver.h"
#include "dock/AuditDialog.h"
#include "dock/DockWindow.h"
#include "dock/SettingsDialog.h"
#include "dock/VerifyDialog.h"
#include "ui/Handles.h"

namespace {

// Room lost to a button's edges and focus frame on each side, to a check
// box's box, and to a list cell's or status part's padding.
constexpr int kButtonMargin = 4;
constexpr int kCellPadding = 12;

class Fit {
public:
    explicit Fit(Language language) : m_language(language) {}

    void Text(HWND control, const std::wstring& text, long room)
    {
        ui::WindowDC dc(control);
        ui::SelectedObject font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
        if (size.cx > room)
            m_misfits << "\n  " << GetDlgCtrlID(control) << " \"" << Utf8(text) << "\" needs " << size.cx
                      << " px, has " << room;
    }

    // Each child with a text of its own, as its kind draws it, but a
    // wrapping label of the program's own words.
    void Children(HWND window, int wrapping = 0)
    {
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (GetDlgCtrlID(child) == wrapping)
                continue;
            wchar_t kind[64] = L"";
            GetClassNameW(child, kind, 64);
            std::wstring text = WindowString(child);
            if (text.empty() || lstrcmpiW(kind, L"Edit") == 0)
                continue;
            RECT client{};
            GetClientRect(child, &client);
            long room = client.right;
            LONG style = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
            if (lstrcmpiW(kind, L"Button") == 0)
                room -= (style == BS_AUTOCHECKBOX || style == BS_CHECKBOX) ? GetSystemMetrics(SM_CXMENUCHECK) + 4
                                                                           : 2 * kButtonMargin;
            Text(child, text, room);
        }
    }

    // A list's column `column` and the texts its cells may show.
    void Column(HWND list, int column, const std::vector<std::wstring>& texts)
    {
        long room = static_cast<long>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0)) - kCellPadding;
        HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
        wchar_t title[128] = L"";
        LVCOLUMNW entry{};
        entry.mask = LVCF_TEXT;
        entry.pszText = title;
        entry.cchTextMax = 128;
        SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&entry));
        Text(header, title, room);
        for (const std::wstring& text : texts)
            Text(list, text, room);
    }

    void StatusPart(HWND bar, int part, const std::vector<std::wstring>& texts)
    {
        RECT rect{};
        SendMessageW(bar, SB_GETRECT, part, reinterpret_cast<LPARAM>(&rect));
        for (const std::wstring& text : texts)
            Text(bar, text, rect.right - rect.left - kCellPadding);
    }

    const wchar_t* Of(DockText id) const { return DockTextOf(m_language, id); }
    std::string Report() const { return m_misfits.str(); }

private:
    static std::wstring WindowString(HWND window)
    {
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
        return text;
    }
    static std::string Utf8(const std::wstring& text)
    {
        std::string bytes(text.size() * 4, '\0');
        bytes.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                                             &bytes[0], static_cast<int>(bytes.size()), nullptr,
                                                             nullptr)));
        return bytes;
    }

    Language m_language;
    std::ostringstream m_misfits;
};

// The texts a row's state cell can show.
std::vector<std::wstring> StateTexts(const Fit& fit)
{
    std::vector<std::wstring> texts;
    for (DockText state = DockText::StateConnecting; state != DockText::StateFailed;
         state = static_cast<DockText>(static_cast<int>(state) + 1))
        texts.push_back(fit.Of(state));
    for (DockText advice = DockText::AdvicePlugInAgain; advice != DockText::ProgressPercent;
         advice = static_cast<DockText>(static_cast<int>(advice) + 1))
        texts.push_back(FormatText(fit.Of(DockText::StateFailed), {fit.Of(advice)}));
    return texts;
}

class DockTextFit : public ::testing::TestWithParam<Language> {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        m_settings = ReadySettings(m_folder, GetParam());
    }

    TempFolder m_folder;
    DockSettings m_settings;
};

TEST_P(DockTextFit, EveryTextFitsItsControl)
{
    Fit fit(GetParam());
    DockWindow dock(m_settings);
    WindowDriver::Run([&] { return dock.DoModal(); }, [&](WindowDriver& driver) {
        HWND window = driver.WaitForWindow(fit.Of(DockText::Title));
        fit.Children(window);
        HWND list = GetDlgItem(window, IDC_DOCK_CAMERAS);
        for (int column = 0; column < static_cast<int>(Column::Count); ++column)
            fit.Column(list, column, column == static_cast<int>(Column::State) ? StateTexts(fit)
                                                                               : std::vector<std::wstring>());
        fit.Column(list, static_cast<int>(Column::Progress),
                   {FormatText(fit.Of(DockText::ProgressPercent), {L"100"}) + L" · "
                    + FormatText(fit.Of(DockText::ProgressRate), {L"100.0"}) + L" · "
                    + FormatText(fit.Of(DockText::ProgressTimeLeft),
                                 {FormatText(fit.Of(DockText::TimeHours), {L"10", L"59"})})});
        HWND bar = GetDlgItem(window, IDC_DOCK_STATUS);
        fit.StatusPart(bar, 0, {FormatText(fit.Of(DockText::StatusArchiveFree), {L"1999.9 GB"}),
                                fit.Of(DockText::StatusNoArchive), fit.Of(DockText::StatusArchiveReachable)});
        fit.StatusPart(bar, 1, {FormatText(fit.Of(DockText::StatusChainBroken), {L"1234567"}),
                                fit.Of(DockText::StatusChainWhole), fit.Of(DockText::StatusChainUnreadable)});
        fit.StatusPart(bar, 2, {FormatText(fit.Of(DockText::StatusToday), {L"999", L"999"})});
        fit.StatusPart(bar, 3, {fit.Of(DockText::StatusStopping), fit.Of(DockText::StatusWaiting)});
        // The other state of the Stop/Start button.
        fit.Text(GetDlgItem(window, IDC_DOCK_STOP_START), fit.Of(DockText::StartDock), 0x7fff);
        driver.CloseBox(window);
        driver.WaitUntilGone(window);
    });

    SettingsDialog settings(m_settings, false);
    WindowDriver::Run([&] { return settings.DoModal(); }, [&](WindowDriver& driver) {
        HWND window = driver.WaitForWindow(fit.Of(DockText::SettingsTitle));
        fit.Children(window);
        HWND result = GetDlgItem(window, IDC_TRIAL_RESULT);
        RECT room{};
        GetClientRect(result, &room);
        for (DockText text : {DockText::TrialRunning, DockText::TrialAccepted, DockText::TrialRefused,
                              DockText::TrialNoCamera, DockText::TrialDockRunning})
            fit.Text(result, fit.Of(text), room.right);
        HWND problem = GetDlgItem(window, IDC_SETTINGS_PROBLEM);
        GetClientRect(problem, &room);
        for (DockText text : {DockText::SettingsWhileRunning, DockText::ProblemArchive, DockText::ProblemAuditFile,
                              DockText::ProblemPassword, DockText::ProblemMaxCopies, DockText::ProblemNotSaved,
                              DockText::PresetHint, DockText::ProblemEndpoint, DockText::ProblemRegion,
                              DockText::ProblemAccessKeyId, DockText::ProblemSecretKey, DockText::ProblemRetainDays})
            fit.Text(problem, fit.Of(text), room.right);
        // The store's fields, hidden for the folder but named all the same.
        HWND lockMode = GetDlgItem(window, IDC_LOCK_MODE);
        GetClientRect(lockMode, &room);
        for (DockText text : {DockText::LockCompliance, DockText::LockGovernance})
            fit.Text(lockMode, fit.Of(text), room.right - GetSystemMetrics(SM_CXVSCROLL));
        driver.Click(window, IDCANCEL);
        driver.WaitUntilGone(window);
    });

    VerifyDialog verify(ForStation(m_settings), GetParam(), nullptr);
    WindowDriver::Run([&] { return verify.DoModal(); }, [&](WindowDriver& driver) {
        HWND window = driver.WaitForWindow(fit.Of(DockText::VerifyTitle));
        fit.Children(window);
        HWND status = GetDlgItem(window, IDC_VERIFY_STATUS);
        RECT room{};
        GetClientRect(status, &room);
        fit.Text(status, FormatText(fit.Of(DockText::VerifyProgress), {L"9999", L"9999"}), room.right);
        fit.Text(status, FormatText(fit.Of(DockText::VerifyDone), {L"9999", L"9999"}), room.right);
        fit.Column(GetDlgItem(window, IDC_VERIFY_RESULTS), 1,
                   {fit.Of(DockText::VerifyValid), fit.Of(DockText::VerifyUnfinished), fit.Of(DockText::VerifyStopped)});
        driver.Click(window, IDCANCEL);
        driver.WaitUntilGone(window);
    });

    AuditDialog audit(m_settings.auditFile, GetParam(), nullptr);
    WindowDriver::Run([&] { return audit.DoModal(); }, [&](WindowDriver& driver) {
        HWND window = driver.WaitForWindow(fit.Of(DockText::AuditTitle));
        fit.Children(window, IDC_AUDIT_STATUS);
        driver.Click(window, IDCANCEL);
        driver.WaitUntilGone(window);
    });

    std::string report = fit.Report();
    EXPECT_TRUE(report.empty()) << report;
}

std::string LanguageOf(const ::testing::TestParamInfo<Language>& info)
{
    return LanguageName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Languages, DockTextFit, ::testing::Values(kChinese, kEnglish, kRussian, kUkrainian),
                         LanguageOf);

}  // namespace
