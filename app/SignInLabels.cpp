#include "SignInLabels.h"

#include "res/resource.h"
#include "texts/TextTable.h"

namespace {

void FillAccountTypes(ui::ComboBox& userTypes)
{
    userTypes.ResetContent();
    const struct {
        int text;
        AccountType type;
    } kItems[] = {{kTextAdministrator, kAdministratorAccount}, {kTextUser, kUserAccount}};
    for (const auto& item : kItems) {
        int index = userTypes.AddString(Text(item.text));
        userTypes.SetItemData(index, item.type);
    }
}

} // namespace

void LabelSignInWindow(HWND window, ui::ComboBox& userTypes, bool connected)
{
    int selected = SelectedAccountType(userTypes);
    FillAccountTypes(userTypes);
    SelectAccountType(userTypes, selected == CB_ERR ? kAdministratorAccount : selected);

    const struct {
        int control;
        int text;
    } kLabels[] = {
        {IDC_USER_TYPE_LABEL, kTextUserTypeLabel},
        {IDC_PASSWORD_LABEL, kTextPasswordLabel},
        {IDC_CONNECT, connected ? kTextDisconnectDevice : kTextConnectDevice},
        {IDC_SIGN_IN, kTextSignIn},
        {IDC_EXIT, kTextExit},
    };
    for (const auto& label : kLabels)
        SetDlgItemTextW(window, label.control, Text(label.text));
    SetWindowTextW(window, Text(kTextAppTitle));
    InvalidateRect(window, nullptr, TRUE);
}

int SelectedAccountType(const ui::ComboBox& userTypes)
{
    int index = userTypes.GetCurSel();
    if (index == CB_ERR)
        return CB_ERR;
    return static_cast<int>(userTypes.GetItemData(index));
}

void SelectAccountType(ui::ComboBox& userTypes, int accountType)
{
    for (int index = 0; index < userTypes.GetCount(); ++index) {
        if (userTypes.GetItemData(index) == accountType) {
            userTypes.SetCurSel(index);
            return;
        }
    }
}
