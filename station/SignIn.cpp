#include "station/SignIn.h"

namespace station {

const char* const kNoVendorLibrary = "the camera's USB library (NvUSB) was not found";
const char* const kConnectionRefused = "the camera did not accept the connection";
const char* const kSignInRefused = "the camera refused the sign-in";

Outcome Connect(std::string& why)
{
    switch (camera::Connect()) {
    case Connection::NoVendorLibrary:
        why = kNoVendorLibrary;
        return Outcome::NoCamera;
    case Connection::NoCamera:
        why = "no camera found";
        return Outcome::NoCamera;
    case Connection::Refused:
        why = kConnectionRefused;
        return Outcome::NoCamera;
    case Connection::Connected:
        break;
    }
    return Outcome::Ok;
}

Outcome OpenCamera(const RunContext& run, std::string& why)
{
    const Outcome connected = Connect(why);
    if (connected != Outcome::Ok) {
        return connected;
    }
    if (!camera::SignIn(run.account, run.password.text())) {
        why = kSignInRefused;
        return Outcome::SignInRefused;
    }
    return Outcome::Ok;
}

}  // namespace station
