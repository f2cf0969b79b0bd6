#include <windows.h>

#include "OrvaneApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // Takes the current folder off the DLL search path before Telvix looks
    // for NvUSB.dll, so that a library planted in whatever folder the
    // program is started from is never loaded. The program's folder, the
    // system folders and PATH are still searched.
    SetDllDirectoryW(L"");
    COrvaneApp app;
    return app.InitInstance();
}
