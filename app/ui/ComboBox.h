// A combo box control of a dialog, attached by data exchange.
#pragma once

#include <windows.h>

#include "core/WideText.h"

namespace ui {

class ComboBox {
public:
    void Attach(HWND control) { m_hwnd = control; }
    HWND hwnd() const { return m_hwnd; }

    // Index of the new item, or CB_ERR.
    int AddString(const WideChar* text)
    {
        return static_cast<int>(SendMessageW(m_hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    // Selected index, or CB_ERR when nothing is selected.
    int GetCurSel() const { return static_cast<int>(SendMessageW(m_hwnd, CB_GETCURSEL, 0, 0)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessageW(m_hwnd, CB_SETCURSEL, index, 0)); }
    int GetCount() const { return static_cast<int>(SendMessageW(m_hwnd, CB_GETCOUNT, 0, 0)); }
    // The value kept with an item (an item's meaning, when the list is sorted).
    LRESULT GetItemData(int index) const { return SendMessageW(m_hwnd, CB_GETITEMDATA, static_cast<WPARAM>(index), 0); }
    void SetItemData(int index, LPARAM data) { SendMessageW(m_hwnd, CB_SETITEMDATA, static_cast<WPARAM>(index), data); }
    void ResetContent() { SendMessageW(m_hwnd, CB_RESETCONTENT, 0, 0); }

private:
    HWND m_hwnd = nullptr;
};

} // namespace ui
