#include "dock/DockWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <iterator>

#include "DockResources.h"
#include "dock/AuditDialog.h"
#include "dock/SettingsDialog.h"
#include "dock/VerifyDialog.h"
#include "dock/WindowTexts.h"
#include "platform/LocalHost.h"
#include "platform/WindowsPaths.h"
#include "station/ArchiveOpen.h"
#include "station/Secret.h"

namespace {

constexpr UINT kEventsWaiting = WM_APP + 1;
constexpr UINT kStatusChecked = WM_APP + 2;
constexpr UINT kFirstStart = WM_APP + 3;

// Progress moves the rows at this pace; a change of state at once.
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 250;
// The free space and the audit chain are looked at again this often, and
// after each camera's turn.
constexpr std::uint64_t kStatusEveryMs = 30000;

constexpr ControlText kTexts[] = {
    {0, DockText::Title},
    {IDC_DOCK_VERIFY, DockText::VerifyArchive},
    {IDC_DOCK_AUDIT, DockText::AuditTrail},
    {IDC_DOCK_OPEN_BAG, DockText::OpenBagFolder},
    {IDC_DOCK_SETTINGS, DockText::Settings},
};

constexpr ListColumn kColumns[] = {
    {DockText::ColumnSerial, 175}, {DockText::ColumnCameraId, 80}, {DockText::ColumnUserName, 100},
    {DockText::ColumnState, 395},  {DockText::ColumnProgress, 280}, {DockText::ColumnBag, 100},
};
static_assert(std::size(kColumns) == static_cast<std::size_t>(Column::Count), "a list column per row text");

enum StatusPart { kArchivePart, kAuditPart, kTodayPart, kDockPart, kPartCount };

// How each control follows the window's size: the list takes the room, the
// buttons stay below it, Settings at the right.
struct Anchor {
    int id;
    bool right;   // keeps its distance to the right edge
    bool bottom;  // keeps its distance to the bottom edge
    bool grows;   // keeps both distances by growing
};
constexpr Anchor kAnchors[] = {
    {IDC_DOCK_CAMERAS, false, false, true},   {IDC_DOCK_STOP_START, false, true, false},
    {IDC_DOCK_VERIFY, false, true, false},    {IDC_DOCK_AUDIT, false, true, false},
    {IDC_DOCK_OPEN_BAG, false, true, false},  {IDC_DOCK_SETTINGS, true, true, false},
};
// The least height of the window, in pixels; its least width keeps the
// buttons apart.
constexpr LONG kMinHeight = 320;
constexpr LONG kButtonGap = 8;

std::int64_t LocalDay()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now.wYear * 10000 + now.wMonth * 100 + now.wDay;
}

void SetStatusPart(HWND bar, StatusPart part, const std::wstring& text)
{
    SendMessageW(bar, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(text.c_str()));
    // The whole of it where the part cuts it short, as a store's problem.
    SendMessageW(bar, SB_SETTIPTEXTW, part, reinterpret_cast<LPARAM>(text.c_str()));
}

// Empty when the archive in an object store can be read; otherwise what
// keeps it, in the operator's words. Asks the store: for the status thread.
std::string StoreProblem(const std::string& archive, station::StoreAccess& access)
{
    platform::LocalHost host;  // outlives the archive, which signs through it
    std::string error;
    std::shared_ptr<station::Archive> opened = station::OpenArchive(host, archive, access, error);
    WipeText(access.secretAccessKey);
    return opened ? opened->Problem(false) : error;
}

void FindFreeSpace(const std::string& folder, bool& reachable, std::uint64_t& free)
{
    ULARGE_INTEGER bytes{};
    reachable = GetDiskFreeSpaceExW(platform::Wide(folder).c_str(), &bytes, nullptr, nullptr) != FALSE;
    free = bytes.QuadPart;
}

}  // namespace

void RegisterDockWindowClass()
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(ui::Dialog::ResourceModule(), kDockWindowClass, &windowClass))
        return;
    windowClass.lpfnWndProc = DefDlgProcW;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = ui::Dialog::ResourceModule();
    windowClass.hIcon = LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(IDI_DOCK));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kDockWindowClass;
    RegisterClassExW(&windowClass);
}

