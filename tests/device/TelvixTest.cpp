// The device library in process, against a scripted vendor link.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "CentralEuropeanTime.h"
#include "DeviceLink.h"
#include "FakeVendorLink.h"
#include "telvix/Telvix.h"
#include "telvix/VendorCommands.h"

namespace {

const char kPassword[] = "888888";

class TelvixTest : public ::testing::Test {
protected:
    void SetUp() override { StartFresh(); }
    void TearDown() override { telvix::ResetForTesting(); }

    // A freshly loaded library whose surroundings are this fixture's.
    void StartFresh() {
        telvix::ResetForTesting();
        trace.clear();
        script = std::make_shared<VendorScript>();
        auto& environment = telvix::CurrentEnvironment();
        environment.loadVendor = [this]() -> std::unique_ptr<telvix::VendorLink> {
            ++loads;
            if (!vendorPresent) return nullptr;
            return std::make_unique<FakeVendorLink>(script);
        };
        environment.writeTrace = [this](const char* text, std::size_t length) { trace.append(text, length); };
        environment.pause = [this](unsigned ms) {
            pauses.push_back(ms);
            pauseAfterTransfer.push_back(script->transfers.size());
        };
    }

    void Connect() {
        int status = 0;
        ASSERT_EQ(1, Init_Device(nullptr, &status));
        trace.clear();
        script->transfers.clear();
    }

