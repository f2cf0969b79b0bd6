#include "Camera.h"

#include <telvix/Telvix.h>

#include <cstring>

#include "Session.h"
#include "core/TextConversions.h"
#include "texts/Notice.h"
#include "texts/TextTable.h"

namespace {

// Room for a password longer than the camera's, so that an over-long one is
// seen as such instead of being cut to the right length.
constexpr size_t kPasswordBufferSize = 10;
constexpr size_t kPasswordLength = 6;

using SetPasswordCall = int(TELVIX_CALL*)(const char* password, const char* credential, int* status);

// Sends `password` with `set` when it and its confirmation are the same six
// bytes, and shows the outcome.
void ChangePassword(const WideString& password, const WideString& again, SetPasswordCall set)
{
    char first[kPasswordBufferSize] = {};
    char second[kPasswordBufferSize] = {};
    NarrowInto(password.c_str(), first, sizeof first);
    NarrowInto(again.c_str(), second, sizeof second);
    // Bounded: a text of 10 or more characters fills its buffer without a zero.
    if (strnlen(first, sizeof first) != kPasswordLength || strnlen(second, sizeof second) != kPasswordLength) {
        ShowNotice(Text(kTextPasswordLength));
        return;
    }
    if (std::memcmp(first, second, sizeof first) != 0) {
        ShowNotice(Text(kTextPasswordsDiffer));
        return;
    }
    int status = 0;
    bool changed = set(first, g_sessionPassword, &status) == 1;
    ShowNotice(Text(changed ? kTextPasswordChanged : kTextPasswordChangeFailed));
}

} // namespace

void Camera::OnSetAdminPassword()
{
    UpdateData(true);
    ChangePassword(m_adminPassword, m_adminPasswordAgain, SetAdminPassWord);
}

void Camera::OnSetUserPassword()
{
    UpdateData(true);
    ChangePassword(m_userPassword, m_userPasswordAgain, SetUserPassWord);
}
