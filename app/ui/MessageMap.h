// Message maps: a constant table per window class that ties messages and
// control notifications to member handlers, walked by one function.
//
//   static const ui::MessageEntry<MyDialog> kMap[] = {
//       ui::Message(WM_PAINT, &MyDialog::OnPaint),
//       ui::Clicked(IDC_CONNECT, &MyDialog::OnConnect),
//       ui::Message(WM_TIMER, &MyDialog::OnTimer),
//   };
//   return ui::Dispatch(*this, kMap, message, wParam, lParam, result);
#pragma once

#include <windows.h>

#include <cstddef>

namespace ui {

template <class Window>
struct MessageEntry {
    enum class Kind { Action, Timer, SysCommand, Query };

    UINT message;
    int id;    // control id of a WM_COMMAND entry, 0 otherwise
    UINT code; // notification code of a WM_COMMAND entry, 0 otherwise
    Kind kind;
    void (Window::*action)();                 // no arguments (commands, WM_PAINT)
    void (Window::*timer)(UINT_PTR);          // WM_TIMER: timer id
    void (Window::*sysCommand)(UINT, LPARAM); // WM_SYSCOMMAND: command id, lParam
    LRESULT (Window::*query)();               // a message whose answer is a value
};

// A notification `code` from control `id` (WM_COMMAND).
template <class Window>
constexpr MessageEntry<Window> Command(int id, UINT code, void (Window::*handler)())
{
    return {WM_COMMAND, id, code, MessageEntry<Window>::Kind::Action, handler, nullptr, nullptr, nullptr};
}

// A click of button `id`.
template <class Window>
constexpr MessageEntry<Window> Clicked(int id, void (Window::*handler)())
{
    return Command(id, BN_CLICKED, handler);
}

// A message whose handler takes no arguments (WM_PAINT).
template <class Window>
constexpr MessageEntry<Window> Message(UINT message, void (Window::*handler)())
{
    return {message, 0, 0, MessageEntry<Window>::Kind::Action, handler, nullptr, nullptr, nullptr};
}

// WM_TIMER with the timer id.
template <class Window>
constexpr MessageEntry<Window> Message(UINT message, void (Window::*handler)(UINT_PTR))
{
    return {message, 0, 0, MessageEntry<Window>::Kind::Timer, nullptr, handler, nullptr, nullptr};
}

// WM_SYSCOMMAND with the command id and lParam.
template <class Window>
constexpr MessageEntry<Window> Message(UINT message, void (Window::*handler)(UINT, LPARAM))
{
    return {message, 0, 0, MessageEntry<Window>::Kind::SysCommand, nullptr, nullptr, handler, nullptr};
}

// A message answered with a value (WM_QUERYDRAGICON).
template <class Window>
constexpr MessageEntry<Window> Message(UINT message, LRESULT (Window::*handler)())
{
    return {message, 0, 0, MessageEntry<Window>::Kind::Query, nullptr, nullptr, nullptr, handler};
}

// Runs the first entry of `map` that matches the message. Returns false
// when none does; `result` then is left as it was.
template <class Window, size_t N>
bool Dispatch(Window& window, const MessageEntry<Window> (&map)[N], UINT message, WPARAM wParam,
              LPARAM lParam, LRESULT& result)
{
    for (const MessageEntry<Window>& entry : map) {
        if (entry.message != message)
            continue;
        if (message == WM_COMMAND
            && (entry.id != static_cast<int>(LOWORD(wParam)) || entry.code != HIWORD(wParam)))
            continue;
        switch (entry.kind) {
        case MessageEntry<Window>::Kind::Action:
            (window.*entry.action)();
            break;
        case MessageEntry<Window>::Kind::Timer:
            (window.*entry.timer)(static_cast<UINT_PTR>(wParam));
            break;
        case MessageEntry<Window>::Kind::SysCommand:
            (window.*entry.sysCommand)(static_cast<UINT>(wParam), lParam);
            break;
        case MessageEntry<Window>::Kind::Query:
            result = (window.*entry.query)();
            break;
        }
        return true;
    }
    return false;
}

} // namespace ui
