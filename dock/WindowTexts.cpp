#include "dock/WindowTexts.h"

#include <commctrl.h>

#include <vector>

std::wstring ControlString(HWND window, int control)
{
    HWND target = GetDlgItem(window, control);
    int length = GetWindowTextLengthW(target);
    if (length <= 0)
        return std::wstring();
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
    int copied = GetWindowTextW(target, buffer.data(), length + 1);
    return std::wstring(buffer.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

void AddColumns(HWND list, Language language, const ListColumn* columns, std::size_t count)
{
    for (std::size_t index = 0; index < count; ++index) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = columns[index].width;
        column.iSubItem = static_cast<int>(index);
        column.pszText = const_cast<wchar_t*>(DockTextOf(language, columns[index].title));
        SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
    }
}

void RetitleColumns(HWND list, Language language, const ListColumn* columns, std::size_t count)
{
    for (std::size_t index = 0; index < count; ++index) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = const_cast<wchar_t*>(DockTextOf(language, columns[index].title));
        SendMessageW(list, LVM_SETCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
    }
}

void SetListText(HWND list, int item, int column, const std::wstring& text)
{
    LVITEMW entry{};
    entry.mask = LVIF_TEXT;
    entry.iItem = item;
    entry.iSubItem = column;
    entry.pszText = const_cast<wchar_t*>(text.c_str());
    if (column == 0 && item >= static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0))) {
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&entry));
        return;
    }
    SendMessageW(list, LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&entry));
}

namespace {

// A box whose buttons are labelled in the operator's language, not the
// system's.
int AskWith(HWND owner, Language language, DockText text, const TASKDIALOG_BUTTON* buttons, UINT count,
            int defaultButton, PCWSTR icon)
{
    TASKDIALOGCONFIG box{};
    box.cbSize = sizeof box;
    box.hwndParent = owner;
    box.dwFlags = TDF_POSITION_RELATIVE_TO_WINDOW;
    box.pszWindowTitle = DockTextOf(language, DockText::Title);
    box.pszMainIcon = icon;
    box.pszContent = DockTextOf(language, text);
    box.cButtons = count;
    box.pButtons = buttons;
    box.nDefaultButton = defaultButton;
    int chosen = 0;
    if (FAILED(TaskDialogIndirect(&box, &chosen, nullptr, nullptr)))
        return 0;
    return chosen;
}

}  // namespace

bool AskYesNo(HWND owner, Language language, DockText question)
{
    const TASKDIALOG_BUTTON buttons[] = {
        {IDYES, g_textTable[language]->entries[kTextYes]},
        {IDNO, g_textTable[language]->entries[kTextNo]},
    };
    return AskWith(owner, language, question, buttons, 2, IDNO, TD_WARNING_ICON) == IDYES;
}

void Tell(HWND owner, Language language, DockText text)
{
    const TASKDIALOG_BUTTON buttons[] = {{IDOK, DockTextOf(language, DockText::Ok)}};
    AskWith(owner, language, text, buttons, 1, IDOK, TD_INFORMATION_ICON);
}
