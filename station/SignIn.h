// Reaching the camera: the connection and the sign-in, with what went wrong
// in the operator's words.
#pragma once

#include <string>

#include "station/RunContext.h"
#include "station/StationEvents.h"

namespace station {

// Ok, or NoCamera with `why`.
Outcome Connect(std::string& why);
// Connects and signs in: Ok, NoCamera or SignInRefused with `why`.
Outcome OpenCamera(const RunContext& run, std::string& why);

// What the station says when there is no vendor library; and when a camera
// is there but does not accept the connection.
extern const char* const kNoVendorLibrary;
extern const char* const kConnectionRefused;
extern const char* const kSignInRefused;

}  // namespace station
