#include "WindowRules.h"

#include "AboutDlg.h"

void AddAboutItem(ui::Dialog& window)
{
    window.AppendSystemMenuItem(IDM_ABOUT, IDS_ABOUT);
}

bool RunAboutOnCommand(UINT command)
{
    // The low four bits of a system command are the system's own.
    if ((command & 0xFFF0) != IDM_ABOUT)
        return false;
    CAboutDlg about;
    about.DoModal();
    return true;
}

bool IsEscapeKey(const MSG& message)
{
    return message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE;
}
