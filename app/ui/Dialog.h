// A dialog window on a template of the program's resources, run modally by
// its own message loop. Derived windows override the virtual steps and give
// their message map in HandleMessage.
#pragma once

#include <windows.h>

#include "core/WideText.h"
#include "ui/ComboBox.h"
#include "ui/MessageMap.h"

namespace ui {

// One exchange between a dialog's controls and its members. The direction
// is a flag, so one function lists every field once for both.
class DataExchange {
public:
    DataExchange(HWND dialog, bool saveAndValidate) : m_dialog(dialog), m_saving(saveAndValidate) {}

    bool saving() const { return m_saving; }

    // Edit text <-> `value`. A `maxLength` above 0 also becomes the edit's
    // input limit when members go to the controls.
    void Text(int id, WideString& value, int maxLength = 0);
    // Attaches `control` to the dialog's control `id`; no value moves.
    void Control(int id, ComboBox& control);

private:
    HWND m_dialog;
    bool m_saving;
};

class Dialog {
public:
    // `parent` null: the window active when DoModal starts becomes the owner.
    explicit Dialog(int templateId, HWND parent = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates the window, disables its owner and runs the message loop until
    // EndDialog. Returns the EndDialog result, or -1 if the window could
    // not be created.
    INT_PTR DoModal();
    // Ends the modal loop with `result`; the window goes when the loop ends.
    void EndDialog(INT_PTR result);

    HWND hwnd() const { return m_hwnd; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hwnd, id); }
    void SetDlgItemText(int id, const WideChar* text) { ::SetDlgItemTextW(m_hwnd, id, text); }
    void SetWindowText(const WideChar* text) { ::SetWindowTextW(m_hwnd, text); }

    // Controls to members (true) or members to controls (false).
    bool UpdateData(bool saveAndValidate);

    void SetTimer(UINT_PTR id, UINT milliseconds) { ::SetTimer(m_hwnd, id, milliseconds, nullptr); }
    void KillTimer(UINT_PTR id) { ::KillTimer(m_hwnd, id); }

    // Appends a separator and item `commandId` with string resource
    // `stringId` to the system menu, if there is one and the string is not
    // empty.
    void AppendSystemMenuItem(UINT commandId, UINT stringId);

    // The module that holds the templates, icons and strings: the program.
    static HINSTANCE ResourceModule() { return GetModuleHandleW(nullptr); }

protected:
    // Base: members to controls. Return false when the focus has been set.
    virtual BOOL OnInitDialog();
    // Base: controls to members, then ends with IDOK.
    virtual void OnOK();
    // Base: ends with IDCANCEL.
    virtual void OnCancel();
    // Sees every message of the modal loop before the dialog manager's key
    // handling. Return true to consume it.
    virtual bool PreTranslateMessage(MSG* message);
    virtual void DoDataExchange(DataExchange& exchange);
    // The message map. Return true when the message was handled.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // From a handler: the dialog manager's own processing of the current
    // message runs as well, once the handler returns.
    void Default() { m_passOn = true; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Fills combo boxes from the template's initialisation data (resource
    // type 240), which the dialog manager itself ignores.
    void ApplyInitData();

    int m_templateId;
    HWND m_parent;
    HWND m_hwnd = nullptr;
    bool m_ending = false;
    bool m_passOn = false;
    INT_PTR m_result = -1;
};

} // namespace ui
