// The identity group: the camera's identity record, read into the five
// fields and written back from them.
#include <telvix/Telvix.h>

#include <cwchar>

#include "Camera.h"
#include "Session.h"
#include "core/IdentityCodec.h"
#include "texts/Notice.h"
#include "texts/TextTable.h"

namespace {

// The length notice names the length required, not the one found.
void ShowLengthNotice(int textId, size_t required)
{
    WideString text = Text(textId);
    wchar_t suffix[16] = {};
    std::swprintf(suffix, sizeof suffix / sizeof suffix[0], L" %d!", static_cast<int>(required));
    ShowNotice((text + suffix).c_str());
}

} // namespace

void Camera::OnReadIdentity()
{
    // A failed read is silent and leaves the fields as they were.
    IdentityRecord record{};
    int status = 0;
    if (GetVUZInfo(&record, g_sessionPassword, &status) != 1)
        return;
    IdentityTexts texts = ParseIdentityRecord(record);
    m_cameraId = texts.cameraId;
    m_userId = texts.userId;
    m_departmentId = texts.departmentId;
    m_departmentName = texts.departmentName;
    m_userName = texts.userName;
    UpdateData(false);
}

void Camera::OnSetIdentity()
{
    UpdateData(true);
    IdentityRecord record{};
    switch (BuildIdentityRecord({m_cameraId, m_userId, m_departmentId, m_userName, m_departmentName}, record)) {
    case BuildResult::CameraIdLength:
        ShowLengthNotice(kTextCameraIdLength, kCameraIdChars);
        return;
    case BuildResult::UserIdLength:
        ShowLengthNotice(kTextUserIdLength, kUserIdChars);
        return;
    case BuildResult::NameTooLong:
        // Sending would silently blank the name on the camera.
        ShowNotice(Text(kTextSetFailed));
        return;
    case BuildResult::Ok:
        break;
    }
    int status = 0;
    bool written = WriteVUZInfo(&record, g_sessionPassword, &status) == 1;
    ShowNotice(Text(written ? kTextSetSuccessful : kTextSetFailed));
}
