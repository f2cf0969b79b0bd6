#include "camera/DllSearch.h"

#include <windows.h>

#include <cwchar>

// Windows drops the current folder for an empty DLL directory, Wine only for
// a named one: naming the program's own folder, searched first anyway, does
// it on both.
void LeaveTheCurrentFolderOffTheDllSearch()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t* separator = length > 0 && length < MAX_PATH ? std::wcsrchr(path, L'\\') : nullptr;
    if (separator) {
        separator[1] = L'\0';  // the folder with its backslash, so a drive's root stays one
    }
    SetDllDirectoryW(separator ? path : L"");
}
