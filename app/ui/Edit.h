// An edit control of a dialog taken over after creation, so that a derived
// class sees its typed characters before the control does.
#pragma once

#include <windows.h>

namespace ui {

class Dialog;

class Edit {
public:
    Edit() = default;
    virtual ~Edit();
    Edit(const Edit&) = delete;
    Edit& operator=(const Edit&) = delete;

    // Routes the messages of `parent`'s control `id` through this object.
    bool SubclassDlgItem(int id, Dialog& parent);
    HWND hwnd() const { return m_hwnd; }

protected:
    // WM_CHAR. The base passes the character on; a derived class drops one
    // by returning without calling Default().
    virtual void OnChar(UINT character, UINT repeatCount, UINT flags);
    // Passes the message being handled to the control's own procedure.
    LRESULT Default();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Detach();

    HWND m_hwnd = nullptr;
    WNDPROC m_original = nullptr;
    UINT m_message = 0;
    WPARAM m_wParam = 0;
    LPARAM m_lParam = 0;
};

} // namespace ui
