// The least a dialog program does on Orvane's path from start to the camera
// window: common controls, the sign-in template as a modal dialog, and on
// "Sign in" the fixed 200 ms pause and the camera template as a modal dialog
// on top. It uses Orvane's own resources and no code of Orvane's, so what
// Orvane takes beyond it is Orvane's own work (device, handlers, texts).
#include <windows.h>
#include <commctrl.h>

namespace {

// Ids of Orvane's resources (app/res/resource.h, whose names clash with
// windows.h outside the program's own headers).
const int IDD_SIGN_IN = 102;
const int IDD_CAMERA = 131;
const int IDC_CONNECT = 1002;
const int IDC_SIGN_IN = 1003;
const int IDC_EXIT = 1004;
const DWORD kSignInPause = 200;

INT_PTR CALLBACK CameraProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(window, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK SignInProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) return TRUE;
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_CONNECT:
        SetDlgItemTextW(window, IDC_CONNECT, L"Disconnect device");
        return TRUE;
    case IDC_SIGN_IN:
        Sleep(kSignInPause);
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CAMERA), window, CameraProc, 0);
        SetDlgItemTextW(window, IDC_CONNECT, L"Connect device");
        return TRUE;
    case IDC_EXIT:
    case IDCANCEL:
        EndDialog(window, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SIGN_IN), nullptr, SignInProc, 0);
    return 0;
}
