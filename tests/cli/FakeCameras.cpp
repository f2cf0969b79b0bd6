#include "FakeCameras.h"

#include <cstring>

#include "FakeHost.h"
#include "core/IdentityCodec.h"

namespace {

FakeCameras* g_current = nullptr;

bool Plugged(const FakeCamera& camera)
{
    return g_system.now >= camera.pluggedAt && g_system.now < camera.unpluggedAt;
}

// The connected camera when the call may go through, else null (the call
// is recorded either way) and the status says it failed.
FakeCamera* Reach(const char* function, int* status, const std::string& detail = "")
{
    FakeCameras& fake = FakeCameras::Current();
    fake.Record(function, detail);
    FakeCamera* camera = fake.Connected();
    const bool ok = camera && camera->failing.count(function) == 0;
    if (status) {
        *status = ok ? kStatusSuccess : kStatusFailure;
    }
    return ok ? camera : nullptr;
}

int TELVIX_CALL FakeInit(void*, int* status)
{
    FakeCameras& fake = FakeCameras::Current();
    fake.Record("Init_Device");
    if (fake.noVendorLibrary) {
        return 0;
    }
    fake.connected = -1;
    for (size_t i = 0; i < fake.cameras.size(); ++i) {
        const FakeCamera& camera = fake.cameras[i];
        if (Plugged(camera) && !(fake.storageModeHides && camera.inStorageMode)) {
            fake.connected = static_cast<int>(i);
            if (!camera.refusesConnection) {
                fake.met.insert(fake.connected);
            }
            *status = camera.refusesConnection ? kStatusFailure : kStatusSuccess;
            return 1;
        }
    }
    *status = kStatusFailure;
    return 0;
}

void TELVIX_CALL FakeUnInit(void*) {}

int TELVIX_CALL FakeLogin(int account, const char* password)
{
    const std::string detail = (account == 0 ? "admin " : "user ") + std::string(password);
    FakeCamera* camera = Reach("client_login", nullptr, detail);
    if (!camera) {
        return kLoginResultRefused;
    }
    return (account == 0 ? camera->adminPassword : camera->userPassword) == password ? 1 : kLoginResultRefused;
}

int TELVIX_CALL FakeGetIdentity(void* record, const char*, int* status)
{
    FakeCamera* camera = Reach("GetVUZInfo", status);
    if (camera) {
        std::memcpy(record, camera->identity.bytes, sizeof camera->identity.bytes);
    }
    return camera ? 1 : 0;
}

int TELVIX_CALL FakeWriteIdentity(const void* record, const char*, int* status)
{
    FakeCamera* camera = Reach("WriteVUZInfo", status);
    if (camera) {
        std::memcpy(camera->identity.bytes, record, sizeof camera->identity.bytes);
        camera->identity.bytes[kUserNameOffset] ^= camera->garblesIdentity ? 0x01 : 0x00;
    }
    return camera ? 1 : 0;
}

int TELVIX_CALL FakeReadSerial(void* serial, const char*, int* status)
{
    FakeCamera* camera = Reach("ReadCameraSerialNo", status);
    if (camera) {
        char bytes[kSerialNoLength] = {};
        camera->serial.copy(bytes, sizeof bytes);
        std::memcpy(serial, bytes, sizeof bytes);
    }
    return camera ? 1 : 0;
}

int TELVIX_CALL FakeSetSerial(const void* serial, const char*, int* status)
{
    FakeCamera* camera = Reach("SetCameraSerialNo", status);
    if (camera) {
        const char* bytes = static_cast<const char*>(serial);
        camera->serial.assign(bytes, strnlen(bytes, kSerialNoLength));
        if (camera->garblesSerial && !camera->serial.empty()) {
            camera->serial.back() ^= 0x01;
        }
    }
    return camera ? 1 : 0;
}

int TELVIX_CALL FakeResolution(int* width, int* height, const char*, int* status)
{
    const bool ok = Reach("ReadDeviceResolution", status);
    *width = ok ? 1920 : *width;
    *height = ok ? 1080 : *height;
    return ok ? 1 : 0;
}

int TELVIX_CALL FakeBattery(int* level, const char*, int* status)
{
    const bool ok = Reach("ReadDeviceBatteryDumpEnergy", status);
    *level = ok ? 85 : *level;
    return ok ? 1 : 0;
}

template <std::string FakeCamera::*Password>
int TELVIX_CALL FakeSetPassword(const char* password, const char*, int* status)
{
    FakeCamera* camera = Reach(Password == &FakeCamera::adminPassword ? "SetAdminPassWord" : "SetUserPassWord",
                               status, password);
    if (camera && !camera->keepsOldPassword) {
        camera->*Password = password;
    }
    return camera ? 1 : 0;
}

// The card's drive, if it has one, appears as the switch happens.
int TELVIX_CALL FakeEnterStorage(const char*, int* status)
{
    FakeCamera* camera = Reach("SetMSDC", status);
    if (camera) {
        camera->inStorageMode = true;
    }
    if (camera && !camera->cardDrive.empty()) {
        g_system.drives[camera->cardDrive] = g_system.now;
    }
    return camera ? 1 : 0;
}

// The calls that only change the camera's state, which no test reads back.
const char* const kPlainCalls[] = {"SyncDevTime", "FormatDecTF"};

template <size_t I>
int TELVIX_CALL FakePlainCall(const char*, int* status)
{
    return Reach(kPlainCalls[I], status) ? 1 : 0;
}

int TELVIX_CALL FakeGetDeviceLink()
{
    FakeCameras& fake = FakeCameras::Current();
    fake.Record("GetDeviceLink");
    return fake.met.count(fake.connected) ? fake.connected + 1 : 0;
}

int TELVIX_CALL FakeUseDeviceLink(int link)
{
    FakeCameras& fake = FakeCameras::Current();
    fake.Record("UseDeviceLink", std::to_string(link));
    if (link <= 0 || fake.met.count(link - 1) == 0) {
        return 0;
    }
    fake.connected = link - 1;
    return 1;
}

}  // namespace

