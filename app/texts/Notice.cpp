#include "texts/Notice.h"

#include "texts/TextTable.h"
#include "ui/Handles.h"

HHOOK g_noticeHook = nullptr;

void ShowNotice(const WideChar* text)
{
    // Thread-local, so that only this thread's windows are relabelled. If it
    // cannot be installed the box still shows, with the system's label.
    ui::Hook hook(SetWindowsHookExW(WH_CBT, &NoticeHookProc, nullptr, GetCurrentThreadId()));
    g_noticeHook = hook.get();
    MessageBoxW(nullptr, text, kNoticeCaption, MB_OK);
}

LRESULT CALLBACK NoticeHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        SetDlgItemTextW(reinterpret_cast<HWND>(wParam), IDOK, Text(kTextNoticeButton));
        return 0;
    }
    return CallNextHookEx(g_noticeHook, code, wParam, lParam);
}
