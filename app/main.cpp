#include <windows.h>

#include "OrvaneApp.h"
#include "camera/DllSearch.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    LeaveTheCurrentFolderOffTheDllSearch();
    COrvaneApp app;
    return app.InitInstance();
}