IdentityRecord DefaultIdentity()
{
    IdentityRecord record{};
    BuildIdentityRecord({WIDE("CAM0001"), WIDE("000001"), WIDE("D01"), WIDE(""), WIDE("")}, record);
    return record;
}

FakeCameras::FakeCameras()
    : library_(TelvixLibrary()), links_{&FakeGetDeviceLink, &FakeUseDeviceLink}, previous_(g_cameraLibrary)
{
    library_.Init_Device = &FakeInit;
    library_.UnInit_Device = &FakeUnInit;
    library_.client_login = &FakeLogin;
    library_.GetVUZInfo = &FakeGetIdentity;
    library_.WriteVUZInfo = &FakeWriteIdentity;
    library_.ReadCameraSerialNo = &FakeReadSerial;
    library_.SetCameraSerialNo = &FakeSetSerial;
    library_.ReadDeviceResolution = &FakeResolution;
    library_.ReadDeviceBatteryDumpEnergy = &FakeBattery;
    library_.SetAdminPassWord = &FakeSetPassword<&FakeCamera::adminPassword>;
    library_.SetUserPassWord = &FakeSetPassword<&FakeCamera::userPassword>;
    library_.SyncDevTime = &FakePlainCall<0>;
    library_.SetMSDC = &FakeEnterStorage;
    library_.FormatDecTF = &FakePlainCall<1>;
    g_current = this;
    g_cameraLibrary = &library_;
}

FakeCameras::~FakeCameras()
{
    g_cameraLibrary = previous_;
    g_current = nullptr;
}

FakeCameras& FakeCameras::Current()
{
    return *g_current;
}

FakeCamera& FakeCameras::Plug(std::uint64_t from, std::uint64_t until)
{
    FakeCamera camera;
    camera.pluggedAt = from;
    camera.unpluggedAt = until;
    camera.identity = DefaultIdentity();
    cameras.push_back(camera);
    return cameras.back();
}

FakeCamera* FakeCameras::Connected()
{
    if (connected < 0 || !Plugged(cameras[static_cast<size_t>(connected)])) {
        return nullptr;
    }
    return &cameras[static_cast<size_t>(connected)];
}

void FakeCameras::Record(const std::string& function, const std::string& detail)
{
    // A tool that calls the camera without pause never lets the fake clock
    // move: Ctrl+C stops it, so that the test fails instead of hanging.
    constexpr size_t kRunaway = 10000;
    if ((!interruptOn.empty() && function == interruptOn) || calls.size() >= kRunaway) {
        g_system.Interrupt();
        interruptOn.clear();
    }
    calls.push_back({function, g_system.now, connected, detail});
}

std::vector<std::string> FakeCameras::Names() const
{
    std::vector<std::string> names;
    for (const FakeCall& call : calls) {
        names.push_back(call.function);
    }
    return names;
}

int FakeCameras::Count(const std::string& function) const
{
    int count = 0;
    for (const FakeCall& call : calls) {
        count += call.function == function ? 1 : 0;
    }
    return count;
}
