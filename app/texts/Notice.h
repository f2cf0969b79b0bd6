// Notices: the application's one way to tell the operator something. A
// modal message box without owner, caption "VUZ", one OK button labelled in
// the active language.
#pragma once

#include <windows.h>

#include "core/WideText.h"

// The caption of every notice, by which the camera window finds the one it
// closes by itself.
inline constexpr wchar_t kNoticeCaption[] = L"VUZ";

// The most recently installed notice hook; never cleared.
extern HHOOK g_noticeHook;

// Shows `text` and returns when the box has been closed.
void ShowNotice(const WideChar* text);

// The notice hook: relabels button 1 of every window the thread activates.
LRESULT CALLBACK NoticeHookProc(int code, WPARAM wParam, LPARAM lParam);
