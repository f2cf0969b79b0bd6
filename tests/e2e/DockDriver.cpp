#include "DockDriver.h"

#include <commctrl.h>
#include <psapi.h>

#include <cwctype>
#include <stdexcept>

#include "DockResources.h"

namespace e2e {

namespace {

const wchar_t kDockClass[] = L"OrvaneDockWindow";
const wchar_t kDockImage[] = L"OrvaneDock.exe";
constexpr int kCameraList = 1001;
constexpr int kColumns = 6;
constexpr int kCellChars = 512;
constexpr UINT kAnswerMs = 5000;

std::wstring Lower(std::wstring text)
{
    for (auto& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool Holds(const std::wstring& text, const std::wstring& part)
{
    return Lower(text).find(Lower(part)) != std::wstring::npos;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

DWORD ProcessOf(HWND window)
{
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

bool IsDockProcess(DWORD processId)
{
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    wchar_t path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (!process || !QueryFullProcessImageNameW(process.get(), 0, path, &length))
        return false;
    std::wstring image = path;
    std::wstring name = image.substr(image.find_last_of(L"\\/") + 1);
    return Lower(name) == Lower(kDockImage);
}

BOOL CALLBACK MatchPasswordField(HWND child, LPARAM lParam)
{
    if (Lower(ClassOf(child)) != L"edit" || !(GetWindowLongW(child, GWL_STYLE) & ES_PASSWORD))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = child;
    return FALSE;
}

// The password field of a window, among all its descendants; null when none.
HWND PasswordField(HWND window)
{
    HWND found = nullptr;
    EnumChildWindows(window, &MatchPasswordField, reinterpret_cast<LPARAM>(&found));
    return found;
}

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    if (IsWindowVisible(window) && (search->processId == 0 || ProcessOf(window) == search->processId))
        search->found.push_back(window);
    return TRUE;
}

// The visible top-level windows of a process (any process: 0).
std::vector<HWND> TopLevelWindows(DWORD processId)
{
    WindowSearch search{processId, {}};
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The settings dialog: a window of the dock's process with a password field.
HWND SettingsDialog(DWORD processId)
{
    for (HWND window : TopLevelWindows(processId))
        if (ClassOf(window) != kDockClass && PasswordField(window) && (processId || IsDockProcess(ProcessOf(window))))
            return window;
    return nullptr;
}

// Memory in another process, given back when it goes.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t size)
        : m_process(process),
          m_address(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
    {
        if (!m_address)
            throw std::runtime_error("cannot allocate memory in the dock's process");
    }
    ~RemoteBuffer() { VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE); }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    char* address() const { return static_cast<char*>(m_address); }
    void Write(const void* data, size_t size, size_t offset = 0) const
    {
        if (!WriteProcessMemory(m_process, address() + offset, data, size, nullptr))
            throw std::runtime_error("cannot write to the dock's memory");
    }
    void Read(void* data, size_t size, size_t offset = 0) const
    {
        if (!ReadProcessMemory(m_process, address() + offset, data, size, nullptr))
            throw std::runtime_error("cannot read the dock's memory");
    }

private:
    HANDLE m_process;
    void* m_address;
};

std::wstring CellText(HANDLE process, HWND list, int item, int column)
{
    RemoteBuffer buffer(process, sizeof(LVITEMW) + kCellChars * sizeof(wchar_t));
    LVITEMW request{};
    request.iSubItem = column;
    request.cchTextMax = kCellChars;
    request.pszText = reinterpret_cast<wchar_t*>(buffer.address() + sizeof(LVITEMW));
    buffer.Write(&request, sizeof request);
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(buffer.address()), SMTO_NORMAL,
                             kAnswerMs, &length))
        throw WaitTimedOut("the dock did not answer LVM_GETITEMTEXT");
    std::wstring text(kCellChars, L'\0');
    buffer.Read(&text[0], kCellChars * sizeof(wchar_t), sizeof(LVITEMW));
    text.resize(wcsnlen(text.c_str(), kCellChars));
    return text;
}

} // namespace

DockWindow DockWindow::Attach(DWORD timeoutMs)
{
    DWORD processId = 0;
    WaitUntil(
        [&] {
            if (HWND main = FindWindowW(kDockClass, nullptr))
                processId = ProcessOf(main);
            else if (HWND settings = SettingsDialog(0))
                processId = ProcessOf(settings);
            return processId != 0;
        },
        "the dock's window or its settings", timeoutMs);
    DockWindow dock;
    dock.m_processId = processId;
    dock.m_process.reset(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION | PROCESS_VM_READ |
                                         PROCESS_VM_WRITE | SYNCHRONIZE,
                                     FALSE, processId));
    if (!dock.m_process)
        throw std::runtime_error("cannot open the dock's process, error " + std::to_string(GetLastError()));
    return dock;
}

bool DockWindow::Running() const
{
    return WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT;
}

HWND DockWindow::MainWindow() const
{
    for (HWND window : TopLevelWindows(m_processId))
        if (ClassOf(window) == kDockClass)
            return window;
    return nullptr;
}

HWND DockWindow::WaitForSettings(DWORD timeoutMs) const
{
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = SettingsDialog(m_processId)) != nullptr; }, "the dock's settings", timeoutMs);
    return dialog;
}

