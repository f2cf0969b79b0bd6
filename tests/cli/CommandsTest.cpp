// The single-camera commands as an administrator runs them, against fake
// cameras: exit code, output, audit lines and what reached the camera.
#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "FakeCameras.h"
#include "FakePlatform.h"
#include "core/FieldRules.h"

namespace {

const std::string kAudit = "audit.jsonl";

using CameraSetup = std::function<void(FakeCameras&)>;
const CameraSetup kAsItIs = [](FakeCameras&) {};
const CameraSetup kGarblesIdentity = [](FakeCameras& fake) { fake.cameras[0].garblesIdentity = true; };
const CameraSetup kGarblesSerial = [](FakeCameras& fake) { fake.cameras[0].garblesSerial = true; };
const CameraSetup kRefusesConnection = [](FakeCameras& fake) { fake.cameras[0].refusesConnection = true; };
const CameraSetup kUnplugged = [](FakeCameras& fake) { fake.cameras[0].unpluggedAt = 0; };
const CameraSetup kNoVendorLibrary = [](FakeCameras& fake) { fake.noVendorLibrary = true; };
const CameraSetup kKeepsOldPassword = [](FakeCameras& fake) { fake.cameras[0].keepsOldPassword = true; };
const CameraSetup kControlCharacters = [](FakeCameras& fake) {
    PutIdentityText(fake.cameras[0].identity, PlaceOf(&IdentityTexts::userName), WIDE("Ann\x1b[2J"));
    fake.cameras[0].serial = "SN\r\n1 ok";
};
CameraSetup Failing(const char* function)
{
    return [function](FakeCameras& fake) { fake.cameras[0].failing.insert(function); };
}

TEST(Commands, AnswerWithTheirExitCodeOutputAndAuditLines)
{
    const std::string longName(100, 'x');
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        CameraSetup setup;
        int exitCode;
        std::string output;  // the whole of standard output
        std::string error;   // in standard error
        std::vector<std::string> audited;
        std::vector<std::string> calls;  // the camera calls, in order; empty: not looked at
    } cases[] = {
        {"status", {"status"}, kAsItIs, 0,
         "serial=SIM00000000000000001 resolution=1920x1080 battery=85% camera_id=CAM0001 user_id=000001 "
         "user_name=\"\" department_id=D01 department_name=\"\"\n", "", {}, {}},
        {"status as JSON", {"--json", "status"}, kAsItIs, 0,
         "{\"serial\":\"SIM00000000000000001\",\"resolution\":{\"width\":1920,\"height\":1080},\"battery\":85,"
         "\"identity\":{\"camera_id\":\"CAM0001\",\"user_id\":\"000001\",\"user_name\":\"\",\"department_id\":\"D01\","
         "\"department_name\":\"\"}}\n", "", {}, {}},
        {"camera texts are shown escaped", {"status"}, kControlCharacters, 0,
         "serial=SN\\r\\n1 ok resolution=1920x1080 battery=85% camera_id=CAM0001 user_id=000001 "
         "user_name=\"Ann\\x1b[2J\" department_id=D01 department_name=\"\"\n", "", {}, {}},
        {"and stay JSON with --json", {"--json", "identity", "get"}, kControlCharacters, 0,
         "{\"camera_id\":\"CAM0001\",\"user_id\":\"000001\",\"user_name\":\"Ann\\u001b[2J\",\"department_id\":\"D01\","
         "\"department_name\":\"\"}\n", "", {}, {}},
        {"identity set changes the fields given", {"identity", "set", "--camera-id", "CAM0042", "--user-name", "Anna"},
         kAsItIs, 0, "camera_id=CAM0042 user_id=000001 user_name=\"Anna\" department_id=D01 department_name=\"\"\n", "",
         {"identity.set:started", "identity.set:ok"},
         {"Init_Device", "client_login", "ReadCameraSerialNo", "GetVUZInfo", "WriteVUZInfo", "GetVUZInfo"}},
        {"identity read back differs", {"identity", "set", "--user-name", "Anna"}, kGarblesIdentity, 1, "",
         "the identity record read back differs from the one written: camera_id=CAM0001 user_id=000001 user_name=\"@nna\"",
         {"identity.set:started", "identity.set:failed: read-back differs"}, {}},
        {"identity unreadable before", {"identity", "set", "--user-name", "Anna"}, Failing("GetVUZInfo"), 1, "",
         "could not read the identity record", {"identity.set:failed: read"},
         {"Init_Device", "client_login", "ReadCameraSerialNo", "GetVUZInfo"}},
        {"identity refused", {"identity", "set", "--user-name", "Anna"}, Failing("WriteVUZInfo"), 1, "",
         "the camera refused the identity record", {"identity.set:started", "identity.set:failed: write"}, {}},
        {"serial set reads back", {"serial", "set", "SN-7"}, kAsItIs, 0, "SN-7\n", "",
         {"serial.set:started", "serial.set:ok"}, {}},
        {"serial read back differs", {"serial", "set", "SN-7"}, kGarblesSerial, 1, "",
         "serial number not set: the serial number read back differs", {"serial.set:started",
         "serial.set:failed: read-back differs"}, {}},
        {"sync-time", {"sync-time"}, kAsItIs, 0, "clock set to this computer's local time\n", "",
         {"time.sync:started", "time.sync:ok"}, {}},
        {"usb-storage", {"usb-storage"}, kAsItIs, 0, "camera switched to USB storage\n", "",
         {"usb-storage:started", "usb-storage:ok"}, {}},
        {"format refused", {"format", "--yes"}, Failing("FormatDecTF"), 1, "", "the camera refused: format",
         {"format:started", "format:failed"}, {}},
        {"password set signs in with the new one", {"password", "set", "user"},
         kAsItIs, 0, "changed and confirmed\n", "", {"password.set.user:started", "password.set.user:ok"},
         {"Init_Device", "client_login", "ReadCameraSerialNo", "SetUserPassWord", "client_login"}},
        {"a new password the camera does not take", {"password", "set", "user", "--new-password-file", "new.txt"},
         kKeepsOldPassword, 1, "", "sent, but the camera does not accept the new password",
         {"password.set.user:started", "password.set.user:failed: not confirmed"}, {}},
        {"connection refused: nothing more sent", {"sync-time"}, kRefusesConnection, 3, "",
         "the camera did not accept the connection", {}, {"Init_Device"}},
        {"no camera", {"status"}, kUnplugged, 3, "", "no camera found", {}, {"Init_Device"}},
        {"no vendor library", {"status"}, kNoVendorLibrary, 3, "", "USB library (NvUSB) was not found", {}, {}},
        {"sign-in refused", {"--user", "status"}, kAsItIs, 4, "", "the camera refused the sign-in", {},
         {"Init_Device", "client_login"}},
        {"format needs --yes", {"format"}, kAsItIs, 2, "", "confirm with --yes", {}, {}},
        {"no command", {"--json"}, kAsItIs, 2, "", "A subcommand is required", {}, {}},
        {"User cannot change the administrator password", {"--user", "password", "set", "admin"}, kAsItIs, 2, "",
         "administrator password cannot be changed", {}, {}},
        {"an ID breaking its rule", {"identity", "set", "--camera-id", "CAM42"}, kAsItIs, 2, "",
         "camera_id \"CAM42\" must be exactly 7 letters or digits", {}, {}},
        {"a name with a control character", {"identity", "set", "--user-name", "A\x1b" "B"}, kAsItIs, 2, "",
         "user_name \"A\\x1bB\" must not hold control characters", {}, {}},
        {"a long value is quoted in part", {"identity", "set", "--user-name", longName}, kAsItIs, 2, "",
         "user_name \"" + std::string(64, 'x') + "\"... must be at most 16 characters and 32 bytes of UTF-8", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetFakeSystem();
        g_system.environment = {{"ORVANE_PASSWORD", "888888"}, {"ORVANE_NEW_PASSWORD", "Nw4Pq8"}};
        g_system.files["new.txt"] = "Nw4Pq8\r\n";
        FakeCameras cameras;
        cameras.Plug();
        c.setup(cameras);
        std::vector<std::string> arguments = {"--audit", kAudit};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());

        EXPECT_EQ(RunTool(arguments), c.exitCode) << g_system.errors;
        EXPECT_EQ(g_system.output, c.output);
        EXPECT_TRUE(g_system.ErrorsHold(c.error)) << g_system.errors;
        EXPECT_EQ(g_system.Audited(kAudit), c.audited);
        if (!c.calls.empty()) {
            EXPECT_EQ(cameras.Names(), c.calls);
        }
        EXPECT_TRUE(g_system.environment.empty()) << "a password variable was left in the environment";
        if (c.exitCode == 2) {
            EXPECT_TRUE(cameras.calls.empty()) << "an input error reached the camera";
        }
    }
}

