#include "ProgramDriver.h"

#include <cwctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace e2e {

namespace {

constexpr DWORD kPollMs = 20;
// A handler may keep the program from answering for its pauses (up to 1.2 s) and a slow camera's.
constexpr UINT kAnswerMs = 5000;
// Both windows of the program share their title; each has a control the other lacks.
constexpr int kSignInMarker = 1002;
constexpr int kCameraMarker = 1036;
const wchar_t kTitle[] = L"Stand-Alone Kestrava";

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::towupper(text[i]) != std::towupper(prefix[i]))
            return false;
    return true;
}

std::wstring Lower(std::wstring text)
{
    for (auto& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// The test program's environment for the child: the camera's files and
// faults replaced, and without the sim folder when the library must be missing.
std::wstring ChildEnvironment(const ProgramOptions& options)
{
    std::vector<std::wstring> variables;
    struct EnvironmentBlock {
        wchar_t* block = GetEnvironmentStringsW();
        ~EnvironmentBlock() { FreeEnvironmentStringsW(block); }
    } current;
    for (const wchar_t* entry = current.block; entry && *entry; entry += wcslen(entry) + 1) {
        std::wstring variable = entry;
        if (StartsWithNoCase(variable, L"NVUSB_SIM_"))
            continue;
        if (!options.cameraLibrary) {
            if (StartsWithNoCase(variable, L"WINEPATH="))
                continue;
            if (StartsWithNoCase(variable, L"PATH=")) {
                std::wstring kept;
                std::wistringstream parts(variable.substr(5));
                for (std::wstring part; std::getline(parts, part, L';');) {
                    if (part.empty() || Lower(part).find(L"camera-sim") != std::wstring::npos)
                        continue;
                    kept += (kept.empty() ? L"" : L";") + part;
                }
                variable = L"PATH=" + kept;
            }
        }
        variables.push_back(variable);
    }
    variables.push_back(L"NVUSB_SIM_STATE=" + options.statePath);
    variables.push_back(L"NVUSB_SIM_LOG=" + options.logPath);
    if (!options.faults.empty())
        variables.push_back(L"NVUSB_SIM_FAULTS=" + options.faults);
    std::wstring block;
    for (const auto& variable : variables)
        block += variable + L'\0';
    block += L'\0';
    return block;
}

struct Search {
    DWORD processId;
    const std::wstring* title;
    int controlId;
    const std::vector<HWND>* except;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    for (HWND other : *search->except)
        if (other == window)
            return TRUE;
    // The title as the system keeps it: no message, so a busy program cannot stall the search.
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (*search->title != title)
        return TRUE;
    if (search->controlId != 0 && !GetDlgItem(window, search->controlId))
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

void WaitUntil(const std::function<bool()>& condition, const std::string& what, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            throw WaitTimedOut("timed out after " + std::to_string(timeoutMs) + " ms waiting for " + what);
        Sleep(kPollMs);
    }
}

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

void SetClipboardText(const std::wstring& text)
{
    WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, "the clipboard");
    struct Closer {
        ~Closer() { CloseClipboard(); }
    } closer;
    EmptyClipboard();
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory)
        throw std::runtime_error("no memory for the clipboard");
    memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    // The clipboard owns the memory once it has taken it.
    if (!SetClipboardData(CF_UNICODETEXT, memory))
        GlobalFree(memory);
}

// ExternalWindow

HWND ExternalWindow::Control(int id) const
{
    HWND control = GetDlgItem(m_window, id);
    if (!control)
        throw std::runtime_error("the window has no control " + std::to_string(id));
    return control;
}

LRESULT ExternalWindow::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kAnswerMs, &result))
        throw WaitTimedOut("the program did not answer message " + std::to_string(message));
    return static_cast<LRESULT>(result);
}

std::wstring ExternalWindow::TextOf(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kAnswerMs, &length))
        throw WaitTimedOut("the program did not answer WM_GETTEXTLENGTH");
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_NORMAL, kAnswerMs, &copied))
        throw WaitTimedOut("the program did not answer WM_GETTEXT");
    text.resize(wcslen(text.c_str()));
    return text;
}

int ExternalWindow::TextLimit(int id) const
{
    return static_cast<int>(Send(Control(id), EM_GETLIMITTEXT, 0, 0));
}

int ExternalWindow::Selection(int id) const
{
    return static_cast<int>(Send(Control(id), CB_GETCURSEL, 0, 0));
}

