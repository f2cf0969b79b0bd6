#include <windows.h>

#include "OrvaneApp.h"

namespace {

// Takes the current folder off the DLL search path before Telvix looks for
// NvUSB.dll, so that a library planted in whatever folder the program is
// started from is never loaded; the program's folder, the system folders
// and PATH are still searched. Windows drops the current folder for an
// empty DLL directory, Wine only for a named one: naming the program's own
// folder, searched first anyway, does it on both.
void LeaveTheCurrentFolderOffTheDllSearch()
{
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t* separator = length > 0 && length < MAX_PATH ? wcsrchr(path, L'\\') : nullptr;
    if (separator)
        separator[1] = L'\0'; // the folder with its backslash, so a drive's root stays one
    SetDllDirectoryW(separator ? path : L"");
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    LeaveTheCurrentFolderOffTheDllSearch();
    COrvaneApp app;
    return app.InitInstance();
}
