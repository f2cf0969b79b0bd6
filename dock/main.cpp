// OrvaneDock.exe: one dock per computer. A second start brings the first
// one's window to the front and ends.
#include <windows.h>
#include <commctrl.h>

#include "camera/DllSearch.h"
#include "dock/DockWindow.h"
#include "dock/SettingsDialog.h"
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
    SetForegroundWindow(first);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    LeaveTheCurrentFolderOffTheDllSearch();
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

    DockSettings settings = settings_store::Load();
    if (CheckSettings(settings) != SettingsProblem::None) {
        // The first start: nothing to watch with until the settings are given.
        SettingsDialog first(settings, false);
        if (first.DoModal() != IDOK)
            return 0;
        settings = first.Settings();
    }
    DockWindow window(std::move(settings));
    window.DoModal();
    return 0;
}
