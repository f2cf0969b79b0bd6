#include "Camera.h"
#include "CameraLibrary.h"
#include "DeleteDialog.h"
#include "Session.h"
#include "texts/Notice.h"
#include "texts/TextTable.h"

namespace {

// The camera takes a moment to switch over or to finish with the card; the
// operator is told once it has.
constexpr DWORD kSettleMs = 1000;

} // namespace

void Camera::OnUsbStorage()
{
    int status = 0;
    if (CameraCalls().SetMSDC(g_sessionPassword, &status) != 1) {
        ShowNotice(Text(kTextUsbStorageFailed));
        return;
    }
    Sleep(kSettleMs);
    ShowNotice(Text(kTextUsbStorageEntered));
}

void Camera::OnFormatCard()
{
    {
        DeleteDialog confirm;
        if (confirm.DoModal() != IDOK)
            return;
    }
    int status = 0;
    if (CameraCalls().FormatDecTF(g_sessionPassword, &status) != 1) {
        ShowNotice(Text(kTextFormatFailed));
        return;
    }
    Sleep(kSettleMs);
    ShowNotice(Text(kTextFormatDone));
}
