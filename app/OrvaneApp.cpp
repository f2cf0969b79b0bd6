#include "OrvaneApp.h"

#include <windows.h>
#include <commctrl.h>

#include "LanguageSetting.h"
#include "OrvaneDlg.h"

int COrvaneApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    SetRegistryKey(L"应用程序向导生成的本地应用程序");
    UseProfileKey(m_registryKey);

    COrvaneDlg dialog;
    dialog.DoModal();
    return 0;
}
