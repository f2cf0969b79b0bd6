#include "station/Camera.h"

#include <cstring>

#include "camera/CameraLibrary.h"

namespace camera {
namespace {

// The library ignores the credential; the signed-in password is not handed
// to calls that do not need it.
constexpr const char* kNoCredential = "";

bool WriteIdentity(const IdentityRecord& record)
{
    int status = 0;
    return CameraCalls().WriteVUZInfo(record.bytes, kNoCredential, &status) == 1;
}

bool WriteSerial(const std::string& serial)
{
    char bytes[kSerialNoLength] = {};
    serial.copy(bytes, sizeof bytes - 1);  // the rest stays zero
    int status = 0;
    return CameraCalls().SetCameraSerialNo(bytes, kNoCredential, &status) == 1;
}

}  // namespace

Connection Connect()
{
    int status = 0;  // left as it is when the vendor library is missing
    if (CameraCalls().Init_Device(nullptr, &status) == 1) {
        // A camera was found; the status says whether it let us connect.
        return status == kStatusFailure ? Connection::Refused : Connection::Connected;
    }
    return status == 0 ? Connection::NoVendorLibrary : Connection::NoCamera;
}

bool SignIn(Account account, const std::string& password)
{
    return CameraCalls().client_login(static_cast<int>(account), password.c_str()) == 1;
}

bool ReadSerial(std::string& serial)
{
    char bytes[kSerialNoLength] = {};
    int status = 0;
    if (CameraCalls().ReadCameraSerialNo(bytes, kNoCredential, &status) != 1) {
        return false;
    }
    serial.assign(bytes, strnlen(bytes, sizeof bytes));
    return true;
}

bool ReadIdentity(IdentityRecord& record)
{
    int status = 0;
    return CameraCalls().GetVUZInfo(record.bytes, kNoCredential, &status) == 1;
}

VerifiedWrite WriteIdentityAndVerify(const IdentityRecord& wanted, IdentityRecord& after)
{
    if (!WriteIdentity(wanted)) {
        return VerifiedWrite::Refused;
    }
    if (!ReadIdentity(after)) {
        return VerifiedWrite::ReadBackFailed;
    }
    return std::memcmp(after.bytes, wanted.bytes, sizeof wanted.bytes) == 0 ? VerifiedWrite::Ok
                                                                           : VerifiedWrite::Differs;
}

VerifiedWrite WriteSerialAndVerify(const std::string& wanted, std::string& after)
{
    if (!WriteSerial(wanted)) {
        return VerifiedWrite::Refused;
    }
    if (!ReadSerial(after)) {
        return VerifiedWrite::ReadBackFailed;
    }
    return after == wanted ? VerifiedWrite::Ok : VerifiedWrite::Differs;
}

std::string Describe(VerifiedWrite outcome, const std::string& what)
{
    switch (outcome) {
    case VerifiedWrite::Ok:
        return "";
    case VerifiedWrite::Refused:
        return "the camera refused the " + what;
    case VerifiedWrite::ReadBackFailed:
        return "could not read the " + what + " back";
    case VerifiedWrite::Differs:
        break;
    }
    return "the " + what + " read back differs from the one written";
}

bool SyncTime()
{
    int status = 0;
    return CameraCalls().SyncDevTime(kNoCredential, &status) == 1;
}

bool ReadResolution(Resolution& resolution)
{
    int status = 0;
    return CameraCalls().ReadDeviceResolution(&resolution.width, &resolution.height, kNoCredential, &status) == 1;
}

bool ReadBattery(int& percent)
{
    int status = 0;
    return CameraCalls().ReadDeviceBatteryDumpEnergy(&percent, kNoCredential, &status) == 1;
}

bool SetPassword(Account account, const std::string& password)
{
    const auto set = account == Account::Administrator ? CameraCalls().SetAdminPassWord : CameraCalls().SetUserPassWord;
    int status = 0;
    return set(password.c_str(), kNoCredential, &status) == 1;
}

bool EnterUsbStorage()
{
    int status = 0;
    return CameraCalls().SetMSDC(kNoCredential, &status) == 1;
}

bool Format()
{
    int status = 0;
    return CameraCalls().FormatDecTF(kNoCredential, &status) == 1;
}

}  // namespace camera