DockWindow::DockWindow(DockSettings settings) : ui::Dialog(IDD_DOCK), m_settings(std::move(settings))
{
    RegisterDockWindowClass();
    m_events = std::make_unique<QueuedEvents>(m_queue, [this] {
        if (HWND window = m_wakeTarget.load())
            PostMessageW(window, kEventsWaiting, 0, 0);
    });
}

DockWindow::~DockWindow()
{
    m_wakeTarget = nullptr;
    if (m_dock) {
        m_dock->RequestStop();
        m_dock->Wait();
    }
    m_dock.reset();
    if (m_statusThread.joinable())
        m_statusThread.join();
}

BOOL DockWindow::OnInitDialog()
{
    HWND list = GetDlgItem(IDC_DOCK_CAMERAS);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    AddColumns(list, m_settings.language, kColumns, std::size(kColumns));
    // The bag takes what the others leave.
    SendMessageW(list, LVM_SETCOLUMNWIDTH, std::size(kColumns) - 1, LVSCW_AUTOSIZE_USEHEADER);
    RememberDesign();
    LayoutStatusBar();
    ApplyLanguage();
    m_wakeTarget = hwnd();
    SetTimer(kRefreshTimer, kRefreshMs);
    if (CheckSettings(m_settings) != SettingsProblem::None) {
        // Over the window, once it shows, so that a second start finds it.
        PostMessageW(hwnd(), kFirstStart, 0, 0);
        return TRUE;
    }
    StartDock();
    CheckStatus();
    DrainEvents();
    return TRUE;
}

// Nothing to watch with until the settings are given; without them the
// dock ends.
void DockWindow::FirstStart()
{
    SettingsDialog dialog(m_settings, false, hwnd());
    if (dialog.DoModal() != IDOK) {
        EndDialog(IDCANCEL);
        return;
    }
    m_settings = dialog.Settings();
    ApplyLanguage();
    StartDock();
    CheckStatus();
}

void DockWindow::RememberDesign()
{
    GetClientRect(hwnd(), &m_designClient);
    LONG leftButtonsEnd = 0;
    LONG rightButtonsStart = m_designClient.right;
    for (std::size_t index = 0; index < std::size(kAnchors); ++index) {
        RECT& place = m_designRects[index];
        GetWindowRect(GetDlgItem(kAnchors[index].id), &place);
        MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&place), 2);
        if (kAnchors[index].bottom && kAnchors[index].right)
            rightButtonsStart = std::min(rightButtonsStart, place.left);
        else if (kAnchors[index].bottom)
            leftButtonsEnd = std::max(leftButtonsEnd, place.right);
    }
    RECT frame{};
    GetWindowRect(hwnd(), &frame);
    m_minWidth = frame.right - frame.left - (rightButtonsStart - leftButtonsEnd - kButtonGap);
}

void DockWindow::Layout()
{
    static_assert(std::size(kAnchors) == kAnchoredControls, "a place kept for each anchored control");
    RECT client{};
    GetClientRect(hwnd(), &client);
    LONG dx = client.right - m_designClient.right;
    LONG dy = client.bottom - m_designClient.bottom;
    for (std::size_t index = 0; index < std::size(kAnchors); ++index) {
        const Anchor& anchor = kAnchors[index];
        RECT place = m_designRects[index];
        if (anchor.grows) {
            place.right += dx;
            place.bottom += dy;
        }
        if (anchor.right)
            OffsetRect(&place, dx, 0);
        if (anchor.bottom)
            OffsetRect(&place, 0, dy);
        MoveWindow(GetDlgItem(anchor.id), place.left, place.top, place.right - place.left, place.bottom - place.top,
                   TRUE);
    }
    SendDlgItemMessageW(hwnd(), IDC_DOCK_CAMERAS, LVM_SETCOLUMNWIDTH, std::size(kColumns) - 1,
                        LVSCW_AUTOSIZE_USEHEADER);
    LayoutStatusBar();
}