// Every command that changes the camera, with the call that changes it.
struct Change {
    std::vector<std::string> arguments;
    const char* call;
};
const Change kChanges[] = {
    {{"sync-time"}, "SyncDevTime"},
    {{"identity", "set", "--user-id", "004217"}, "WriteVUZInfo"},
    {{"serial", "set", "SN-7"}, "SetCameraSerialNo"},
    {{"password", "set", "admin", "--new-password-file", "new.txt"}, "SetAdminPassWord"},
    {{"usb-storage"}, "SetMSDC"},
    {{"format", "--yes"}, "FormatDecTF"},
    {{"provision", "fleet.csv"}, "SyncDevTime"},
};

void PrepareChange()
{
    ResetFakeSystem();
    g_system.environment["ORVANE_PASSWORD"] = "888888";
    g_system.files["new.txt"] = "Nw4Pq8\n";
    g_system.files["fleet.csv"] = "serial,camera_id,user_id,user_name,department_id,department_name\n"
                                  "SIM00000000000000001,CAM0101,000101,Bo,D07,North\n";
}

int RunChange(const Change& change)
{
    std::vector<std::string> arguments = {"--audit", kAudit};
    arguments.insert(arguments.end(), change.arguments.begin(), change.arguments.end());
    return RunTool(arguments);
}

