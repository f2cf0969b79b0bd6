// Plays the operator of a program that runs as a process of its own: starts
// it, waits for its windows, clicks and types through window messages, and
// reports what it measured. The steps come from the command line, in order:
//
//   start PATH          start PATH, its folder as working directory
//   window TITLE [ID]   wait for a visible window of the program titled TITLE
//                       (and holding control ID); it becomes the current one.
//                       Prints "window <ms since start>".
//   signin-window       the sign-in window, in any language; prints as "window"
//   camera-window       the camera window (titled as the sign-in window,
//                       told apart by its banner control)
//   connect             press Connect and wait until the camera is connected
//   account N           select account type N (0 Administrator, 1 User) in the
//                       account-type list, whose items carry their type
//   password TEXT       type TEXT into the password field
//   signin              press Sign in and wait for the camera window.
//                       Prints "signin <ms from the press to the window shown>"
//   click ID            press button ID of the current window; posted, since
//                       its handler may run a modal loop of its own
//   box TITLE           wait for a message box or dialog titled TITLE; it
//                       becomes the current window. Prints "box <its text>"
//   dialog ID           wait for a window holding control ID, whatever its
//                       title; it becomes the current window
//   rect                prints "rect <x> <y> <width> <height>" of the
//                       current window, in desktop coordinates
//   memory              prints "memory <peak working set KiB> <working set KiB>"
//   exit                wait until the program has ended
//   kill                end the program at once
//   until-file PATH     wait until PATH exists (a script's signal to go on)
//   sleep MS
//
// A step that fails prints "probe: ..." on standard error, ends the program
// and gives exit status 1.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <functional>
#include <string>
#include <vector>

namespace {

// The windows are told apart by a control of theirs: their caption follows
// the operator's language.
const wchar_t kAnyTitle[] = L"";
const int kUserTypeList = 1000;
const int kPasswordField = 1001;
const int kConnectButton = 1002;
const int kSignInButton = 1003;
const int kCameraBanner = 1036;
const int kMessageBoxText = 0xFFFF;

DWORD g_timeoutMs = 20000;
PROCESS_INFORMATION g_program{};
LARGE_INTEGER g_frequency;
LARGE_INTEGER g_started;
HWND g_current = nullptr;

double MillisecondsSince(const LARGE_INTEGER& then) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart - then.QuadPart) / static_cast<double>(g_frequency.QuadPart);
}

[[noreturn]] void Fail(const std::wstring& what) {
    fwprintf(stderr, L"probe: %ls\n", what.c_str());
    if (g_program.hProcess) TerminateProcess(g_program.hProcess, 1);
    std::exit(1);
}

std::wstring Text(HWND window) {
    wchar_t buffer[512] = L"";
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, nullptr);
    return buffer;
}

bool ProgramEnded() { return g_program.hProcess && WaitForSingleObject(g_program.hProcess, 0) == WAIT_OBJECT_0; }

// Polls `found` every millisecond until it gives a window.
HWND WaitFor(const std::function<HWND()>& found, const std::wstring& what) {
    LARGE_INTEGER since;
    QueryPerformanceCounter(&since);
    for (;;) {
        if (HWND window = found()) return window;
        if (ProgramEnded()) Fail(L"the program ended while waiting for " + what);
        if (MillisecondsSince(since) > g_timeoutMs) Fail(L"timed out waiting for " + what);
        Sleep(1);
    }
}

struct Search {
    std::wstring title;
    int control;
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM context) {
    Search& search = *reinterpret_cast<Search*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != g_program.dwProcessId || !IsWindowVisible(window)) return TRUE;
    wchar_t title[256] = L"";
    GetWindowTextW(window, title, 256);
    if (!search.title.empty() && search.title != title) return TRUE;
    if (search.control && !GetDlgItem(window, search.control)) return TRUE;
    search.found = window;
    return FALSE;
}

HWND FindProgramWindow(const std::wstring& title, int control) {
    Search search{title, control, nullptr};
    EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(const std::wstring& title, int control) {
    return WaitFor([&] { return FindProgramWindow(title, control); }, L"the window \"" + title + L"\"");
}

HWND Control(int id) {
    if (!g_current) Fail(L"no current window");
    HWND control = GetDlgItem(g_current, id);
    if (!control) Fail(L"the current window has no control " + std::to_wstring(id));
    return control;
}

void Click(int id) {
    PostMessageW(g_current, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
}

// A notice ("VUZ") where none was expected ends the probe with its text.
HWND FailOnNotice() {
    if (HWND notice = FindProgramWindow(L"VUZ", 0)) Fail(L"notice: " + Text(GetDlgItem(notice, kMessageBoxText)));
    return nullptr;
}

void Start(const std::wstring& path) {
    std::wstring folder = path.substr(0, path.find_last_of(L"\\/") + 1);
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    QueryPerformanceCounter(&g_started);
    if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &g_program))
        Fail(L"cannot start " + path + L" (error " + std::to_wstring(GetLastError()) + L")");
}

