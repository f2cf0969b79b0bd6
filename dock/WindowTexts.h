// The dock's texts onto its windows: each control's text from the table,
// in the operator's language, so that a change of language is one call.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "dock/DockTexts.h"

struct ControlText {
    int control;  // 0: the window's caption
    DockText text;
};

template <std::size_t N>
void ApplyTexts(HWND window, Language language, const ControlText (&texts)[N])
{
    for (const ControlText& entry : texts) {
        HWND target = entry.control == 0 ? window : GetDlgItem(window, entry.control);
        SetWindowTextW(target, DockTextOf(language, entry.text));
    }
}

std::wstring ControlString(HWND window, int control);

// A list view's columns, in order, with their widths in pixels.
struct ListColumn {
    DockText title;
    int width;
};
void AddColumns(HWND list, Language language, const ListColumn* columns, std::size_t count);
void RetitleColumns(HWND list, Language language, const ListColumn* columns, std::size_t count);

// Sets column `column` of item `item`, inserting the item when it is the next.
void SetListText(HWND list, int item, int column, const std::wstring& text);

// A question with Yes and No, owned by `owner`.
bool AskYesNo(HWND owner, Language language, DockText question);
void Tell(HWND owner, Language language, DockText text);
