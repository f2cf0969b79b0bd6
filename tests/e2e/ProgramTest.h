// Fixture of every end-to-end test: a fresh folder for the simulated camera,
// the program started on it, and the steps an operator takes most often.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "CameraFiles.h"
#include "Checks.h"
#include "ProgramDriver.h"
#include "Texts.h"
#include "telvix/VendorCommands.h"

namespace e2e {

// Account types as the sign-in window lists them.
enum Account { kAdministrator = 0, kUser = 1 };

// Controls of the two windows, as the templates number them.
namespace id {
constexpr int kUserType = 1000, kPassword = 1001, kConnect = 1002, kSignIn = 1003, kExit = 1004;
constexpr int kLogout = 2;
constexpr int kSyncTime = 1006, kTimeResult = 1007, kReadStatus = 1008, kResolution = 1009, kBattery = 1010;
constexpr int kCameraId = 1011, kUserId = 1012, kDepartmentId = 1013, kUserName = 1014, kDepartmentName = 1015;
constexpr int kReadIdentity = 1016, kSetIdentity = 1017;
constexpr int kWifiMode = 1018, kSsid = 1019, kWifiPassword = 1020, kServerIp = 1021, kApn = 1022, kPin = 1023,
              kServerPort = 1024, kReadNetwork = 1025, kSetNetwork = 1026;
constexpr int kAdminPassword = 1027, kAdminPasswordAgain = 1028, kUserPassword = 1029, kUserPasswordAgain = 1030,
              kSetAdminPassword = 1031, kSetUserPassword = 1032;
constexpr int kUsbStorage = 1033, kFormatCard = 1061, kSerialNo = 1066;
constexpr int kConfirmText = 1064;
} // namespace id

class ProgramTest : public ::testing::Test {
protected:
    // Sign-in plus the camera window's start: a slow camera needs more.
    static constexpr DWORD kSignInMs = 10000;

    void SetUp() override { files = CameraFiles::ForCurrentTest(); }
    void TearDown() override { program.reset(); }

    // Starts Orvane.exe on the camera files and waits for its sign-in window;
    // `title` is its caption when the program starts in another language.
    void Start(const std::wstring& faults = L"", bool cameraLibrary = true, const std::wstring& title = L"")
    {
        ProgramOptions options;
        options.folder = files.folder();
        options.statePath = files.statePath();
        options.logPath = files.logPath();
        options.faults = faults;
        options.cameraLibrary = cameraLibrary;
        program = std::make_unique<Program>(options);
        signIn = title.empty() ? program->WaitForSignInWindow(15000)
                               : program->WaitForWindow(title, id::kConnect, 15000);
    }

    void Connect()
    {
        signIn.Click(id::kConnect);
        WaitUntil([&] { return signIn.Text(id::kConnect) == text::kDisconnectDevice; }, "Connect to find the camera");
    }

    void EnterPassword(const std::wstring& password)
    {
        signIn.SetText(id::kPassword, L"");
        signIn.Type(id::kPassword, password);
        signIn.Settle(id::kPassword);
    }

    // Connect, account type, password, Sign in: the camera window once it shows.
    ExternalWindow SignIn(Account account, const std::wstring& password, DWORD timeoutMs = kSignInMs)
    {
        Connect();
        signIn.SelectItem(id::kUserType, account);
        EnterPassword(password);
        signIn.Click(id::kSignIn);
        return program->WaitForCameraWindow(timeoutMs);
    }
    ExternalWindow SignInAsAdministrator() { return SignIn(kAdministrator, L"888888"); }
    ExternalWindow SignInAsUser() { return SignIn(kUser, L"000000"); }

    void Logout(const ExternalWindow& camera)
    {
        camera.Click(id::kLogout);
        WaitUntil([&] { return !camera.Exists() && signIn.WindowEnabled(); }, "the camera window to close");
    }

    // The next notice: checks its text and its button, then closes it.
    Notice ExpectNotice(const std::wstring& expected, DWORD timeoutMs = kWaitMs)
    {
        Notice notice = program->WaitForNotice(timeoutMs);
        CHECK_EQ(expected, notice.text);
        CHECK_EQ(std::wstring(text::kOk), notice.button);
        program->CloseNotice(notice);
        return notice;
    }

    // After all input so far has been handled, no notice is open.
    void ExpectNoNotice(const ExternalWindow& window, int editId)
    {
        window.Settle(editId);
        HWND box = program->FindWindow(L"VUZ");
        CHECK_TRUE(box == nullptr) << "a notice is open: " << (box ? ExternalWindow(box).Text(0xFFFF) : L"");
    }

    // Payload of the last such transfer, "none" when there was none.
    std::string LastPayload(const std::string& direction, int command) const
    {
        auto transfers = files.Transfers(direction, command);
        return transfers.empty() ? "none" : transfers.back().payload;
    }

    // The transfers so far as "send 4", "receive 6", ... in their order.
    std::vector<std::string> TransferOrder() const
    {
        std::vector<std::string> order;
        for (const auto& transfer : files.Transfers())
            order.push_back(transfer.direction + " " + std::to_string(transfer.command));
        return order;
    }

    size_t CountTransfers(const std::string& direction, int command) const
    {
        return files.Transfers(direction, command).size();
    }

    CameraFiles files;
    std::unique_ptr<Program> program;
    ExternalWindow signIn;
};

} // namespace e2e
