// OrvaneDock.exe: one dock per computer. A second start brings the first
// one's window to the front and ends.
#include <windows.h>
#include <commctrl.h>

#include "camera/CameraLibrary.h"
#include "camera/DllSearch.h"
#include "dock/DockWindow.h"
#include "dock/SettingsStore.h"
#include "ui/Handles.h"

namespace {

constexpr wchar_t kInstanceMutex[] = L"Global\\OrvaneDock.Instance";

using OwnedMutex = ui::OwnedHandle<HANDLE, CloseHandle>;

void BringFirstToFront()
{
    HWND first = FindWindowW(kDockWindowClass, nullptr);
    if (!first)
        return;
    DWORD process = 0;
    GetWindowThreadProcessId(first, &process);
    AllowSetForegroundWindow(process);
    if (IsIconic(first))
        ShowWindow(first, SW_RESTORE);
    // The settings or a question it shows, when there is one.
    SetForegroundWindow(GetLastActivePopup(first));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    LeaveTheCurrentFolderOffTheDllSearch();
    // The dock reads each camera's serial number before its sign-in.
    g_cameraLibrary = &TelvixLibraryWithSerialNumbers();
    // Another user's dock holds the mutex where this one may not open it.
    OwnedMutex instance(CreateMutexW(nullptr, FALSE, kInstanceMutex));
    if (!instance.get() || GetLastError() == ERROR_ALREADY_EXISTS) {
        BringFirstToFront();
        return 0;
    }
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&controls);

    DockWindow window(settings_store::Load());
    window.DoModal();
    return 0;
}