void DockWindow::LayoutStatusBar()
{
    HWND bar = GetDlgItem(IDC_DOCK_STATUS);
    SendMessageW(bar, WM_SIZE, 0, 0);
    RECT client{};
    GetClientRect(hwnd(), &client);
    int width = client.right - client.left;
    int edges[kPartCount] = {width * 17 / 100, width * 47 / 100, width * 71 / 100, -1};
    SendMessageW(bar, SB_SETPARTS, kPartCount, reinterpret_cast<LPARAM>(edges));
}

void DockWindow::ApplyLanguage()
{
    Language language = m_settings.language;
    ApplyTexts(hwnd(), language, kTexts);
    ::SetDlgItemTextW(hwnd(), IDC_DOCK_STOP_START,
                    DockTextOf(language, m_running ? DockText::StopDock : DockText::StartDock));
    RetitleColumns(GetDlgItem(IDC_DOCK_CAMERAS), language, kColumns, std::size(kColumns));
    m_shown.clear();
    ++m_layoutShown;  // every row anew, in the new language
    RefreshRows();
    RefreshStatus();
}

void DockWindow::StartDock()
{
    if (m_running || CheckSettings(m_settings) != SettingsProblem::None)
        return;
    m_dock.reset();  // the last run has ended: only its threads are joined
    m_dock = std::make_unique<station::Dock>(ForStation(m_settings), *m_events);
    m_dock->Start();
    m_running = true;
    m_stopping = false;
    m_runEnded.clear();
    ::SetDlgItemTextW(hwnd(), IDC_DOCK_STOP_START, DockTextOf(m_settings.language, DockText::StopDock));
    RefreshStatus();
}

void DockWindow::StopDock()
{
    if (!m_running || m_stopping)
        return;
    m_stopping = true;
    m_dock->RequestStop();
    EnableWindow(GetDlgItem(IDC_DOCK_STOP_START), FALSE);
    RefreshStatus();
}

void DockWindow::OnStopStart()
{
    if (m_running)
        StopDock();
    else
        StartDock();
}

void DockWindow::RunEnded(station::Outcome outcome, const std::string& reason)
{
    m_running = false;
    m_stopping = false;
    m_runEnded = outcome == station::Outcome::Stopped ? std::wstring() : platform::Wide(reason);
    EnableWindow(GetDlgItem(IDC_DOCK_STOP_START), TRUE);
    ::SetDlgItemTextW(hwnd(), IDC_DOCK_STOP_START, DockTextOf(m_settings.language, DockText::StartDock));
    if (m_shutdownBlocked) {
        ShutdownBlockReasonDestroy(hwnd());
        m_shutdownBlocked = false;
    }
    if (m_closing)
        EndDialog(IDCANCEL);
}

void DockWindow::DrainEvents()
{
    bool stateChanged = false;
    std::uint64_t now = GetTickCount64();
    std::int64_t day = LocalDay();
    for (const DockEvent& event : m_queue.Take()) {
        m_rows.Apply(event, now, day);
        switch (event.kind) {
        case DockEvent::Kind::Progress:
            continue;
        case DockEvent::Kind::Finished:
            CheckStatus();
            break;
        case DockEvent::Kind::RunEnded:
            RunEnded(event.outcome, event.text);
            break;
        default:
            break;
        }
        stateChanged = true;
    }
    if (stateChanged) {
        RefreshRows();
        RefreshStatus();
    }
}

void DockWindow::RefreshRows()
{
    HWND list = GetDlgItem(IDC_DOCK_CAMERAS);
    if (m_rows.Layout() != m_layoutShown) {
        SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
        m_shown.clear();
        m_layoutShown = m_rows.Layout();
    }
    for (std::size_t index = 0; index < m_rows.Rows().size(); ++index) {
        RowTexts texts = m_rows.Texts(index, m_settings.language);
        if (index == m_shown.size()) {
            m_shown.emplace_back();
            SetListText(list, static_cast<int>(index), 0, texts[0]);
            m_shown.back()[0] = texts[0];
        }
        for (std::size_t column = 0; column < texts.size(); ++column) {
            if (texts[column] == m_shown[index][column])
                continue;
            SetListText(list, static_cast<int>(index), static_cast<int>(column), texts[column]);
            m_shown[index][column] = texts[column];
        }
    }
}