std::wstring ExternalWindow::SelectedText(int id) const
{
    int index = Selection(id);
    if (index < 0)
        return L"";
    HWND list = Control(id);
    std::wstring text(static_cast<size_t>(Send(list, CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
    Send(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(wcslen(text.c_str()));
    return text;
}

std::vector<std::wstring> ExternalWindow::ListItems(int id) const
{
    HWND list = Control(id);
    std::vector<std::wstring> items;
    int count = static_cast<int>(Send(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring text(static_cast<size_t>(Send(list, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        Send(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(wcslen(text.c_str()));
        items.push_back(text);
    }
    return items;
}

int ExternalWindow::FocusId() const
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(m_window, nullptr), &info) || !info.hwndFocus)
        return 0;
    if (GetParent(info.hwndFocus) != m_window && info.hwndFocus != m_window)
        return 0;
    return GetDlgCtrlID(info.hwndFocus);
}

void ExternalWindow::Click(int id) const
{
    PostMessageW(Control(id), BM_CLICK, 0, 0);
}

void ExternalWindow::Type(int id, const std::wstring& characters) const
{
    HWND control = Control(id);
    for (wchar_t c : characters)
        PostMessageW(control, WM_CHAR, c, 1);
}

void ExternalWindow::PressKey(int id, UINT virtualKey) const
{
    HWND control = Control(id);
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(control, WM_KEYDOWN, virtualKey, 1 | scan);
    PostMessageW(control, WM_KEYUP, virtualKey, 1 | scan | (static_cast<LPARAM>(3) << 30));
}

void ExternalWindow::PressAltF4() const
{
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(VK_F4, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(m_window, WM_SYSKEYDOWN, VK_F4, 1 | scan | (1 << 29));
}

void ExternalWindow::CloseBox() const
{
    PostMessageW(m_window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void ExternalWindow::Choose(int id, int index) const
{
    HWND list = Control(id);
    Send(list, CB_SETCURSEL, index, 0);
    PostMessageW(m_window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void ExternalWindow::SetText(int id, const std::wstring& text) const
{
    HWND control = Control(id);
    Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    // The caret at the end, as after typing the text.
    Send(control, EM_SETSEL, text.size(), static_cast<LPARAM>(text.size()));
}

void ExternalWindow::Paste(int id) const
{
    HWND control = Control(id);
    Send(control, EM_SETSEL, 0, -1);
    Send(control, WM_PASTE, 0, 0);
}

void ExternalWindow::SelectItem(int id, int index) const
{
    Send(Control(id), CB_SETCURSEL, index, 0);
}

void ExternalWindow::Focus(int id) const
{
    Send(m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(id)), TRUE);
}

void ExternalWindow::Settle(int editId) const
{
    // A posted limit change is handled after everything posted before it; the
    // edit's limit then shows it, and is put back at once.
    constexpr int kMarker = 0x5E77;
    HWND edit = Control(editId);
    int limit = static_cast<int>(Send(edit, EM_GETLIMITTEXT, 0, 0));
    PostMessageW(edit, EM_SETLIMITTEXT, kMarker, 0);
    WaitUntil([&] { return Send(edit, EM_GETLIMITTEXT, 0, 0) == kMarker; }, "the program to handle its input");
    Send(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(limit), 0);
}

// Program

Program::Program(const ProgramOptions& options)
{
    std::wstring exe = ProgramFolder() + L"\\Orvane.exe";
    m_outputPath = options.folder + L"\\output.txt";
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    UniqueHandle output(CreateFileW(m_outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    std::wstring environment = ChildEnvironment(options);
    std::wstring commandLine = L"\"" + exe + L"\"";
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                        &environment[0], options.folder.c_str(), &startup, &process))
        throw std::runtime_error("cannot start " + Narrow(exe) + ", error " + std::to_string(GetLastError()));
    CloseHandle(process.hThread);
    m_process.reset(process.hProcess);
    m_processId = process.dwProcessId;
}

Program::~Program()
{
    if (Running())
        TerminateProcess(m_process.get(), 1);
    WaitForSingleObject(m_process.get(), kWaitMs);
}

bool Program::Running() const
{
    return WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT;
}

DWORD Program::WaitForExit(DWORD timeoutMs) const
{
    if (WaitForSingleObject(m_process.get(), timeoutMs) != WAIT_OBJECT_0)
        throw WaitTimedOut("the program did not end within " + std::to_string(timeoutMs) + " ms");
    DWORD code = 0;
    GetExitCodeProcess(m_process.get(), &code);
    return code;
}

HWND Program::FindWindow(const std::wstring& title, int controlId, const std::vector<HWND>& except) const
{
    Search search{m_processId, &title, controlId, &except, nullptr};
    EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

ExternalWindow Program::WaitForWindow(const std::wstring& title, int controlId, DWORD timeoutMs,
                                      const std::vector<HWND>& except) const
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            if (!Running())
                throw std::runtime_error("the program ended while a window titled " + Narrow(title) +
                                         " was awaited");
            found = FindWindow(title, controlId, except);
            return found != nullptr;
        },
        "a window titled " + Narrow(title), timeoutMs);
    return ExternalWindow(found);
}

ExternalWindow Program::WaitForSignInWindow(DWORD timeoutMs) const
{
    return WaitForWindow(kTitle, kSignInMarker, timeoutMs);
}

ExternalWindow Program::WaitForCameraWindow(DWORD timeoutMs) const
{
    return WaitForWindow(kTitle, kCameraMarker, timeoutMs);
}

bool Program::CameraWindowOpen() const
{
    return FindWindow(kTitle, kCameraMarker) != nullptr;
}

Notice Program::WaitForNotice(DWORD timeoutMs, const std::vector<HWND>& except) const
{
    Notice notice;
    notice.box = WaitForWindow(L"VUZ", 0, timeoutMs, except);
    // A round trip returns once the box is in its own loop, shown and relabelled.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(notice.box.hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, kAnswerMs, &ignored);
    notice.text = notice.box.Text(0xFFFF);
    notice.button = notice.box.Text(IDOK);
    return notice;
}

void Program::CloseNotice(const Notice& notice) const
{
    PostMessageW(notice.box.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(notice.box.hwnd(), IDOK)));
    WaitUntil([&] { return !IsWindow(notice.box.hwnd()) || !IsWindowVisible(notice.box.hwnd()); },
              "a notice to close");
}

std::string Program::Output() const
{
    std::ifstream in(std::filesystem::path(m_outputPath), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace e2e
