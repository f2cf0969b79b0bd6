// The camera window: the operator's working window after a sign-in, run
// modally by the sign-in window. Its run ends only through the cancel
// command (Logout, the close box, Alt+F4).
#pragma once

#include "core/WideText.h"
#include "res/resource.h"
#include "ui/ComboBox.h"
#include "ui/Dialog.h"

class Camera : public ui::Dialog {
public:
    enum { IDD = IDD_CAMERA };
    Camera() : Dialog(IDD) {}

protected:
    void DoDataExchange(ui::DataExchange& exchange) override;
    bool PreTranslateMessage(MSG* message) override;
    BOOL OnInitDialog() override;
    // Enter must never close the window.
    void OnOK() override {}

private:
    // Captions and labels from the active language.
    void SetLabels();

    WideString m_cameraId;
    WideString m_userId;
    WideString m_departmentId;
    WideString m_userName;
    WideString m_departmentName;
    ui::ComboBox m_wifiModeList;
    WideString m_wifiSsid;
    WideString m_wifiPassword;
    WideString m_serverIp;
    WideString m_apn;
    WideString m_pin;
    WideString m_serverPort;
    WideString m_adminPassword;
    WideString m_adminPasswordAgain;
    WideString m_userPassword;
    WideString m_userPasswordAgain;
    COLORREF m_bannerColor = 0;
    int m_bannerTicks = 0;
    WideString m_serialNo;
};