void DockWindow::RefreshStatus()
{
    Language language = m_settings.language;
    HWND bar = GetDlgItem(IDC_DOCK_STATUS);
    if (m_haveFacts) {
        SetStatusPart(bar, kArchivePart, ArchiveStatus(language));
        const AuditView& audit = m_shownFacts.audit;
        std::wstring chain = DockTextOf(language, DockText::StatusChainUnreadable);
        if (audit.chain == AuditView::Chain::Whole || audit.chain == AuditView::Chain::AwaitsChain)
            chain = DockTextOf(language, DockText::StatusChainWhole);
        else if (audit.chain == AuditView::Chain::Broken)
            chain = FormatText(DockTextOf(language, DockText::StatusChainBroken), {std::to_wstring(audit.brokenAt)});
        SetStatusPart(bar, kAuditPart, chain);
    } else {
        SetStatusPart(bar, kAuditPart, DockTextOf(language, DockText::StatusChainChecking));
    }
    DockTally today = m_rows.Today(LocalDay());
    SetStatusPart(bar, kTodayPart,
                  FormatText(DockTextOf(language, DockText::StatusToday),
                             {std::to_wstring(today.offloaded), std::to_wstring(today.failed)}));
    std::wstring dock = DockTextOf(language, DockText::StatusStopped);
    if (m_stopping)
        dock = DockTextOf(language, DockText::StatusStopping);
    else if (m_running)
        dock = DockTextOf(language, DockText::StatusWaiting);
    else if (!m_runEnded.empty())
        dock = FormatText(DockTextOf(language, DockText::StatusRunEnded), {m_runEnded});
    SetStatusPart(bar, kDockPart, dock);
}

// A folder's free space; whether a store answers, which has no free space
// to speak of.
std::wstring DockWindow::ArchiveStatus(Language language) const
{
    const StatusFacts& facts = m_shownFacts;
    if (facts.inStore && facts.storeProblem.empty())
        return DockTextOf(language, DockText::StatusArchiveReachable);
    if (facts.inStore)
        return FormatText(DockTextOf(language, DockText::StatusArchiveProblem), {platform::Wide(facts.storeProblem)});
    if (facts.archiveReachable)
        return FormatText(DockTextOf(language, DockText::StatusArchiveFree), {SizeText(facts.archiveFree, language)});
    return DockTextOf(language, DockText::StatusNoArchive);
}

// The archive's free space or its store's answer, and the audit chain,
// looked at on a thread: a share or a store may take its time to answer,
// and the trail may be long.
void DockWindow::CheckStatus()
{
    m_lastStatusMs = GetTickCount64();
    // A bag in an object store is no folder Explorer can open.
    EnableWindow(::GetDlgItem(hwnd(), IDC_DOCK_OPEN_BAG), !IsStoreArchive(m_settings.archive));
    if (CheckSettings(m_settings) != SettingsProblem::None)
        return;  // no archive or trail named yet
    if (m_statusThread.joinable()) {
        m_statusAgain = true;
        return;
    }
    HWND window = hwnd();
    std::string archive = m_settings.archive;
    std::string auditFile = m_settings.auditFile;
    station::StoreAccess access = StoreAccessOf(m_settings);
    m_facts = std::make_unique<StatusFacts>();
    m_facts->inStore = IsStoreArchive(archive);
    m_statusThread = std::thread([window, archive, auditFile, access, facts = m_facts.get()]() mutable {
        if (facts->inStore)
            facts->storeProblem = StoreProblem(archive, access);
        else
            FindFreeSpace(archive, facts->archiveReachable, facts->archiveFree);
        facts->audit = ReadAuditView(custody::LocalFileSystem(), auditFile, 0);
        PostMessageW(window, kStatusChecked, 0, 0);
    });
    WipeText(access.secretAccessKey);  // the thread has its own
}

void DockWindow::StatusChecked()
{
    if (m_statusThread.joinable())
        m_statusThread.join();
    if (m_facts) {
        m_shownFacts = std::move(*m_facts);
        m_haveFacts = true;
    }
    RefreshStatus();
    if (m_statusAgain) {
        m_statusAgain = false;
        CheckStatus();
    }
}

