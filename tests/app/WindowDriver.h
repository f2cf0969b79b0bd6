// Scripts a user for windows that run on the test's main thread: the test
// body runs a window modally while a script on a second thread waits for
// windows, clicks, types and reads them back through window messages.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class WindowDriver {
public:
    // A message box as the driver finds it.
    struct Notice {
        HWND box = nullptr;
        std::wstring text;
        std::wstring button; // text of button 1
    };

    // Runs `script` on a driver thread while `modal` runs here; returns what
    // `modal` returned. A script that fails (a wait times out) or that ends
    // while `modal` still runs is a test failure; every message loop of this
    // thread is then ended with WM_QUIT so that the test goes on.
    static INT_PTR Run(const std::function<INT_PTR()>& modal,
                       const std::function<void(WindowDriver&)>& script);

    // Visible top-level window of the window thread with title `title`,
    // other than those in `except`.
    HWND WaitForWindow(const std::wstring& title, const std::vector<HWND>& except = {});
    void WaitUntilGone(HWND window);
    // Polls `condition` until it holds; fails the script after the timeout.
    void WaitUntil(const std::function<bool()>& condition, const char* what);

    void Click(HWND dialog, int id);
    void Type(HWND control, const std::wstring& characters);
    void PressKey(HWND control, UINT virtualKey);
    void PressAltF4(HWND control);
    void CloseBox(HWND window);

    std::wstring Text(HWND window);
    std::wstring Text(HWND dialog, int id) { return Text(GetDlgItem(dialog, id)); }
    int Selection(HWND dialog, int id);
    std::vector<std::wstring> ListItems(HWND dialog, int id);
    int TextLimit(HWND dialog, int id);
    HWND Focus();

    // What the screen shows at x, y of `window`'s client area.
    static COLORREF Pixel(HWND window, int x, int y);
    // Paints the top left of `window`'s client area white, as another
    // window passing over it could leave it.
    static void PaintOver(HWND window);

    // An active message box titled `title` (every notice is titled "VUZ").
    Notice WaitForBox(const std::wstring& title, const std::vector<HWND>& except = {});
    Notice WaitForNotice(const std::vector<HWND>& except = {}) { return WaitForBox(L"VUZ", except); }
    void CloseNotice(const Notice& notice);

    DWORD uiThread() const { return m_uiThread; }

private:
    explicit WindowDriver(DWORD uiThread) : m_uiThread(uiThread) {}
    LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    DWORD m_uiThread;
};
