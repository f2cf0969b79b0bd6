// The sign-in window: the program's main window. Connects to the camera,
// signs in with account type and password, and runs the camera window.
#pragma once

#include "core/WideText.h"
#include "res/resource.h"
#include "ui/ComboBox.h"
#include "ui/Dialog.h"
#include "ui/Handles.h"

class COrvaneDlg : public ui::Dialog {
public:
    enum { IDD = IDD_SIGN_IN };
    COrvaneDlg();

protected:
    void DoDataExchange(ui::DataExchange& exchange) override;
    bool PreTranslateMessage(MSG* message) override;
    BOOL OnInitDialog() override;
    // Enter must never close the window.
    void OnOK() override {}
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    LRESULT OnQueryDragIcon();
    void OnConnect();
    void OnExit();
    void OnSignIn();
    void OnTimer(UINT_PTR id);

    void ShowDisconnected();

    ui::Icon m_appIcon;
    ui::ComboBox m_userTypeList;
    bool m_connected = false;
    WideString m_password;
};
