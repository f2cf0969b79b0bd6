#include "dock/SignInTrial.h"

#include "camera/CameraLibrary.h"

TrialResult TrySignIn(bool userAccount, const std::string& password)
{
    const CameraLibrary& calls = CameraCalls();
    int status = 0;
    if (calls.Init_Device(nullptr, &status) != 1 || status == kStatusFailure)
        return TrialResult::NoCamera;
    bool accepted = calls.client_login(userAccount ? 1 : 0, password.c_str()) == 1;
    calls.UnInit_Device(nullptr);
    return accepted ? TrialResult::Accepted : TrialResult::Refused;
}