TEST(ChangingCommands, StopWithSixWhenTheAuditFileCannotBeWrittenInTime)
{
    const std::string cannot = "cannot write the audit file audit.jsonl: ";
    const std::string unrecorded = "the change was made but not recorded: " + cannot;
    const std::string interrupted = "interrupted while waiting for the audit file's lock";
    const struct {
        const char* name;
        std::string file;  // the audit file before
        bool opens;
        int appendsBeforeFailure;
        int locksBeforeBusy;       // then another program holds the lock
        std::uint64_t lockFreeAt;  // until then
        std::uint64_t interruptAt;
        int exitCode;
        bool changed;
        std::string error;
    } failures[] = {
        {"the file cannot be opened", "", false, -1, -1, 0, UINT64_MAX, 6, false,
         cannot + "it cannot be opened for appending; nothing was changed"},
        {"the started line fails", "", true, 0, -1, 0, UINT64_MAX, 6, false,
         cannot + "the line could not be written; nothing was changed"},
        {"the outcome line fails", "", true, 1, -1, 0, UINT64_MAX, 6, true,
         unrecorded + "the line could not be written"},
        {"its chain is broken", "{\"action\":\"format\"}\nnot an audit line\n", true, -1, -1, 0, UINT64_MAX, 6,
         false, cannot + "its chain is broken at line 2 (not a JSON object); nothing was changed"},
        {"another program keeps the lock", "", true, -1, 0, UINT64_MAX, UINT64_MAX, 6, false,
         cannot + "it is locked by another program (waited 30 s); nothing was changed"},
        {"Ctrl+C while waiting to open", "", true, -1, 0, UINT64_MAX, 5000, 6, false,
         cannot + interrupted + "; nothing was changed"},
        {"Ctrl+C while waiting for the started line", "", true, -1, 1, UINT64_MAX, 5000, 6, false,
         cannot + interrupted + "; nothing was changed"},
        {"Ctrl+C while waiting for the outcome line", "", true, -1, 2, UINT64_MAX, 5000, 6, true,
         unrecorded + interrupted},
        {"another program lets go of the lock in time", "", true, -1, 1, 29900, UINT64_MAX, 0, true,
         "the audit file audit.jsonl is locked by another program: waiting for it, up to 30 s"},
    };
    for (const Change& change : kChanges) {
        for (const auto& failure : failures) {
            SCOPED_TRACE(change.arguments[0] + ": " + failure.name);
            PrepareChange();
            g_system.files[kAudit] = failure.file;
            g_system.opensForAppending = failure.opens;
            g_system.appendsBeforeFailure = failure.appendsBeforeFailure;
            g_system.locksBeforeBusy = failure.locksBeforeBusy;
            g_system.lockFreeAt = failure.lockFreeAt;
            g_system.interruptAt = failure.interruptAt;
            FakeCameras cameras;
            cameras.Plug();

            EXPECT_EQ(RunChange(change), failure.exitCode);
            EXPECT_TRUE(g_system.ErrorsHold(failure.error)) << g_system.errors;
            EXPECT_EQ(cameras.Count(change.call), failure.changed ? 1 : 0);
            if (!failure.changed) {
                EXPECT_EQ(g_system.files[kAudit], failure.file);
            }
            if (failure.locksBeforeBusy >= 0 && failure.interruptAt == UINT64_MAX) {
                EXPECT_EQ(g_system.now, std::min<std::uint64_t>(failure.lockFreeAt, 30000)) << "waited for the lock";
            }
        }
    }
}

TEST(ChangingCommands, FinishTheirChangeAndItsAuditLineWhenInterrupted)
{
    for (const Change& change : kChanges) {
        SCOPED_TRACE(change.arguments[0]);
        PrepareChange();
        FakeCameras cameras;
        cameras.Plug();
        cameras.interruptOn = change.call;

        EXPECT_EQ(RunChange(change), 0) << g_system.errors;
        EXPECT_TRUE(g_system.catching);
        EXPECT_TRUE(g_system.readyToEnd) << "the console handler would not have let the process end";
        const std::vector<std::string> lines = g_system.Lines(kAudit);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(nlohmann::json::parse(lines[0]).at("outcome"), "started");
        EXPECT_EQ(nlohmann::json::parse(lines[1]).at("outcome"), "ok");
    }
}

}  // namespace
