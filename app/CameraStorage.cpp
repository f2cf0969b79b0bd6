#include "Camera.h"
#include "camera/CameraLibrary.h"
#include "DeleteDialog.h"
#include "Session.h"
#include "texts/Notice.h"
#include "texts/TextTable.h"

namespace {

// The camera takes a moment to switch over or to finish with the card; the
// operator is told once it has.
constexpr DWORD kSettleMs = 1000;

// Reports a storage action: at once when it failed, after the camera has
// settled when it succeeded.
void Report(bool done, int doneText, int failedText)
{
    if (done)
        Sleep(kSettleMs);
    ShowNotice(Text(done ? doneText : failedText));
}

} // namespace

void Camera::OnUsbStorage()
{
    int status = 0;
    bool entered = CameraCalls().SetMSDC(g_sessionPassword, &status) == 1;
    Report(entered, kTextUsbStorageEntered, kTextUsbStorageFailed);
}

void Camera::OnFormatCard()
{
    {
        DeleteDialog confirm;
        if (confirm.DoModal() != IDOK)
            return;
    }
    int status = 0;
    bool formatted = CameraCalls().FormatDecTF(g_sessionPassword, &status) == 1;
    Report(formatted, kTextFormatDone, kTextFormatFailed);
}
