// The identity group: the camera's identity record, read into the five
// fields and written back from them.
#include "Camera.h"
#include "camera/CameraLibrary.h"
#include "Session.h"
#include "core/DisplayTexts.h"
#include "core/IdentityCodec.h"
#include "texts/Notice.h"
#include "texts/TextTable.h"

namespace {

// The entry of the notice for a record that was not built.
int RefusalEntry(BuildResult result)
{
    switch (result) {
    case BuildResult::CameraIdLength:
        return kTextCameraIdLength;
    case BuildResult::UserIdLength:
        return kTextUserIdLength;
    case BuildResult::NameTooLong: // sending would silently blank the name on the camera
    case BuildResult::Ok:
        break;
    }
    return kTextSetFailed;
}

} // namespace

void Camera::OnReadIdentity()
{
    // A failed read is silent and leaves the fields as they were.
    IdentityRecord record{};
    int status = 0;
    if (CameraCalls().GetVUZInfo(&record, g_sessionPassword, &status) != 1)
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
    BuildResult built =
        BuildIdentityRecord({m_cameraId, m_userId, m_departmentId, m_userName, m_departmentName}, record);
    if (built != BuildResult::Ok) {
        ShowNotice(IdentityNotice(built, Text(RefusalEntry(built))).c_str());
        return;
    }
    int status = 0;
    bool written = CameraCalls().WriteVUZInfo(&record, g_sessionPassword, &status) == 1;
    ShowNotice(Text(written ? kTextSetSuccessful : kTextSetFailed));
}