void DockWindow::OnSettings()
{
    SettingsDialog dialog(m_settings, m_running, hwnd());
    if (dialog.DoModal() != IDOK)
        return;
    m_settings = dialog.Settings();
    ApplyLanguage();
    CheckStatus();
}

void DockWindow::OnVerify()
{
    VerifyDialog(ForStation(m_settings), m_settings.language, hwnd()).DoModal();
}

void DockWindow::OnAudit()
{
    AuditDialog(m_settings.auditFile, m_settings.language, hwnd()).DoModal();
}

void DockWindow::OnOpenBag()
{
    auto selected = static_cast<int>(
        SendDlgItemMessageW(hwnd(), IDC_DOCK_CAMERAS, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (selected < 0 || static_cast<std::size_t>(selected) >= m_rows.Rows().size()
        || m_rows.Rows()[static_cast<std::size_t>(selected)].bag.empty()) {
        Tell(hwnd(), m_settings.language, DockText::NoBagYet);
        return;
    }
    std::wstring bag = platform::Wide(m_rows.Rows()[static_cast<std::size_t>(selected)].bag);
    ShellExecuteW(hwnd(), L"open", bag.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// Closing while copies run asks first; then every copy stops at its next
// block with its line written, and the window goes once the run has ended.
void DockWindow::OnCancel()
{
    if (m_closing)
        return;
    if (!m_running) {
        EndDialog(IDCANCEL);
        return;
    }
    if (m_rows.Busy() > 0 && !AskYesNo(hwnd(), m_settings.language, DockText::ConfirmClose))
        return;
    m_closing = true;
    for (int id : {IDC_DOCK_STOP_START, IDC_DOCK_SETTINGS, IDC_DOCK_VERIFY})
        EnableWindow(GetDlgItem(id), FALSE);
    StopDock();
}

// Windows is shutting down or the user logs off: copies running hold the
// shutdown with their reason while they stop cleanly.
LRESULT DockWindow::QueryEndSession()
{
    if (!m_running)
        return TRUE;
    bool copying = m_rows.Busy() > 0;
    if (copying && !m_shutdownBlocked)
        m_shutdownBlocked =
            ShutdownBlockReasonCreate(hwnd(), DockTextOf(m_settings.language, DockText::ShutdownReason)) != FALSE;
    m_closing = true;
    StopDock();
    RefreshStatus();
    return copying ? FALSE : TRUE;
}

// The session ends whatever was answered: the run is stopped and waited
// for here, since the process goes when this returns.
void DockWindow::EndSession(bool ending)
{
    if (!ending || !m_dock)
        return;
    m_dock->RequestStop();
    m_dock->Wait();
}

bool DockWindow::PreTranslateMessage(MSG* message)
{
    // Escape does not close the dock.
    return message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE;
}

bool DockWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case kEventsWaiting:
        DrainEvents();
        return true;
    case kStatusChecked:
        StatusChecked();
        return true;
    case kFirstStart:
        FirstStart();
        return true;
    case WM_TIMER:
        if (wParam != kRefreshTimer)
            return false;
        DrainEvents();
        RefreshRows();
        if (GetTickCount64() - m_lastStatusMs >= kStatusEveryMs)
            CheckStatus();
        return true;
    case WM_QUERYENDSESSION:
        result = QueryEndSession();
        return true;
    case WM_ENDSESSION:
        EndSession(wParam != FALSE);
        return true;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED && m_designClient.right > 0)
            Layout();
        return true;
    case WM_GETMINMAXINFO:
        if (m_minWidth > 0)
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {m_minWidth, kMinHeight};
        return true;
    case WM_DESTROY:
        m_wakeTarget = nullptr;
        return false;
    case WM_COMMAND:
        break;
    default:
        return false;
    }
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    switch (LOWORD(wParam)) {
    case IDC_DOCK_STOP_START:
        OnStopStart();
        return true;
    case IDC_DOCK_SETTINGS:
        OnSettings();
        return true;
    case IDC_DOCK_VERIFY:
        OnVerify();
        return true;
    case IDC_DOCK_AUDIT:
        OnAudit();
        return true;
    case IDC_DOCK_OPEN_BAG:
        OnOpenBag();
        return true;
    default:
        return false;
    }
}
