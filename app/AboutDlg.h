// The About box, opened from the system menu.
#pragma once

#include "res/resource.h"
#include "ui/Dialog.h"

class CAboutDlg : public ui::Dialog {
public:
    enum { IDD = IDD_ABOUTBOX };
    CAboutDlg() : Dialog(IDD) {}
};
