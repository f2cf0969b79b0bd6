#include "cli/Camera.h"

#include <cstring>

namespace camera {
namespace {

// The library ignores the credential; the signed-in password is not handed
// to calls that do not need it.
constexpr const char* kNoCredential = "";

}  // namespace

Connection Connect()
{
    int status = 0;  // left as it is when the vendor library is missing
    if (Init_Device(nullptr, &status) == 1) {
        return Connection::Connected;
    }
    return status == 0 ? Connection::NoVendorLibrary : Connection::NoCamera;
}

bool SignIn(Account account, const std::string& password)
{
    return client_login(static_cast<int>(account), password.c_str()) == 1;
}

bool ReadSerial(std::string& serial)
{
    char bytes[kSerialNoLength] = {};
    int status = 0;
    if (ReadCameraSerialNo(bytes, kNoCredential, &status) != 1) {
        return false;
    }
    serial.assign(bytes, strnlen(bytes, sizeof bytes));
    return true;
}

bool WriteSerial(const std::string& serial)
{
    char bytes[kSerialNoLength] = {};
    serial.copy(bytes, sizeof bytes - 1);  // the rest stays zero
    int status = 0;
    return SetCameraSerialNo(bytes, kNoCredential, &status) == 1;
}

bool ReadIdentity(IdentityRecord& record)
{
    int status = 0;
    return GetVUZInfo(record.bytes, kNoCredential, &status) == 1;
}

bool WriteIdentity(const IdentityRecord& record)
{
    int status = 0;
    return WriteVUZInfo(record.bytes, kNoCredential, &status) == 1;
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

const char* Describe(VerifiedWrite outcome)
{
    switch (outcome) {
    case VerifiedWrite::Ok:
        return "";
    case VerifiedWrite::Refused:
        return "the camera refused the identity record";
    case VerifiedWrite::ReadBackFailed:
        return "could not read the identity record back";
    case VerifiedWrite::Differs:
        break;
    }
    return "the identity read back differs from the one written";
}

bool SyncTime()
{
    int status = 0;
    return SyncDevTime(kNoCredential, &status) == 1;
}

bool ReadResolution(Resolution& resolution)
{
    int status = 0;
    return ReadDeviceResolution(&resolution.width, &resolution.height, kNoCredential, &status) == 1;
}

bool ReadBattery(int& percent)
{
    int status = 0;
    return ReadDeviceBatteryDumpEnergy(&percent, kNoCredential, &status) == 1;
}

bool SetPassword(Account account, const std::string& password)
{
    int status = 0;
    return account == Account::Administrator ? SetAdminPassWord(password.c_str(), kNoCredential, &status) == 1
                                             : SetUserPassWord(password.c_str(), kNoCredential, &status) == 1;
}

bool EnterUsbStorage()
{
    int status = 0;
    return SetMSDC(kNoCredential, &status) == 1;
}

bool Format()
{
    int status = 0;
    return FormatDecTF(kNoCredential, &status) == 1;
}

}  // namespace camera
