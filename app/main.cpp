#include <windows.h>

#include "OrvaneApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    COrvaneApp app;
    return app.InitInstance();
}
