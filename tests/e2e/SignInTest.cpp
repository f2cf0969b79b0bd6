// The sign-in window of the running program: connect, sign in, refusals,
// keys that must do nothing, and the ways the program ends.
#include "ProgramTest.h"

namespace e2e {
namespace {

class ProgramSignIn : public ProgramTest {};

TEST_F(ProgramSignIn, OpensDisconnectedWithAdministratorChosenAndTheFocusOnThePassword)
{
    Start();
    CHECK_EQ(std::wstring(text::kTitle), signIn.Title());
    CHECK_EQ(std::wstring(text::kConnectDevice), signIn.Text(id::kConnect));
    CHECK_EQ(L"Sign in", signIn.Text(id::kSignIn));
    CHECK_EQ(L"Exit", signIn.Text(id::kExit));
    CHECK_EQ((std::vector<std::wstring>{text::kAdministrator, text::kUser}), signIn.ListItems(id::kUserType));
    CHECK_EQ(std::wstring(text::kAdministrator), signIn.SelectedText(id::kUserType));
    CHECK_EQ(6, signIn.TextLimit(id::kPassword));
    CHECK_EQ(id::kPassword, signIn.FocusId());
}

TEST_F(ProgramSignIn, ConnectTogglesBetweenConnectAndDisconnect)
{
    Start();
    Connect();
    signIn.Click(id::kConnect);
    WaitUntil([&] { return signIn.Text(id::kConnect) == text::kConnectDevice; }, "Disconnect");
    Connect();
    CHECK_EQ(std::wstring(text::kDisconnectDevice), signIn.Text(id::kConnect));
}

TEST_F(ProgramSignIn, ConnectWithoutACameraGivesItsNoticeEachTimeAndStaysDisconnected)
{
    Start(L"no_camera");
    for (int attempt = 0; attempt < 2; ++attempt) {
        signIn.Click(id::kConnect);
        ExpectNotice(text::kConnectFailed);
        CHECK_EQ(std::wstring(text::kConnectDevice), signIn.Text(id::kConnect));
    }
}

TEST_F(ProgramSignIn, ACameraThatRefusesTheConnectionStillCountsAsConnected)
{
    Start(L"connect_refused");
    Connect();
    CHECK_EQ(std::wstring(text::kDisconnectDevice), signIn.Text(id::kConnect));
}

TEST_F(ProgramSignIn, SignInBeforeConnectAsksForConnectFirstAndSendsNothing)
{
    Start();
    EnterPassword(L"888888");
    signIn.Click(id::kSignIn);
    ExpectNotice(text::kConnectFirst);
    CHECK_EQ(std::wstring(text::kConnectDevice), signIn.Text(id::kConnect));
    CHECK_TRUE(files.Transfers().empty());
}

TEST_F(ProgramSignIn, ARefusedPasswordGivesSignInFailedAndTheNextTryNeedsNoNewConnect)
{
    Start();
    Connect();
    EnterPassword(L"123456");
    signIn.Click(id::kSignIn);
    ExpectNotice(text::kSignInFailed);
    CHECK_EQ(std::wstring(text::kDisconnectDevice), signIn.Text(id::kConnect));
    CHECK_FALSE(program->CameraWindowOpen());
    CHECK_EQ(1u, CountTransfers("send", kCmdPassword));
    CHECK_EQ(Hex("123456"), LastPayload("send", kCmdPassword));

    EnterPassword(L"888888");
    signIn.Click(id::kSignIn);
    CHECK_TRUE(program->WaitForCameraWindow(kSignInMs).Exists());
}

// Passwords the camera refuses, sent exactly as the field holds them, narrowed.
TEST_F(ProgramSignIn, SendsThePasswordAsTheFieldHoldsItUpToTheFirstCharacterAboveFF)
{
    const struct {
        const char* name;
        std::wstring typed;
        std::string sent;
    } kCases[] = {
        {"empty", L"", ""},
        {"short", L"8888", "8888"},
        {"stops before a Cyrillic letter", L"88\x0416" L"888", "88"},
        {"Latin-1 letters as their bytes", L"\x00e9\x00e9\x00e9\x00e9\x00e9\x00e9", "\xe9\xe9\xe9\xe9\xe9\xe9"},
    };
    Start();
    Connect();
    for (const auto& password : kCases) {
        SCOPED_TRACE(password.name);
        size_t before = CountTransfers("send", kCmdPassword);
        signIn.SetText(id::kPassword, password.typed);
        signIn.Click(id::kSignIn);
        ExpectNotice(text::kSignInFailed);
        CHECK_EQ(before + 1, CountTransfers("send", kCmdPassword));
        CHECK_EQ(password.sent.empty() ? "-" : Hex(password.sent), LastPayload("send", kCmdPassword));
    }
}

TEST_F(ProgramSignIn, ThePasswordFieldTakesSixCharactersTypedOrPasted)
{
    Start();
    signIn.Type(id::kPassword, L"88888812");
    signIn.Settle(id::kPassword);
    CHECK_EQ(6u, signIn.Text(id::kPassword).size());

    SetClipboardText(L"abcdefghij");
    signIn.Paste(id::kPassword);
    CHECK_EQ(6u, signIn.Text(id::kPassword).size());
    Connect();
    signIn.Click(id::kSignIn);
    ExpectNotice(text::kSignInFailed);
    CHECK_EQ(Hex("abcdef"), LastPayload("send", kCmdPassword));
}

struct AccountCase {
    const char* name;
    Account account;
    std::wstring password;
    std::string accountTypeHex;
    friend void PrintTo(const AccountCase& c, std::ostream* os) { *os << c.name; }
};

class ProgramAcceptedSignIn : public ProgramTest, public ::testing::WithParamInterface<AccountCase> {};

TEST_P(ProgramAcceptedSignIn, OpensTheCameraWindowOverTheDisabledSignInWindow)
{
    Start();
    ExternalWindow camera = SignIn(GetParam().account, GetParam().password);
    CHECK_EQ(std::wstring(text::kTitle), camera.Title());
    CHECK_FALSE(signIn.WindowEnabled());
    CHECK_EQ(1u, CountTransfers("send", kCmdAccountType));
    CHECK_EQ(GetParam().accountTypeHex, LastPayload("send", kCmdAccountType));
    CHECK_EQ("03000000", LastPayload("receive", kCmdLoginVerdict));
}

INSTANTIATE_TEST_SUITE_P(Accounts, ProgramAcceptedSignIn,
                         ::testing::Values(AccountCase{"Administrator", kAdministrator, L"888888", "00000000"},
                                           AccountCase{"User", kUser, L"000000", "01000000"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramSignIn, TheUserPasswordDoesNotSignInAnAdministrator)
{
    Start();
    Connect();
    EnterPassword(L"000000");
    signIn.Click(id::kSignIn);
    ExpectNotice(text::kSignInFailed);
}

TEST_F(ProgramSignIn, EscapeAndEnterCloseNothing)
{
    Start();
    Connect();
    EnterPassword(L"12");
    for (UINT key : {VK_ESCAPE, VK_RETURN}) {
        signIn.PressKey(id::kPassword, key);
        signIn.PressKey(id::kConnect, key);
    }
    signIn.Settle(id::kPassword);
    CHECK_TRUE(program->Running());
    CHECK_TRUE(signIn.Exists());
    CHECK_FALSE(program->NoticeOpen());
    CHECK_FALSE(program->CameraWindowOpen());
    CHECK_EQ(2u, signIn.Text(id::kPassword).size());
    CHECK_EQ(std::wstring(text::kDisconnectDevice), signIn.Text(id::kConnect));
}

TEST_F(ProgramSignIn, ExitEndsTheProgramWithExitCodeZero)
{
    Start();
    Connect();
    signIn.Click(id::kExit);
    CHECK_EQ(0u, program->WaitForExit());
}

struct CloseCase {
    const char* name;
    void (*close)(const ExternalWindow&);
    friend void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }
};

class ProgramClosed : public ProgramTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ProgramClosed, EndsTheProgram)
{
    Start();
    GetParam().close(signIn);
    CHECK_EQ(0u, program->WaitForExit());
}

INSTANTIATE_TEST_SUITE_P(Ways, ProgramClosed,
                         ::testing::Values(CloseCase{"close_box", [](const ExternalWindow& w) { w.CloseBox(); }},
                                           CloseCase{"alt_f4", [](const ExternalWindow& w) { w.PressAltF4(); }}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace e2e
