// The program against a camera that misbehaves: unplugged while in use, lost
// between the two halves of an operation, missing, slow, or with a state file
// that cannot be read or written. Every case ends in a notice or a failure
// text, and the program keeps answering.
#include "ProgramTest.h"

namespace e2e {
namespace {

class ProgramFaults : public ProgramTest {
protected:
    // Every button of every group the role can see, the camera gone.
    void ExpectEveryButtonToFail(const ExternalWindow& camera, Account account)
    {
        camera.SetText(id::kCameraId, L"CAM0042");
        camera.Click(id::kSyncTime);
        camera.Click(id::kReadStatus);
        camera.Click(id::kReadIdentity);
        ExpectNoNotice(camera, id::kCameraId);
        std::wstring time = camera.Text(id::kTimeResult);
        CHECK_EQ(std::wstring(text::kTimeFailed), time.substr(std::min<size_t>(22, time.size())));
        CHECK_EQ(std::wstring(text::kResolution), camera.Text(id::kResolution));
        CHECK_EQ(std::wstring(text::kBattery), camera.Text(id::kBattery));
        CHECK_EQ(L"CAM0042", camera.Text(id::kCameraId));

        camera.Click(id::kSetIdentity);
        ExpectNotice(text::kSetFailed);

        // The shipped library answers the network calls without the camera.
        camera.Click(id::kReadNetwork);
        ExpectNoNotice(camera, id::kCameraId);
        camera.Click(id::kSetNetwork);
        ExpectNotice(text::kSetSuccessful);
        camera.Choose(id::kWifiMode, 1);
        ExpectNoNotice(camera, id::kCameraId);

        for (int field : {id::kAdminPassword, id::kAdminPasswordAgain, id::kUserPassword, id::kUserPasswordAgain})
            camera.SetText(field, L"654321");
        if (account == kAdministrator) {
            camera.Click(id::kSetAdminPassword);
            ExpectNotice(text::kPasswordNotChanged);
        }
        camera.Click(id::kSetUserPassword);
        ExpectNotice(text::kPasswordNotChanged);

        if (account == kAdministrator) {
            camera.Click(id::kUsbStorage);
            ExpectNotice(text::kStorageFailed);
            camera.Click(id::kFormatCard);
            program->WaitForWindow(text::kFormatTitle).Click(IDOK);
            ExpectNotice(text::kFormatFailed);
        }
    }
};

TEST_F(ProgramFaults, ACameraUnpluggedAfterSignInFailsEveryButtonInBothRolesAndIsNotFoundAgain)
{
    Start();
    for (Account account : {kAdministrator, kUser}) {
        SCOPED_TRACE(account == kAdministrator ? "Administrator" : "User");
        files.SetStateValue("present", "1");
        ExternalWindow camera = account == kAdministrator ? SignInAsAdministrator() : SignInAsUser();
        files.SetStateValue("present", "0");
        ExpectEveryButtonToFail(camera, account);
        Logout(camera);
        signIn.Click(id::kConnect);
        ExpectNotice(text::kConnectFailed);
        CHECK_EQ(std::wstring(text::kConnectDevice), signIn.Text(id::kConnect));
    }
    CHECK_EQ("888888", files.StateValue("admin_password"));
    CHECK_EQ("0", files.StateValue("format_count"));
}

TEST_F(ProgramFaults, ACameraLostBetweenFormattingAndItsVerdictGivesFormatFailed)
{
    Start();
    ExternalWindow camera = SignInAsAdministrator();
    // The format command still arrives; its verdict no longer does.
    files.SetStateValue("faults", "fail_after=" + std::to_string(files.Transfers().size() + 1));
    camera.Click(id::kFormatCard);
    program->WaitForWindow(text::kFormatTitle).Click(IDOK);
    ExpectNotice(text::kFormatFailed);
    auto transfers = files.Transfers();
    ASSERT_GE(transfers.size(), 2u);
    CHECK_EQ("send 10 ok", transfers[transfers.size() - 2].direction + " " +
                               std::to_string(transfers[transfers.size() - 2].command) +
                               (transfers[transfers.size() - 2].ok ? " ok" : " failed"));
    CHECK_EQ("receive 10 failed", transfers.back().direction + " " + std::to_string(transfers.back().command) +
                                      (transfers.back().ok ? " ok" : " failed"));
    CHECK_EQ("1", files.StateValue("format_count"));
    CHECK_TRUE(camera.Exists());
}

TEST_F(ProgramFaults, ACameraLostBetweenPasswordAndVerdictGivesSignInFailed)
{
    Start(L"fail_after=2");
    Connect();
    EnterPassword(L"888888");
    signIn.Click(id::kSignIn);
    ExpectNotice(text::kSignInFailed);
    CHECK_EQ((std::vector<std::string>{"send 2", "send 0", "receive 1"}), TransferOrder());
    CHECK_FALSE(files.Transfers().back().ok);
    CHECK_EQ(std::wstring(text::kDisconnectDevice), signIn.Text(id::kConnect));
    CHECK_FALSE(program->CameraWindowOpen());
}

TEST_F(ProgramFaults, WithoutTheVendorLibraryConnectGivesItsNotice)
{
    Start(L"", false);
    signIn.Click(id::kConnect);
    ExpectNotice(text::kConnectFailed);
    CHECK_EQ(std::wstring(text::kConnectDevice), signIn.Text(id::kConnect));
    signIn.Click(id::kSignIn);
    ExpectNotice(text::kConnectFirst);
    CHECK_TRUE(files.Transfers().empty());
    CHECK_NE(std::string::npos, program->Output().find("Cannot find NvUSB.dll"));
    signIn.Click(id::kExit);
    CHECK_EQ(0u, program->WaitForExit());
}

// A library named NvUSB.dll in the folder the program starts from is not the
// camera's: the program never loads it, and still finds the camera on PATH.
TEST_F(ProgramFaults, ALibraryPlantedInTheCurrentFolderIsNotLoaded)
{
    // Telvix.dll lacks the vendor's four entries: loaded, it would leave
    // the program without a camera.
    const std::wstring planted = files.folder() + L"\\NvUSB.dll";
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\Telvix.dll").c_str(), planted.c_str(), FALSE));
    Start();
    ExternalWindow camera = SignInAsAdministrator();
    CHECK_EQ(std::wstring(text::kResolution) + L"1920*1080", camera.Text(id::kResolution));
    CHECK_EQ(std::string::npos, program->Output().find("Cannot find NvUSB.dll"));
    Logout(camera);
}

TEST_F(ProgramFaults, ASlowCameraStillSignsInWithinBoundedWaits)
{
    Start(L"delay_ms=1000");
    ExternalWindow camera = SignIn(kAdministrator, L"888888", 15000);
    CHECK_EQ(std::wstring(text::kResolution) + L"1920*1080", camera.Text(id::kResolution));
    CHECK_EQ(L"CAM0001", camera.Text(id::kCameraId));
    Logout(camera);
}

TEST_F(ProgramFaults, AStateFileThatIsCorruptEmptyOrNotWritableLeavesTheDefaults)
{
    const struct {
        const char* name;
        std::wstring path;
        std::string content; // written first unless the path cannot hold a file
    } kStates[] = {
        {"corrupt", files.folder() + L"\\corrupt.txt",
         "garbage\n= =\npresent = maybe\nidentity = zz\nbattery = -\xff\xfe\x01\nfaults = explode=1\n"},
        {"empty", files.folder() + L"\\empty.txt", ""},
        {"in a folder that does not exist", files.folder() + L"\\missing\\state.txt", ""},
    };
    for (const auto& state : kStates) {
        SCOPED_TRACE(state.name);
        files.SetStatePath(state.path);
        if (state.path.find(L"missing") == std::wstring::npos)
            files.WriteState(state.content);
        Start();
        ExternalWindow camera = SignInAsAdministrator();
        CHECK_EQ(std::wstring(text::kResolution) + L"1920*1080", camera.Text(id::kResolution));
        CHECK_EQ(std::wstring(text::kBattery) + L"85%", camera.Text(id::kBattery));
        CHECK_EQ(L"CAM0001", camera.Text(id::kCameraId));
        camera.SetText(id::kCameraId, L"CAM0005");
        camera.Click(id::kSetIdentity);
        ExpectNotice(text::kSetSuccessful);
        camera.Click(id::kReadIdentity);
        ExpectNoNotice(camera, id::kCameraId);
        CHECK_EQ(L"CAM0005", camera.Text(id::kCameraId));
        Logout(camera);
        program.reset();
    }
}

} // namespace
} // namespace e2e
