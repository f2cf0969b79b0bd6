#include "ui/Edit.h"

#include "ui/Dialog.h"

namespace ui {

namespace {
const wchar_t kOwnerProperty[] = L"ui.Edit";
}

Edit::~Edit()
{
    Detach();
}

bool Edit::SubclassDlgItem(int id, Dialog& parent)
{
    HWND control = parent.GetDlgItem(id);
    if (!control || m_hwnd)
        return false;
    m_hwnd = control;
    SetPropW(control, kOwnerProperty, this);
    m_original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Edit::WindowProc)));
    return true;
}

void Edit::OnChar(UINT, UINT, UINT)
{
    Default();
}

LRESULT Edit::Default()
{
    return CallWindowProcW(m_original, m_hwnd, m_message, m_wParam, m_lParam);
}

void Edit::Detach()
{
    if (!m_hwnd)
        return;
    if (IsWindow(m_hwnd)) {
        SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_original));
        RemovePropW(m_hwnd, kOwnerProperty);
    }
    m_hwnd = nullptr;
}

LRESULT CALLBACK Edit::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* edit = static_cast<Edit*>(GetPropW(window, kOwnerProperty));
    if (!edit)
        return DefWindowProcW(window, message, wParam, lParam);

    WNDPROC original = edit->m_original;
    if (message == WM_NCDESTROY) {
        edit->Detach();
        return CallWindowProcW(original, window, message, wParam, lParam);
    }
    if (message != WM_CHAR)
        return CallWindowProcW(original, window, message, wParam, lParam);

    // A notice shown by OnChar runs a loop that may bring further messages.
    UINT outerMessage = edit->m_message;
    WPARAM outerWParam = edit->m_wParam;
    LPARAM outerLParam = edit->m_lParam;
    edit->m_message = message;
    edit->m_wParam = wParam;
    edit->m_lParam = lParam;
    edit->OnChar(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
    edit->m_message = outerMessage;
    edit->m_wParam = outerWParam;
    edit->m_lParam = outerLParam;
    return 0;
}

} // namespace ui