HWND DockWindow::WaitForMainWindow(DWORD timeoutMs) const
{
    HWND main = nullptr;
    WaitUntil([&] { return (main = MainWindow()) != nullptr; }, "the dock's window", timeoutMs);
    return main;
}

std::vector<DockRow> DockWindow::Rows() const
{
    HWND main = MainWindow();
    if (!main)
        throw std::runtime_error("the dock's window is not shown");
    HWND list = GetDlgItem(main, kCameraList);
    if (!list)
        throw std::runtime_error("the dock's window has no camera list");
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, kAnswerMs, &count))
        throw WaitTimedOut("the dock did not answer LVM_GETITEMCOUNT");
    std::vector<DockRow> rows;
    for (int item = 0; item < static_cast<int>(count); ++item) {
        std::wstring cells[kColumns];
        for (int column = 0; column < kColumns; ++column)
            cells[column] = CellText(m_process.get(), list, item, column);
        rows.push_back({cells[0], cells[1], cells[2], cells[3], cells[4], cells[5]});
    }
    return rows;
}

void DockWindow::FillFirstStart(const std::wstring& password, DWORD timeoutMs) const
{
    HWND dialog = WaitForSettings(timeoutMs);
    ExternalWindow settings(dialog);
    HWND field = PasswordField(dialog);
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(password.c_str()), SMTO_NORMAL,
                             kAnswerMs, &ignored))
        throw WaitTimedOut("the dock did not take the password");
    settings.Click(IDOK);
    WaitUntil([&] { return MainWindow() != nullptr && !IsWindowVisible(dialog); },
              "the dock's window after its settings", timeoutMs);
}

void DockWindow::FillStoreSecret(const std::wstring& secret, DWORD timeoutMs) const
{
    HWND field = GetDlgItem(WaitForSettings(timeoutMs), IDC_SECRET_KEY);
    DWORD_PTR ignored = 0;
    if (!field)
        throw std::runtime_error("the dock's settings have no secret key field");
    if (!SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(secret.c_str()), SMTO_NORMAL, kAnswerMs,
                             &ignored))
        throw WaitTimedOut("the dock did not take the secret key");
}

std::vector<DockRow> DockWindow::WaitForStates(const std::wstring& text, size_t count, DWORD timeoutMs) const
{
    std::vector<DockRow> rows;
    WaitUntil(
        [&] {
            if (!Running())
                throw std::runtime_error("the dock ended");
            rows = MainWindow() ? Rows() : std::vector<DockRow>{};
            size_t matching = 0;
            for (const auto& row : rows)
                matching += Holds(row.state, text) ? 1 : 0;
            return matching >= count;
        },
        std::to_string(count) + " rows in a state holding the text", timeoutMs);
    return rows;
}

DockRow DockWindow::WaitForState(const std::wstring& serial, const std::wstring& text, DWORD timeoutMs) const
{
    DockRow found;
    WaitUntil(
        [&] {
            if (!Running())
                throw std::runtime_error("the dock ended");
            for (const auto& row : MainWindow() ? Rows() : std::vector<DockRow>{})
                if (row.serial == serial && Holds(row.state, text)) {
                    found = row;
                    return true;
                }
            return false;
        },
        "the row of a camera in a state holding the text", timeoutMs);
    return found;
}

void DockWindow::AskToClose(DWORD timeoutMs) const
{
    HWND main = MainWindow();
    if (!main)
        throw std::runtime_error("the dock's window is not shown");
    PostMessageW(main, WM_CLOSE, 0, 0);
    // Without copies running the dock may close without asking.
    HWND question = nullptr;
    WaitUntil(
        [&] {
            if (!Running())
                return true;
            for (HWND box : TopLevelWindows(m_processId)) {
                HWND yes = GetDlgItem(box, IDYES) ? GetDlgItem(box, IDYES) : GetDlgItem(box, IDOK);
                if (ClassOf(box) == L"#32770" && yes) {
                    question = box;
                    PostMessageW(yes, BM_CLICK, 0, 0);
                    return true;
                }
            }
            return false;
        },
        "the dock to ask or end", timeoutMs);
    if (question)
        WaitUntil([&] { return !IsWindow(question) || !IsWindowVisible(question); }, "the dock to take the answer",
                  timeoutMs);
}

void DockWindow::Close(DWORD timeoutMs) const
{
    AskToClose(timeoutMs);
    if (WaitForSingleObject(m_process.get(), timeoutMs) != WAIT_OBJECT_0)
        throw WaitTimedOut("the dock did not end within " + std::to_string(timeoutMs) + " ms");
}

double DockWindow::RoundTripMs(DWORD timeoutMs) const
{
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored))
        return -1;
    QueryPerformanceCounter(&after);
    return 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) / static_cast<double>(frequency.QuadPart);
}

SIZE_T DockWindow::PeakWorkingSetKiB() const
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(m_process.get(), &counters, sizeof counters))
        throw std::runtime_error("GetProcessMemoryInfo failed");
    return counters.PeakWorkingSetSize / 1024;
}

std::wstring Describe(const DockRow& row)
{
    return row.serial + L"|" + row.cameraId + L"|" + row.userName + L"|" + row.state + L"|" + row.progress + L"|" +
           row.bag;
}

} // namespace e2e
