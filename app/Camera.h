// The camera window: the operator's working window after a sign-in, run
// modally by the sign-in window. Its run ends only through the cancel
// command (Logout, the close box, Alt+F4).
//
// The window itself (start-up, labels, keys, banner, timers) is in
// Camera.cpp; each group's handlers are in a file of their own:
// CameraTimeStatus.cpp, CameraIdentity.cpp, CameraNetwork.cpp,
// CameraPasswords.cpp, CameraStorage.cpp.
#pragma once

#include <cstddef>

#include "MyEdit.h"
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
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // Captions and labels from the active language.
    void SetLabels();
    void OnPaint();
    void OnTimer(UINT_PTR id);

    // Time and status.
    void OnSyncTime();
    void OnReadStatus();
    // Identity.
    void OnReadIdentity();
    void OnSetIdentity();
    // Network.
    struct NetworkField;
    static const NetworkField kNetworkFields[6];
    // Reads value `index` of kNetworkValues into its member, or "fail".
    void ReadNetworkValue(size_t index);
    void OnReadNetwork();
    void OnSetNetwork();
    void OnWifiModeChange();
    // Passwords.
    void OnSetAdminPassword();
    void OnSetUserPassword();
    // Storage.
    void OnUsbStorage();
    void OnFormatCard();

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
    CMyEdit m_adminPasswordEdit;
    CMyEdit m_adminPasswordAgainEdit;
    CMyEdit m_userPasswordEdit;
    CMyEdit m_userPasswordAgainEdit;
    CMyEdit m_cameraIdEdit;
    CMyEdit m_userIdEdit;
    CMyEdit m_departmentIdEdit;
    CMyEdit m_userNameEdit;
    CMyEdit m_departmentNameEdit;
    int m_bannerTicks = 0;
    WideString m_serialNo;
};
