// The sign-in window's texts in the active language, and its account-type
// list, whose items carry their account type: the list is sorted, and in
// another language "User" may sort before "Administrator".
#pragma once

#include <windows.h>

#include "ui/ComboBox.h"

enum AccountType : int { kAdministratorAccount = 0, kUserAccount = 1 };

// Puts the active language's texts on the sign-in window `window`: caption,
// labels, buttons (Connect or Disconnect as `connected` says) and the list's
// items, keeping the account type selected (Administrator when none is).
// Repaints the window so that the banner is drawn anew.
void LabelSignInWindow(HWND window, ui::ComboBox& userTypes, bool connected);

// Account type of the selected item; CB_ERR when none is selected.
int SelectedAccountType(const ui::ComboBox& userTypes);
void SelectAccountType(ui::ComboBox& userTypes, int accountType);