    std::shared_ptr<VendorScript> script;
    bool vendorPresent = true;
    int loads = 0;
    std::string trace;
    std::vector<unsigned> pauses;
    std::vector<std::size_t> pauseAfterTransfer;
};

// --- the link ---------------------------------------------------------------

TEST_F(TelvixTest, InitReportsWhatItFound) {
    struct Case {
        const char* name;
        bool vendorPresent;
        int deviceHandle;
        int connectResult;
        int result;
        int status;
        int device;
        int link;  // what GetDeviceLink then answers
        const char* trace;
    } cases[] = {
        {"no vendor library", false, 0x1234, 1, 0, 77, -1, 0, "Cannot find NvUSB.dll\r\n"},
        {"no camera", true, 0, 1, 0, kStatusFailure, 0, 0, "No Device is Existing\r\n"},
        {"connect refused", true, 0x1234, 0, 1, kStatusFailure, 0x1234, 0, "Connect to Device Failed!\r\n"},
        {"connected", true, 0x1234, 1, 1, kStatusSuccess, 0x1234, 0x1234, "Connect to Device Success!\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartFresh();
        vendorPresent = c.vendorPresent;
        script->deviceHandle = c.deviceHandle;
        script->connectResult = c.connectResult;
        int status = 77;
        EXPECT_EQ(c.result, Init_Device(nullptr, &status));
        EXPECT_EQ(c.status, status);
        EXPECT_EQ(c.device, telvix::g_device);
        EXPECT_EQ(c.link, GetDeviceLink());
        EXPECT_EQ(c.trace, trace);
    }
}

// Refused before any Init_Device; then 0xD found but its connect refused,
// 0xA and 0xB connected, and a last Init_Device that finds none (a dock whose
// cameras are all in storage mode): going back reaches only a camera a
// connect succeeded on, without a new Init_Device.
TEST_F(TelvixTest, UseDeviceLinkGoesBackOnlyToACameraConnectedBefore) {
    struct Case {
        const char* name;
        int link;
        int result;
        int device;  // where the next transfer goes
    } cases[] = {
        {"the first camera", 0xA, 1, 0xA},
        {"the last camera", 0xB, 1, 0xB},
        {"never found", 0xC, 0, 0},
        {"connect refused", 0xD, 0, 0},
        {"the unset handle", -1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartFresh();
        EXPECT_EQ(0, UseDeviceLink(c.link));
        EXPECT_EQ(0, GetDeviceLink());
        int status = 0;
        for (int handle : {0xD, 0xA, 0xB, 0}) {
            script->deviceHandle = handle;
            script->connectResult = handle == 0xD ? 0 : 1;
            Init_Device(nullptr, &status);
        }
        trace.clear();
        const int loadsBefore = loads, callsBefore = script->calls;
        EXPECT_EQ(c.result, UseDeviceLink(c.link));
        EXPECT_EQ(loadsBefore, loads);
        EXPECT_EQ(callsBefore, script->calls);
        EXPECT_EQ(c.device, GetDeviceLink());
        EXPECT_EQ(c.result ? "UseDeviceLink Successful\r\n" : "UseDeviceLink Failed!\r\n", trace);
        script->replies[kCmdFormat] = Int32Bytes(kFormatDone);
        ASSERT_EQ(1, FormatDecTF(kPassword, &status));
        for (const Transfer& transfer : script->transfers) EXPECT_EQ(c.device, transfer.device);
    }
}

TEST_F(TelvixTest, SecondInitLoadsAgainAndKeepsTheNewHandle) {
    int status = 0;
    Init_Device(nullptr, &status);
    script->deviceHandle = 0x5678;
    EXPECT_EQ(1, Init_Device(nullptr, &status));
    EXPECT_EQ(2, loads);
    EXPECT_EQ(0x5678, telvix::g_device);
}

TEST_F(TelvixTest, UnInitKeepsTheCameraReachable) {
    Connect();
    int dummy = 0;
    UnInit_Device(&dummy);
    int level = -1, status = 0;
    script->replies[kCmdBattery] = Int32Bytes(64);
    EXPECT_EQ(1, ReadDeviceBatteryDumpEnergy(&level, kPassword, &status));
    EXPECT_EQ(64, level);
    EXPECT_EQ(0x1234, script->transfers.at(0).device);
}

TEST_F(TelvixTest, GetIDCodeIsAlwaysOne) {
    EXPECT_EQ(1, GetIDCode());
    Connect();
    EXPECT_EQ(1, GetIDCode());
    EXPECT_EQ(0, script->calls - 2);  // only the two link calls of Init_Device
}

TEST_F(TelvixTest, OperationsBeforeInitFailWithoutCallingTheVendor) {
    int status = 0, value = 5;
    unsigned char record[kIdentityRecordSize] = {};
    EXPECT_EQ(kLoginResultRefused, client_login(0, kPassword));
    EXPECT_EQ(0, GetVUZInfo(record, kPassword, &status));
    EXPECT_EQ(kStatusFailure, status);
    status = 0;
    EXPECT_EQ(0, ReadDeviceBatteryDumpEnergy(&value, kPassword, &status));
    EXPECT_EQ(kStatusFailure, status);
    EXPECT_EQ(5, value);
    status = 0;
    EXPECT_EQ(0, FormatDecTF(kPassword, &status));
    EXPECT_EQ(kStatusFailure, status);
    EXPECT_EQ(0, script->calls);
    EXPECT_EQ(0, loads);
}

// --- sign-in ----------------------------------------------------------------

TEST_F(TelvixTest, SignInSendsTypeThenPasswordPausesThenReadsVerdict) {
    Connect();
    script->replies[kCmdLoginVerdict] = Int32Bytes(kLoginAccepted);
    EXPECT_EQ(1, client_login(1, "123456"));
    ASSERT_EQ(3u, script->transfers.size());
    EXPECT_EQ(kCmdAccountType, script->transfers[0].command);
    EXPECT_EQ(Int32Bytes(1), script->transfers[0].bytes);
    EXPECT_EQ(kCmdPassword, script->transfers[1].command);
    EXPECT_EQ(std::vector<unsigned char>({'1', '2', '3', '4', '5', '6'}), script->transfers[1].bytes);
    EXPECT_EQ(Transfer::kReceive, script->transfers[2].direction);
    EXPECT_EQ(kCmdLoginVerdict, script->transfers[2].command);
    EXPECT_EQ(std::vector<unsigned>({200}), pauses);
    EXPECT_EQ(std::vector<std::size_t>({2}), pauseAfterTransfer);
    EXPECT_EQ("client_login type Successful\r\nPSW_Check  Successful\r\nPSW_Check1 Successful\r\n", trace);
}

TEST_F(TelvixTest, SignInIsAcceptedOnlyOnVerdictThree) {
    Connect();
    for (int verdict : {0, 2, 4, 5, -1}) {
        script->replies[kCmdLoginVerdict] = Int32Bytes(verdict);
        EXPECT_EQ(kLoginResultRefused, client_login(0, kPassword)) << verdict;
    }
}

TEST_F(TelvixTest, EmptyPasswordIsSentWithLengthZero) {
    Connect();
    client_login(0, "");
    ASSERT_GE(script->transfers.size(), 2u);
    EXPECT_TRUE(script->transfers[1].bytes.empty());
}

TEST_F(TelvixTest, NullPasswordsFailWithoutATransfer) {
    Connect();
    int userStatus = 0, adminStatus = 0;
    EXPECT_EQ(kLoginResultRefused, client_login(0, nullptr));
    EXPECT_EQ(0, SetUserPassWord(nullptr, kPassword, &userStatus));
    EXPECT_EQ(0, SetAdminPassWord(nullptr, kPassword, &adminStatus));
    EXPECT_EQ(kStatusFailure, userStatus);
    EXPECT_EQ(kStatusFailure, adminStatus);
    EXPECT_EQ("client_login type  Failed!\r\nSetUserPassWord Failed!\r\nSetAdminPassWord Failed!\r\n", trace);
    EXPECT_TRUE(script->transfers.empty());
}

TEST_F(TelvixTest, SignInTransferFailuresGiveFourWithTheirTraces) {
    struct Case {
        int failing;
        bool receiveOnly;
        const char* trace;
    } cases[] = {
        {kCmdAccountType, false, "client_login type  Failed!\r\n"},
        {kCmdPassword, false, "client_login type Successful\r\nPSW_Check  Failed!\r\n"},
        {kCmdLoginVerdict, true,
         "client_login type Successful\r\nPSW_Check  Successful\r\nPSW_Check1 Failed!\r\n"},
    };
    Connect();
    for (const Case& c : cases) {
        script->failingCommands.clear();
        script->failingReceives.clear();
        (c.receiveOnly ? script->failingReceives : script->failingCommands).insert(c.failing);
        trace.clear();
        EXPECT_EQ(kLoginResultRefused, client_login(0, kPassword));
        EXPECT_EQ(c.trace, trace);
    }
}

TEST_F(TelvixTest, VerdictBufferStartsAtFourAndKeepsItsLastValue) {
    Connect();
    // A camera that answers without delivering bytes leaves the buffer as it was.
    EXPECT_EQ(kLoginResultRefused, client_login(0, kPassword));
    script->replies[kCmdLoginVerdict] = Int32Bytes(kLoginAccepted);
    EXPECT_EQ(1, client_login(0, kPassword));
    script->replies[kCmdLoginVerdict].clear();
    EXPECT_EQ(1, client_login(0, kPassword));
}

// --- single-transfer operations ----------------------------------------------

struct SingleTransfer {
    const char* name;
    int command;
    Transfer::Direction direction;
    std::size_t length;
    int (*call)(int* status);
};

unsigned char g_record[kIdentityRecordSize];
unsigned char g_serial[kSerialNoLength];
int g_width = -7, g_height = -7, g_level = -7;

const SingleTransfer kSingleTransfers[] = {
    {"GetVUZInfo", kCmdIdentity, Transfer::kReceive, 94, [](int* s) { return GetVUZInfo(g_record, kPassword, s); }},
    {"WriteVUZInfo", kCmdIdentity, Transfer::kSend, 94, [](int* s) { return WriteVUZInfo(g_record, kPassword, s); }},
    {"SyncDevTime", kCmdClock, Transfer::kSend, 36, [](int* s) { return SyncDevTime(kPassword, s); }},
    {"SetMSDC", kCmdStorageMode, Transfer::kSend, 4, [](int* s) { return SetMSDC(kPassword, s); }},
    {"ReadDeviceResolution", kCmdResolution, Transfer::kReceive, 8,
     [](int* s) { return ReadDeviceResolution(&g_width, &g_height, kPassword, s); }},
    {"ReadDeviceBatteryDumpEnergy", kCmdBattery, Transfer::kReceive, 4,
     [](int* s) { return ReadDeviceBatteryDumpEnergy(&g_level, kPassword, s); }},
    {"SetUserPassWord", kCmdUserPassword, Transfer::kSend, 6, [](int* s) { return SetUserPassWord("abc123", kPassword, s); }},
    {"SetAdminPassWord", kCmdAdminPassword, Transfer::kSend, 6, [](int* s) { return SetAdminPassWord("xyz789", kPassword, s); }},
    {"SetCameraSerialNo", kCmdSetSerial, Transfer::kSend, 21, [](int* s) { return SetCameraSerialNo(g_serial, nullptr, s); }},
    {"ReadCameraSerialNo", kCmdReadSerial, Transfer::kReceive, 21, [](int* s) { return ReadCameraSerialNo(g_serial, nullptr, s); }},
};

TEST_F(TelvixTest, EachOperationIsOneTransferWithItsTraceAndStatus) {
    Connect();
    for (const SingleTransfer& op : kSingleTransfers) {
        SCOPED_TRACE(op.name);
        script->replies[op.command] = std::vector<unsigned char>(op.length, 0x11);
        script->transfers.clear();
        trace.clear();
        int status = 0;
        EXPECT_EQ(1, op.call(&status));
        EXPECT_EQ(kStatusSuccess, status);
        EXPECT_EQ(std::string(op.name) + " Successful\r\n", trace);
        ASSERT_EQ(1u, script->transfers.size());
        EXPECT_EQ(op.command, script->transfers[0].command);
        EXPECT_EQ(op.direction, script->transfers[0].direction);
        EXPECT_EQ(0x1234, script->transfers[0].device);
        if (op.direction == Transfer::kSend) {
            EXPECT_EQ(op.length, script->transfers[0].bytes.size());
        }

        script->failingCommands = {op.command};
        trace.clear();
        status = 0;
        EXPECT_EQ(0, op.call(&status));
        EXPECT_EQ(kStatusFailure, status);
        EXPECT_EQ(std::string(op.name) + " Failed!\r\n", trace);
        script->failingCommands.clear();

        // A vendor library that throws: the failure stays inside the export.
        script->throwing = true;
        trace.clear();
        status = 0;
        EXPECT_EQ(0, op.call(&status));
        EXPECT_EQ(kStatusFailure, status);
        EXPECT_EQ(std::string(op.name) + " Failed!\r\n", trace);
        script->throwing = false;
    }
    EXPECT_TRUE(pauses.empty());
}

TEST_F(TelvixTest, NoExceptionLeavesTheTwoStepExportsOrInit) {
    Connect();
    script->throwing = true;
    EXPECT_EQ(kLoginResultRefused, client_login(0, kPassword));
    EXPECT_EQ("client_login type  Failed!\r\n", trace);
    trace.clear();
    int status = 0;
    EXPECT_EQ(0, FormatDecTF(kPassword, &status));
    EXPECT_EQ(kStatusFailure, status);
    EXPECT_EQ("FormatDecTF Failed!\r\n", trace);

    telvix::CurrentEnvironment().loadVendor = []() -> std::unique_ptr<telvix::VendorLink> {
        throw std::runtime_error("cannot load");
    };
    status = 0;
    EXPECT_EQ(0, Init_Device(nullptr, &status));
    EXPECT_EQ(kStatusFailure, status);
}

TEST_F(TelvixTest, PayloadsAreTheCallersBytesUnchanged) {
    Connect();
    unsigned char record[kIdentityRecordSize];
    for (int i = 0; i < kIdentityRecordSize; ++i) record[i] = static_cast<unsigned char>(i * 7);
    int status = 0;
    WriteVUZInfo(record, kPassword, &status);
    SetMSDC(kPassword, &status);
    SetUserPassWord("abc123", kPassword, &status);
    ASSERT_EQ(3u, script->transfers.size());
    EXPECT_EQ(std::vector<unsigned char>(record, record + kIdentityRecordSize), script->transfers[0].bytes);
    EXPECT_EQ(Int32Bytes(1), script->transfers[1].bytes);
    EXPECT_EQ(std::vector<unsigned char>({'a', 'b', 'c', '1', '2', '3'}), script->transfers[2].bytes);
}

TEST_F(TelvixTest, ReceivesDeliverIntoTheCallersOutputsOnlyOnSuccess) {
    Connect();
    std::vector<unsigned char> resolution = Int32Bytes(1920);
    std::vector<unsigned char> height = Int32Bytes(1080);
    resolution.insert(resolution.end(), height.begin(), height.end());
    script->replies[kCmdResolution] = resolution;
    int width = -5, h = -5, status = 0;
    EXPECT_EQ(1, ReadDeviceResolution(&width, &h, kPassword, &status));
    EXPECT_EQ(1920, width);
    EXPECT_EQ(1080, h);

    script->failingCommands = {kCmdResolution};
    width = 11;
    h = 22;
    EXPECT_EQ(0, ReadDeviceResolution(&width, &h, kPassword, &status));
    EXPECT_EQ(11, width);
    EXPECT_EQ(22, h);
}

TEST_F(TelvixTest, StatusBuffersStartAtZero) {
    Connect();
    int width = -5, height = -5, level = -5, status = 0;
    // Replies without bytes: the library's own buffers show through.
    EXPECT_EQ(1, ReadDeviceResolution(&width, &height, kPassword, &status));
    EXPECT_EQ(1, ReadDeviceBatteryDumpEnergy(&level, kPassword, &status));
    EXPECT_EQ(0, width);
    EXPECT_EQ(0, height);
    EXPECT_EQ(0, level);
}

// The clock in a zone with daylight saving, around the end of 32-bit time.
TEST_F(TelvixTest, ClockPayloadIsTheLocalTimeInNineFields) {
    const CentralEuropeanTime zone;
    if (!zone.inForce()) GTEST_SKIP() << zone.howToRun();
    struct Case {
        const char* name;
        std::int64_t utc;
        std::array<std::int32_t, 9> fields;  // sec min hour mday mon year wday yday isdst
    } cases[] = {
        {"2019-03-15 12:00:00 UTC, a Friday", 1552651200, {0, 0, 13, 15, 2, 119, 5, 73, 0}},
        {"2038-01-19 03:14:08 UTC, past 32-bit time", 2147483648, {8, 14, 4, 19, 0, 138, 2, 18, 0}},
        {"2040-07-18 12:34:56 UTC, summer time", 2226227696, {56, 34, 14, 18, 6, 140, 3, 199, 1}},
        // Beyond any year either platform converts: all zero.
        {"unconvertible", std::numeric_limits<std::int64_t>::max(), {}},
    };
    Connect();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        telvix::CurrentEnvironment().now = [&c] { return c.utc; };
        script->transfers.clear();
        int status = 0;
        ASSERT_EQ(1, SyncDevTime(kPassword, &status));
        const std::vector<unsigned char>& bytes = script->transfers.at(0).bytes;
        ASSERT_EQ(36u, bytes.size());
        std::array<std::int32_t, 9> fields;
        std::memcpy(fields.data(), bytes.data(), 36);
        EXPECT_EQ(c.fields, fields);
    }
}

// --- format -----------------------------------------------------------------

TEST_F(TelvixTest, FormatSendsOnePausesAndReadsTheVerdict) {
    Connect();
    script->replies[kCmdFormat] = Int32Bytes(kFormatDone);
    int status = 0;
    EXPECT_EQ(1, FormatDecTF(kPassword, &status));
    EXPECT_EQ(kStatusSuccess, status);
    ASSERT_EQ(2u, script->transfers.size());
    EXPECT_EQ(Int32Bytes(1), script->transfers[0].bytes);
    EXPECT_EQ(Transfer::kReceive, script->transfers[1].direction);
    EXPECT_EQ(std::vector<unsigned>({200}), pauses);
    EXPECT_EQ(std::vector<std::size_t>({1}), pauseAfterTransfer);
    EXPECT_EQ("FormatDecTF Successful\r\nFormatDecTF 1 Successful\r\n", trace);
}

TEST_F(TelvixTest, FormatRefusedByTheCameraIsStatusOneResultZero) {
    Connect();
    script->replies[kCmdFormat] = Int32Bytes(5);
    int status = 0;
    EXPECT_EQ(0, FormatDecTF(kPassword, &status));
    EXPECT_EQ(kStatusSuccess, status);
}

TEST_F(TelvixTest, FormatTransferFailuresAreStatusTwo) {
    Connect();
    int status = 0;
    script->failingCommands = {kCmdFormat};
    EXPECT_EQ(0, FormatDecTF(kPassword, &status));
    EXPECT_EQ(kStatusFailure, status);
    EXPECT_EQ("FormatDecTF Failed!\r\n", trace);
    EXPECT_TRUE(pauses.empty());

    script->failingCommands.clear();
    script->failingReceives = {kCmdFormat};
    trace.clear();
    status = 0;
    EXPECT_EQ(0, FormatDecTF(kPassword, &status));
    EXPECT_EQ(kStatusFailure, status);
    EXPECT_EQ("FormatDecTF Successful\r\nFormatDecTF 1 Failed!\r\n", trace);
}

// --- WiFi / 4G ----------------------------------------------------------------

TEST_F(TelvixTest, NetworkFunctionsAcceptEverythingAndTouchNothing) {
    Connect();
    using ReadFn = int (*)(char*, const char*, int*);
    using SetFn = int (*)(const char*, const char*, int*);
    for (ReadFn read : {ReadWifiSSID, ReadWifiPSW, ReadServerIP, Read4GAPN, Read4GPIN, ReadServerPort, ReadSDCapacity}) {
        char buffer[64] = {};
        int status = 0;
        EXPECT_EQ(1, read(buffer, kPassword, &status));
        EXPECT_EQ(kStatusSuccess, status);
        EXPECT_EQ(std::string(64, '\0'), std::string(buffer, 64));
    }
    for (SetFn set : {SetWifiSSID, SetWifiPSW, SetServerIP, Set4GAPN, Set4GPIN, SetServerPort}) {
        for (const char* value : {"value", static_cast<const char*>(nullptr)}) {
            int status = 0;
            EXPECT_EQ(1, set(value, kPassword, &status));
            EXPECT_EQ(kStatusSuccess, status);
        }
    }
    int mode = 9, status = 0;
    EXPECT_EQ(1, ReadWifiMode(&mode, kPassword, &status));
    EXPECT_EQ(9, mode);
    EXPECT_EQ(1, SetWifiMode(-1, kPassword, &status));
    EXPECT_TRUE(script->transfers.empty());
    EXPECT_TRUE(trace.empty());
}

TEST_F(TelvixTest, NullBuffersFailInsteadOfCrashing) {
    Connect();
    int status = 0;
    EXPECT_EQ(0, GetVUZInfo(nullptr, kPassword, &status));
    EXPECT_EQ(kStatusFailure, status);
    EXPECT_EQ(0, ReadCameraSerialNo(nullptr, nullptr, nullptr));
    EXPECT_TRUE(script->transfers.empty());
}

}  // namespace
