// Drives the real program from outside: starts Orvane.exe as a process of
// its own and works its windows only through window messages, as another
// program on the desktop could. Every wait is bounded; a wait that runs out
// throws, which fails the test, and the program is killed when its owner goes.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace e2e {

// A bounded wait that ran out.
struct WaitTimedOut : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The usual bound of a wait: the program answers a message within
// milliseconds; the slowest handler pauses 1 s and a slow camera adds more.
constexpr DWORD kWaitMs = 5000;

// Polls `condition` until it holds; throws WaitTimedOut after `timeoutMs`.
void WaitUntil(const std::function<bool()>& condition, const std::string& what, DWORD timeoutMs = kWaitMs);

struct HandleCloser {
    void operator()(HANDLE handle) const
    {
        if (handle && handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// A top-level window of the program and its controls, by id.
class ExternalWindow {
public:
    ExternalWindow() = default;
    explicit ExternalWindow(HWND window) : m_window(window) {}

    HWND hwnd() const { return m_window; }
    bool Exists() const { return IsWindow(m_window) != FALSE; }
    bool HasControl(int id) const { return GetDlgItem(m_window, id) != nullptr; }
    HWND Control(int id) const;

    std::wstring Title() const { return TextOf(m_window); }
    std::wstring Text(int id) const { return TextOf(Control(id)); }
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
    bool Visible(int id) const { return IsWindowVisible(Control(id)) != FALSE; }
    bool WindowEnabled() const { return IsWindowEnabled(m_window) != FALSE; }
    int TextLimit(int id) const;
    int Selection(int id) const;
    std::wstring SelectedText(int id) const;
    std::vector<std::wstring> ListItems(int id) const;
    // Id of the control with the keyboard focus, 0 when none of this window has it.
    int FocusId() const;

    // Input, posted as the system would deliver it.
    void Click(int id) const;
    void Type(int id, const std::wstring& characters) const;
    void PressKey(int id, UINT virtualKey) const;
    void PressAltF4() const;
    void CloseBox() const;
    // As the user choosing list item `index`: the selection, then the window's notification.
    void Choose(int id, int index) const;

    // Programmatic access that bypasses the character filter.
    void SetText(int id, const std::wstring& text) const;
    void Paste(int id) const;
    void SelectItem(int id, int index) const;
    void Focus(int id) const;

    // Returns once the window's thread has handled every message posted to
    // it so far (through edit `editId`), handlers and their notices included.
    void Settle(int editId) const;

    static std::wstring TextOf(HWND window);

private:
    LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;

    HWND m_window = nullptr;
};

// A message box titled "VUZ" as found on the desktop.
struct Notice {
    ExternalWindow box;
    std::wstring text;
    std::wstring button; // text of button 1
};

struct ProgramOptions {
    std::wstring folder;    // working folder; receives the program's standard output
    std::wstring statePath; // NVUSB_SIM_STATE
    std::wstring logPath;   // NVUSB_SIM_LOG
    std::wstring faults;    // NVUSB_SIM_FAULTS, none when empty
    bool cameraLibrary = true; // false: the sim folder is left off the search path
};

// Orvane.exe, started with CreateProcessW; TerminateProcess when the object goes.
class Program {
public:
    explicit Program(const ProgramOptions& options);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    DWORD id() const { return m_processId; }
    bool Running() const;
    // Exit code once the process has ended; throws if it does not end in time.
    DWORD WaitForExit(DWORD timeoutMs = kWaitMs) const;

    // Visible top-level window of the program titled `title` that has control
    // `controlId` (0: any), other than those in `except`; null when none.
    HWND FindWindow(const std::wstring& title, int controlId = 0, const std::vector<HWND>& except = {}) const;
    ExternalWindow WaitForWindow(const std::wstring& title, int controlId = 0, DWORD timeoutMs = kWaitMs,
                                 const std::vector<HWND>& except = {}) const;
    ExternalWindow WaitForSignInWindow(DWORD timeoutMs = kWaitMs) const;
    ExternalWindow WaitForCameraWindow(DWORD timeoutMs = kWaitMs) const;
    bool CameraWindowOpen() const;

    Notice WaitForNotice(DWORD timeoutMs = kWaitMs, const std::vector<HWND>& except = {}) const;
    bool NoticeOpen() const { return FindWindow(L"VUZ") != nullptr; }
    void CloseNotice(const Notice& notice) const;

    // What the program wrote to its standard output (the library's trace lines).
    std::string Output() const;

private:
    UniqueHandle m_process;
    DWORD m_processId = 0;
    std::wstring m_outputPath;
};

// Folder of the running test program (Orvane.exe is built beside it).
std::wstring ProgramFolder();

// Puts `text` on the clipboard as Unicode text.
void SetClipboardText(const std::wstring& text);

} // namespace e2e
