#include "Camera.h"
#include "camera/CameraLibrary.h"
#include "Session.h"
#include "core/PasswordRules.h"
#include "texts/Notice.h"
#include "texts/TextTable.h"

namespace {

using SetPasswordCall = decltype(CameraLibrary::SetAdminPassWord);

// Sends `password` with `set` when it and its confirmation are the same six
// bytes, and shows the outcome.
void ChangePassword(const WideString& password, const WideString& again, SetPasswordCall set)
{
    NewPassword checked = CheckNewPassword(password, again);
    if (checked.check != PasswordCheck::Ok) {
        ShowNotice(Text(checked.check == PasswordCheck::WrongLength ? kTextPasswordLength : kTextPasswordsDiffer));
        return;
    }
    int status = 0;
    bool changed = set(checked.bytes.c_str(), g_sessionPassword, &status) == 1;
    ShowNotice(Text(changed ? kTextPasswordChanged : kTextPasswordChangeFailed));
}

} // namespace

void Camera::OnSetAdminPassword()
{
    UpdateData(true);
    ChangePassword(m_adminPassword, m_adminPasswordAgain, CameraCalls().SetAdminPassWord);
}

void Camera::OnSetUserPassword()
{
    UpdateData(true);
    ChangePassword(m_userPassword, m_userPasswordAgain, CameraCalls().SetUserPassWord);
}
