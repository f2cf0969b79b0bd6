#include "DeleteDialog.h"

#include "WindowRules.h"
#include "texts/TextTable.h"

bool DeleteDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    static const ui::MessageEntry<DeleteDialog> kMessageMap[] = {
        ui::Message(WM_SYSCOMMAND, &DeleteDialog::OnSysCommand),
    };
    return ui::Dispatch(*this, kMessageMap, message, wParam, lParam, result);
}

BOOL DeleteDialog::OnInitDialog()
{
    Dialog::OnInitDialog();
    AddAboutItem(*this);
    SetDlgItemText(IDC_CONFIRM_TEXT, Text(kTextConfirmFormat));
    SetWindowText(Text(kTextFormatCard));
    SetDlgItemText(IDCANCEL, Text(kTextNo));
    SetDlgItemText(IDOK, Text(kTextYes));
    // Formatting loses every recording: Enter at once must answer No.
    SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDCANCEL)), TRUE);
    return FALSE; // the focus is placed
}

// The About item behaves as in the sign-in window's menu.
void DeleteDialog::OnSysCommand(UINT id, LPARAM)
{
    if (RunAboutOnCommand(id))
        return;
    Default();
}