void ShowWindowFound(const std::wstring& title, int control) {
    g_current = WaitForWindow(title, control);
    wprintf(L"window %.1f\n", MillisecondsSince(g_started));
}

// The list is sorted by its texts, so a type's place depends on the language.
void SelectAccountType(int type) {
    HWND list = Control(kUserTypeList);
    int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        if (SendMessageW(list, CB_GETITEMDATA, index, 0) == type) {
            SendMessageW(list, CB_SETCURSEL, index, 0);
            return;
        }
    }
    Fail(L"no account type " + std::to_wstring(type) + L" in the list");
}

void Connect() {
    std::wstring before = Text(Control(kConnectButton));
    Click(kConnectButton);
    WaitFor([&]() -> HWND { return Text(Control(kConnectButton)) != before ? g_current : FailOnNotice(); },
            L"the camera to connect");
}

void SignIn() {
    HWND signInWindow = g_current;
    LARGE_INTEGER pressed;
    QueryPerformanceCounter(&pressed);
    Click(kSignInButton);
    g_current = WaitFor(
        [&]() -> HWND {
            HWND camera = FindProgramWindow(kAnyTitle, kCameraBanner);
            return camera && camera != signInWindow ? camera : FailOnNotice();
        },
        L"the camera window");
    wprintf(L"signin %.1f\n", MillisecondsSince(pressed));
}

void Type(const std::wstring& text) {
    HWND field = Control(kPasswordField);
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    for (wchar_t c : text) SendMessageW(field, WM_CHAR, c, 1);
}

void Memory() {
    // The program's own process handle has every right; opened anew as a
    // monitoring tool would.
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, g_program.dwProcessId);
    if (!process) Fail(L"cannot open the program's process");
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    BOOL ok = GetProcessMemoryInfo(process, &counters, sizeof counters);
    CloseHandle(process);
    if (!ok) Fail(L"GetProcessMemoryInfo failed");
    wprintf(L"memory %zu %zu\n", counters.PeakWorkingSetSize / 1024, counters.WorkingSetSize / 1024);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    QueryPerformanceFrequency(&g_frequency);
    std::vector<std::wstring> steps(argv + 1, argv + argc);
    auto argument = [&](std::size_t& i) -> const std::wstring& {
        if (i + 1 >= steps.size()) Fail(L"step " + steps[i] + L" needs an argument");
        return steps[++i];
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const std::wstring& step = steps[i];
        if (step == L"--timeout") {
            g_timeoutMs = static_cast<DWORD>(std::wcstoul(argument(i).c_str(), nullptr, 10));
        } else if (step == L"start") {
            Start(argument(i));
        } else if (step == L"window") {
            std::wstring title = argument(i);
            int control = 0;
            if (i + 1 < steps.size() && std::iswdigit(steps[i + 1][0])) control = std::stoi(steps[++i]);
            ShowWindowFound(title, control);
        } else if (step == L"signin-window") {
            ShowWindowFound(kAnyTitle, kConnectButton);
        } else if (step == L"camera-window") {
            ShowWindowFound(kAnyTitle, kCameraBanner);
        } else if (step == L"connect") {
            Connect();
        } else if (step == L"account") {
            SelectAccountType(std::stoi(argument(i)));
        } else if (step == L"password") {
            Type(argument(i));
        } else if (step == L"signin") {
            SignIn();
        } else if (step == L"click") {
            Click(std::stoi(argument(i)));
        } else if (step == L"box") {
            const std::wstring& title = argument(i);
            g_current = WaitForWindow(title, 0);
            HWND text = GetDlgItem(g_current, kMessageBoxText);
            wprintf(L"box %ls\n", text ? Text(text).c_str() : L"");
        } else if (step == L"dialog") {
            g_current = WaitForWindow(L"", std::stoi(argument(i)));
        } else if (step == L"rect") {
            RECT r{};
            GetWindowRect(g_current, &r);
            wprintf(L"rect %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        } else if (step == L"memory") {
            Memory();
        } else if (step == L"exit") {
            if (WaitForSingleObject(g_program.hProcess, g_timeoutMs) != WAIT_OBJECT_0) Fail(L"the program did not end");
        } else if (step == L"kill") {
            TerminateProcess(g_program.hProcess, 0);
            WaitForSingleObject(g_program.hProcess, g_timeoutMs);
        } else if (step == L"until-file") {
            const std::wstring& path = argument(i);
            WaitFor([&]() -> HWND {
                return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES ? GetDesktopWindow() : nullptr;
            }, path);
        } else if (step == L"sleep") {
            Sleep(static_cast<DWORD>(std::wcstoul(argument(i).c_str(), nullptr, 10)));
        } else {
            Fail(L"unknown step " + step);
        }
        fflush(stdout);
    }
    return 0;
}
