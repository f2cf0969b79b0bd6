// The camera as the tool sees it: the library's calls through the camera
// seam (camera/CameraLibrary.h), each answering whether it worked. Every
// call blocks until the camera has answered.
#pragma once

#include <string>

#include "telvix/Telvix.h"

enum class Connection {
    Connected,
    NoVendorLibrary,
    NoCamera,
    Refused,  // a camera is there but did not accept the connection
};
enum class Account : int { Administrator = 0, User = 1 };

struct Resolution {
    int width = 0;
    int height = 0;
};

namespace camera {

Connection Connect();
bool SignIn(Account account, const std::string& password);
bool ReadSerial(std::string& serial);  // the text up to the first zero of the 21 bytes
bool ReadIdentity(IdentityRecord& record);

enum class VerifiedWrite { Ok, Refused, ReadBackFailed, Differs };
// Writes `wanted`, reads the record back into `after` and compares.
VerifiedWrite WriteIdentityAndVerify(const IdentityRecord& wanted, IdentityRecord& after);
// Writes the serial number `wanted`, reads it back into `after` and compares.
VerifiedWrite WriteSerialAndVerify(const std::string& wanted, std::string& after);
// What went wrong, for the operator, of the identity record or the serial
// number (`what`); empty for Ok.
std::string Describe(VerifiedWrite outcome, const std::string& what);

bool SyncTime();
bool ReadResolution(Resolution& resolution);
bool ReadBattery(int& percent);
bool SetPassword(Account account, const std::string& password);
bool EnterUsbStorage();
// A format the camera refused and a format it never heard of both fail.
bool Format();

}  // namespace camera
