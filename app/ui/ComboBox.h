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

private:
    HWND m_hwnd = nullptr;
};

} // namespace ui
