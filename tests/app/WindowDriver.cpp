#include "WindowDriver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

constexpr DWORD kTimeoutMs = 15000;
constexpr DWORD kPollMs = 20;

struct ScriptFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Search {
    const std::wstring* title;
    const std::vector<HWND>* except;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<Search*>(lParam);
    if (!IsWindowVisible(window))
        return TRUE;
    for (HWND other : *search->except)
        if (other == window)
            return TRUE;
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (*search->title != title)
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

INT_PTR WindowDriver::Run(const std::function<INT_PTR()>& modal,
                          const std::function<void(WindowDriver&)>& script)
{
    DWORD uiThread = GetCurrentThreadId();
    std::atomic<bool> modalDone{false};
    std::thread driverThread([&] {
        WindowDriver driver(uiThread);
        try {
            script(driver);
            driver.WaitUntil([&] { return modalDone.load(); }, "the window to end after the script");
        } catch (const std::exception& failure) {
            ADD_FAILURE() << "driver: " << failure.what();
            PostThreadMessageW(uiThread, WM_QUIT, 0, 0);
        }
    });
    INT_PTR result = modal();
    modalDone = true;
    driverThread.join();
    // A failed script leaves its WM_QUIT behind.
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return result;
}

void WindowDriver::WaitUntil(const std::function<bool()>& condition, const char* what)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > kTimeoutMs)
            throw ScriptFailed(std::string("timed out waiting for ") + what);
        Sleep(kPollMs);
    }
}

HWND WindowDriver::WaitForWindow(const std::wstring& title, const std::vector<HWND>& except)
{
    Search search{&title, &except, nullptr};
    std::string what(title.begin(), title.end());
    WaitUntil(
        [&] {
            EnumThreadWindows(m_uiThread, &MatchTitle, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        ("a window titled " + what).c_str());
    return search.found;
}

void WindowDriver::WaitUntilGone(HWND window)
{
    WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, "a window to close");
}

LRESULT WindowDriver::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kTimeoutMs, &result))
        throw ScriptFailed("the window thread did not answer a message");
    return static_cast<LRESULT>(result);
}

void WindowDriver::Click(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    if (!button)
        throw ScriptFailed("no control " + std::to_string(id) + " to click");
    PostMessageW(button, BM_CLICK, 0, 0);
}

void WindowDriver::Type(HWND control, const std::wstring& characters)
{
    for (wchar_t c : characters)
        PostMessageW(control, WM_CHAR, c, 1);
}

void WindowDriver::PressKey(HWND control, UINT virtualKey)
{
    UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageW(control, WM_KEYDOWN, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16));
    PostMessageW(control, WM_KEYUP, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16) | (3u << 30));
}

void WindowDriver::PressAltF4(HWND control)
{
    UINT scan = MapVirtualKeyW(VK_F4, MAPVK_VK_TO_VSC);
    PostMessageW(control, WM_SYSKEYDOWN, VK_F4, 1 | (static_cast<LPARAM>(scan) << 16) | (1 << 29));
}

void WindowDriver::CloseBox(HWND window)
{
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

std::wstring WindowDriver::Text(HWND window)
{
    if (!window)
        throw ScriptFailed("no window to read");
    wchar_t text[512] = {};
    Send(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

int WindowDriver::Selection(HWND dialog, int id)
{
    return static_cast<int>(Send(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0));
}

std::vector<std::wstring> WindowDriver::ListItems(HWND dialog, int id)
{
    HWND list = GetDlgItem(dialog, id);
    std::vector<std::wstring> items;
    int count = static_cast<int>(Send(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        Send(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.emplace_back(text);
    }
    return items;
}

int WindowDriver::TextLimit(HWND dialog, int id)
{
    return static_cast<int>(Send(GetDlgItem(dialog, id), EM_GETLIMITTEXT, 0, 0));
}

HWND WindowDriver::Focus()
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(m_uiThread, &info);
    return info.hwndFocus;
}

COLORREF WindowDriver::Pixel(HWND window, int x, int y)
{
    HDC dc = GetDC(window);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

void WindowDriver::PaintOver(HWND window)
{
    HDC dc = GetDC(window);
    RECT corner{0, 0, 50, 20};
    FillRect(dc, &corner, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(window, dc);
}

WindowDriver::Notice WindowDriver::WaitForBox(const std::wstring& title, const std::vector<HWND>& except)
{
    Notice notice;
    notice.box = WaitForWindow(title, except);
    // A message round trip returns once the window thread is back in its
    // loop, so the box's showing, with its activation, has finished.
    Send(notice.box, WM_NULL, 0, 0);
    // The box's message is the static with id 0xFFFF.
    notice.text = Text(GetDlgItem(notice.box, 0xFFFF));
    notice.button = Text(GetDlgItem(notice.box, IDOK));
    return notice;
}

void WindowDriver::CloseNotice(const Notice& notice)
{
    PostMessageW(notice.box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    WaitUntilGone(notice.box);
}
