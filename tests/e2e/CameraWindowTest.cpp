// The camera window of the running program: what it shows at its start, every
// button of every group in both roles, and the way back to the sign-in window.
#include "ProgramTest.h"

#include <cstdio>

namespace e2e {
namespace {

const std::wstring kDefaultResolution = std::wstring(text::kResolution) + L"1920*1080";
const std::wstring kDefaultBattery = std::wstring(text::kBattery) + L"85%";

std::string Ascii(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// "YYYY-MM-DD hh:mm:ss" at the start of `text` in seconds; -1 when there is none.
long long StampSeconds(const std::string& text)
{
    SYSTEMTIME time{};
    int year, month, day, hour, minute, second;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d", &year, &month, &day, &hour, &minute, &second) != 6)
        return -1;
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    FILETIME file{};
    if (!SystemTimeToFileTime(&time, &file))
        return -1;
    return static_cast<long long>((static_cast<unsigned long long>(file.dwHighDateTime) << 32 | file.dwLowDateTime) /
                                  10000000ULL);
}

// Display 1007: "YYYY-MM-DD hh:mm:ss --" and the outcome, nothing between.
void ExpectTimeResult(const std::wstring& shown, const std::wstring& outcome)
{
    CHECK_EQ(22 + outcome.size(), shown.size()) << Ascii(shown);
    CHECK_EQ(outcome, shown.substr(std::min<size_t>(22, shown.size()))) << Ascii(shown);
    CHECK_EQ(L" --", shown.substr(std::min<size_t>(19, shown.size()), 3)) << Ascii(shown);
    CHECK_NE(-1, StampSeconds(Ascii(shown))) << Ascii(shown);
}

class ProgramCameraWindow : public ProgramTest {
protected:
    // Clicks `button`, waits for its notice and checks it.
    void ExpectNoticeFrom(const ExternalWindow& camera, int button, const std::wstring& expected)
    {
        camera.Click(button);
        ExpectNotice(expected);
    }
};

TEST_F(ProgramCameraWindow, StartsWithTheClockSetAndStatusIdentityAndNetworkReadInThatOrder)
{
    Start();
    ExternalWindow camera = SignInAsAdministrator();
    CHECK_EQ((std::vector<std::string>{"send 2", "send 0", "receive 1", "send 4", "receive 6", "receive 7",
                                       "receive 3"}),
             TransferOrder());

    std::wstring time = camera.Text(id::kTimeResult);
    ExpectTimeResult(time, text::kTimeDone);
    long long shown = StampSeconds(Ascii(time));
    long long camerasClock = StampSeconds(files.StateValue("clock_text"));
    CHECK_TRUE(camerasClock >= shown && camerasClock - shown <= 2)
        << Ascii(time) << " vs the camera's " << files.StateValue("clock_text");
    CHECK_EQ(kDefaultResolution, camera.Text(id::kResolution));
    CHECK_EQ(kDefaultBattery, camera.Text(id::kBattery));

    CHECK_EQ(L"CAM0001", camera.Text(id::kCameraId));
    CHECK_EQ(L"000001", camera.Text(id::kUserId));
    CHECK_EQ(L"D01", camera.Text(id::kDepartmentId));
    CHECK_EQ(L"", camera.Text(id::kUserName));
    CHECK_EQ(L"", camera.Text(id::kDepartmentName));

    CHECK_EQ(L"AP", camera.SelectedText(id::kWifiMode));
    for (int field : {id::kSsid, id::kWifiPassword, id::kServerIp, id::kApn, id::kPin, id::kServerPort})
        CHECK_EQ(L"", camera.Text(field)) << "field " << field;
    CHECK_TRUE(camera.Enabled(id::kSetNetwork));
    CHECK_EQ(L"Logout", camera.Text(id::kLogout));

    for (int button : {id::kSetAdminPassword, id::kSetUserPassword, id::kUsbStorage, id::kFormatCard}) {
        CHECK_TRUE(camera.Visible(button)) << "button " << button;
        CHECK_TRUE(camera.Enabled(button)) << "button " << button;
    }
    const struct {
        int field;
        int limit;
    } kLimits[] = {{id::kCameraId, 7},       {id::kUserId, 6},        {id::kDepartmentId, 12},
                   {id::kUserName, 16},      {id::kDepartmentName, 16}, {id::kAdminPassword, 6},
                   {id::kAdminPasswordAgain, 6}, {id::kUserPassword, 6}, {id::kUserPasswordAgain, 6},
                   {id::kSerialNo, 40}};
    for (const auto& limit : kLimits)
        CHECK_EQ(limit.limit, camera.TextLimit(limit.field)) << "field " << limit.field;
}

TEST_F(ProgramCameraWindow, AsUserTheAdministratorPasswordIsDisabledAndTheStorageActionsHidden)
{
    Start();
    ExternalWindow camera = SignInAsUser();
    CHECK_TRUE(camera.Visible(id::kSetAdminPassword));
    CHECK_FALSE(camera.Enabled(id::kSetAdminPassword));
    CHECK_TRUE(camera.Enabled(id::kSetUserPassword));
    CHECK_FALSE(camera.Visible(id::kUsbStorage));
    CHECK_FALSE(camera.Visible(id::kFormatCard));
    CHECK_EQ(kDefaultResolution, camera.Text(id::kResolution));
    CHECK_EQ(L"CAM0001", camera.Text(id::kCameraId));

    // What a user may do still reaches the camera.
    camera.SetText(id::kUserPassword, L"abc123");
    camera.SetText(id::kUserPasswordAgain, L"abc123");
    ExpectNoticeFrom(camera, id::kSetUserPassword, text::kPasswordChanged);
    CHECK_EQ("abc123", files.StateValue("user_password"));
    camera.SetText(id::kCameraId, L"CAM0777");
    ExpectNoticeFrom(camera, id::kSetIdentity, text::kSetSuccessful);
    CHECK_EQ(Hex(IdentityRecord("CAM0777", "000001", "", "D01", "")), LastPayload("send", kCmdIdentity));
    camera.Click(id::kSyncTime);
    camera.Click(id::kReadStatus);
    ExpectNoNotice(camera, id::kCameraId);
    CHECK_EQ(2u, CountTransfers("send", kCmdClock));
}

TEST_F(ProgramCameraWindow, TimeStatusAndIdentityButtonsShowFreshValuesFromTheCamera)
{
    Start();
    ExternalWindow camera = SignInAsAdministrator();
    files.SetStateValue("battery", "100");
    files.SetStateValue("video_width", "-1");
    files.SetStateValue("video_height", "0");
    const std::string userName = "\xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd";     // Ivan in Cyrillic
    const std::string departmentName = "\xe6\x8a\x80\xe6\x9c\xaf\xe9\x83\xa8"; // three CJK ideographs
    files.SetStateValue("identity", Hex(IdentityRecord("XYZ1234", "U00042", userName, "DEP7", departmentName)));

    camera.Click(id::kSyncTime);
    camera.Click(id::kReadStatus);
    camera.Click(id::kReadIdentity);
    ExpectNoNotice(camera, id::kCameraId);
    CHECK_EQ(2u, CountTransfers("send", kCmdClock));
    ExpectTimeResult(camera.Text(id::kTimeResult), text::kTimeDone);
    CHECK_EQ(std::wstring(text::kResolution) + L"-1*0", camera.Text(id::kResolution));
    CHECK_EQ(std::wstring(text::kBattery) + L"100%", camera.Text(id::kBattery));
    CHECK_EQ(L"XYZ1234", camera.Text(id::kCameraId));
    CHECK_EQ(L"U00042", camera.Text(id::kUserId));
    CHECK_EQ(L"DEP7", camera.Text(id::kDepartmentId));
    CHECK_EQ(L"\x0418\x0432\x0430\x043d", camera.Text(id::kUserName));
    CHECK_EQ(L"\x6280\x672f\x90e8", camera.Text(id::kDepartmentName));

    // Failed transfers show in the displays only, with no notice.
    files.SetStateValue("faults", "fail=4/6/3");
    camera.SetText(id::kCameraId, L"typed");
    camera.Click(id::kSyncTime);
    camera.Click(id::kReadStatus);
    camera.Click(id::kReadIdentity);
    ExpectNoNotice(camera, id::kCameraId);
    ExpectTimeResult(camera.Text(id::kTimeResult), text::kTimeFailed);
    CHECK_EQ(std::wstring(text::kResolution), camera.Text(id::kResolution));
    CHECK_EQ(std::wstring(text::kBattery) + L"100%", camera.Text(id::kBattery));
    CHECK_EQ(L"typed", camera.Text(id::kCameraId));
}

struct IdentityCase {
    const char* name;
    std::wstring cameraId, userId, departmentId, userName, departmentName;
    const wchar_t* notice;
    std::string sent; // the record's bytes; empty when nothing may be sent
};

TEST_F(ProgramCameraWindow, IdentitySettingChecksBothIdsThenWritesTheRecord)
{
    const IdentityCase kCases[] = {
        {"camera ID of 6", L"CAM001", L"000001", L"", L"", L"", text::kCameraIdLength, ""},
        {"camera ID of 8", L"CAM00012", L"000001", L"", L"", L"", text::kCameraIdLength, ""},
        {"user ID of 5", L"CAM0001", L"00001", L"", L"", L"", text::kUserIdLength, ""},
        {"both empty: the camera ID is named", L"", L"", L"", L"", L"", text::kCameraIdLength, ""},
        {"both IDs only", L"CAM0009", L"123456", L"", L"", L"", text::kSetSuccessful,
         IdentityRecord("CAM0009", "123456", "", "", "")},
        {"all five", L"CAM0009", L"123456", L"D12345678901", L"\x0418\x0432\x0430\x043d", L"Sales 2",
         text::kSetSuccessful, IdentityRecord("CAM0009", "123456", "\xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd",
                                              "D12345678901", "Sales 2")},
    };
    Start();
    ExternalWindow camera = SignInAsAdministrator();
    for (const auto& identity : kCases) {
        SCOPED_TRACE(identity.name);
        size_t sentBefore = CountTransfers("send", kCmdIdentity);
        camera.SetText(id::kCameraId, identity.cameraId);
        camera.SetText(id::kUserId, identity.userId);
        camera.SetText(id::kDepartmentId, identity.departmentId);
        camera.SetText(id::kUserName, identity.userName);
        camera.SetText(id::kDepartmentName, identity.departmentName);
        ExpectNoticeFrom(camera, id::kSetIdentity, identity.notice);
        CHECK_EQ(sentBefore + (identity.sent.empty() ? 0 : 1), CountTransfers("send", kCmdIdentity));
        if (!identity.sent.empty()) {
            CHECK_EQ(Hex(identity.sent), LastPayload("send", kCmdIdentity));
        }
        // The fields keep what was typed.
        CHECK_EQ(identity.userName, camera.Text(id::kUserName));
    }

    files.SetStateValue("faults", "fail=3");
    ExpectNoticeFrom(camera, id::kSetIdentity, text::kSetFailed);
}

TEST_F(ProgramCameraWindow, EnterInTheSerialNumberWritesTheIdentityAndItsNoticeClosesItself)
{
    Start();
    ExternalWindow camera = SignInAsAdministrator();
    camera.SetText(id::kSerialNo, L"SN-42");
    camera.Focus(id::kSerialNo);
    camera.PressKey(id::kSerialNo, VK_RETURN);
    Notice notice = program->WaitForNotice();
    CHECK_EQ(std::wstring(text::kSetSuccessful), notice.text);
    DWORD shown = GetTickCount();
    CHECK_TRUE(program->NoticeOpen());
    // Closes itself about a second after the key; bounded at three.
    WaitUntil([&] { return !program->NoticeOpen(); }, "the notice to close by itself", 3000);
    CHECK_TRUE(GetTickCount() - shown >= 500) << "closed after " << GetTickCount() - shown << " ms";
    CHECK_EQ(Hex(IdentityRecord("CAM0001", "000001", "", "D01", "")), LastPayload("send", kCmdIdentity));
    CHECK_EQ(L"SN-42", camera.Text(id::kSerialNo));

    // A length notice after Enter closes itself too.
    camera.SetText(id::kCameraId, L"CAM");
    camera.PressKey(id::kSerialNo, VK_RETURN);
    notice = program->WaitForNotice();
    CHECK_EQ(std::wstring(text::kCameraIdLength), notice.text);
    WaitUntil([&] { return !program->NoticeOpen(); }, "the length notice to close by itself", 3000);

    // Enter and Escape anywhere else do nothing.
    size_t sent = CountTransfers("send", kCmdIdentity);
    for (int field : {id::kCameraId, id::kUserName, id::kSsid, id::kAdminPassword}) {
        camera.Focus(field);
        camera.PressKey(field, VK_RETURN);
        camera.PressKey(field, VK_ESCAPE);
    }
    ExpectNoNotice(camera, id::kCameraId);
    CHECK_TRUE(camera.Exists());
    CHECK_EQ(sent, CountTransfers("send", kCmdIdentity));
}

TEST_F(ProgramCameraWindow, NetworkGroupReadsSendsAndSwitchesTheWifiMode)
{
    Start();
    ExternalWindow camera = SignInAsAdministrator();
    size_t transfers = files.Transfers().size();
    const int kFields[] = {id::kSsid, id::kWifiPassword, id::kServerIp, id::kApn, id::kPin, id::kServerPort};
    const std::wstring kValues[] = {L"home", L"secret99", L"10.0.0.5", L"internet", L"1234", L"8080"};
    for (int i = 0; i < 6; ++i)
        camera.SetText(kFields[i], kValues[i]);
    ExpectNoticeFrom(camera, id::kSetNetwork, text::kSetSuccessful);

    // STA: the mode is sent, SSID and WiFi password re-read; the rest stays as typed.
    camera.Choose(id::kWifiMode, 1);
    WaitUntil([&] { return camera.Text(id::kSsid).empty(); }, "the SSID to be re-read");
    ExpectNoNotice(camera, id::kCameraId);
    CHECK_EQ(L"STA", camera.SelectedText(id::kWifiMode));
    CHECK_EQ(L"", camera.Text(id::kWifiPassword));
    for (int i = 2; i < 6; ++i)
        CHECK_EQ(kValues[i], camera.Text(kFields[i])) << "field " << kFields[i];

    camera.Click(id::kReadNetwork);
    ExpectNoNotice(camera, id::kCameraId);
    CHECK_EQ(L"AP", camera.SelectedText(id::kWifiMode));
    for (int field : kFields)
        CHECK_EQ(L"", camera.Text(field)) << "field " << field;
    CHECK_TRUE(camera.Enabled(id::kSetNetwork));
    // The shipped library answers the network calls itself.
    CHECK_EQ(transfers, files.Transfers().size());
}

struct PasswordChange {
    const char* name;
    int first, again, button;
    std::wstring password, confirmation;
    const wchar_t* notice;
};

TEST_F(ProgramCameraWindow, PasswordSettingNeedsSixEqualCharactersAndReachesTheCamera)
{
    const PasswordChange kCases[] = {
        {"both empty", id::kAdminPassword, id::kAdminPasswordAgain, id::kSetAdminPassword, L"", L"",
         text::kPasswordLength},
        {"5 and 6", id::kAdminPassword, id::kAdminPasswordAgain, id::kSetAdminPassword, L"12345", L"123456",
         text::kPasswordLength},
        {"equal but 5", id::kUserPassword, id::kUserPasswordAgain, id::kSetUserPassword, L"12345", L"12345",
         text::kPasswordLength},
        {"different", id::kAdminPassword, id::kAdminPasswordAgain, id::kSetAdminPassword, L"123456", L"654321",
         text::kPasswordsDiffer},
        {"case differs", id::kUserPassword, id::kUserPasswordAgain, id::kSetUserPassword, L"abcdef", L"abcdeF",
         text::kPasswordsDiffer},
    };
    Start();
    ExternalWindow camera = SignInAsAdministrator();
    for (const auto& change : kCases) {
        SCOPED_TRACE(change.name);
        camera.SetText(change.first, change.password);
        camera.SetText(change.again, change.confirmation);
        ExpectNoticeFrom(camera, change.button, change.notice);
    }
    CHECK_EQ(0u, CountTransfers("send", kCmdAdminPassword));
    CHECK_EQ(0u, CountTransfers("send", kCmdUserPassword));

    camera.SetText(id::kAdminPassword, L"Adm1n9");
    camera.SetText(id::kAdminPasswordAgain, L"Adm1n9");
    ExpectNoticeFrom(camera, id::kSetAdminPassword, text::kPasswordChanged);
    camera.SetText(id::kUserPassword, L"us3r00");
    camera.SetText(id::kUserPasswordAgain, L"us3r00");
    ExpectNoticeFrom(camera, id::kSetUserPassword, text::kPasswordChanged);
    CHECK_EQ(Hex("Adm1n9"), LastPayload("send", kCmdAdminPassword));
    CHECK_EQ(Hex("us3r00"), LastPayload("send", kCmdUserPassword));
    CHECK_EQ("Adm1n9", files.StateValue("admin_password"));
    CHECK_EQ("us3r00", files.StateValue("user_password"));
    // The fields keep their (masked) text.
    CHECK_EQ(L"Adm1n9", camera.Text(id::kAdminPassword));

    files.SetStateValue("faults", "fail=8/9");
    ExpectNoticeFrom(camera, id::kSetAdminPassword, text::kPasswordNotChanged);
    ExpectNoticeFrom(camera, id::kSetUserPassword, text::kPasswordNotChanged);
    files.SetStateValue("faults", "");

    // The new administrator password signs in next time; the old one does not.
    Logout(camera);
    Connect();
    EnterPassword(L"888888");
    signIn.Click(id::kSignIn);
    ExpectNotice(text::kSignInFailed);
    EnterPassword(L"Adm1n9");
    signIn.Click(id::kSignIn);
    CHECK_TRUE(program->WaitForCameraWindow(kSignInMs).Exists());
}

TEST_F(ProgramCameraWindow, UsbStorageIsSentAtEveryClickAndReportsItsOutcome)
{
    Start();
    ExternalWindow camera = SignInAsAdministrator();
    for (int click = 1; click <= 2; ++click) {
        DWORD start = GetTickCount();
        camera.Click(id::kUsbStorage);
        ExpectNotice(text::kStorageOn);
        CHECK_TRUE(GetTickCount() - start >= 900) << "the notice came after " << GetTickCount() - start << " ms";
        CHECK_EQ(std::to_string(click), files.StateValue("storage_mode_count"));
    }
    CHECK_EQ("01000000", LastPayload("send", kCmdStorageMode));
    files.SetStateValue("faults", "fail=5");
    ExpectNoticeFrom(camera, id::kUsbStorage, text::kStorageFailed);
}

struct FormatAnswer {
    const char* name;
    void (*answer)(const ExternalWindow& confirm);
};

TEST_F(ProgramCameraWindow, FormatAsksFirstAndOnlyYesFormats)
{
    const FormatAnswer kRefusals[] = {
        {"No", [](const ExternalWindow& confirm) { confirm.Click(IDCANCEL); }},
        {"Escape", [](const ExternalWindow& confirm) { confirm.PressKey(IDCANCEL, VK_ESCAPE); }},
        {"close box", [](const ExternalWindow& confirm) { confirm.CloseBox(); }},
        {"Enter on the focused No", [](const ExternalWindow& confirm) { confirm.PressKey(IDCANCEL, VK_RETURN); }},
    };
    Start();
    ExternalWindow camera = SignInAsAdministrator();
    for (const auto& refusal : kRefusals) {
        SCOPED_TRACE(refusal.name);
        camera.Click(id::kFormatCard);
        ExternalWindow confirm = program->WaitForWindow(text::kFormatTitle);
        CHECK_EQ(std::wstring(text::kFormatQuestion), confirm.Text(id::kConfirmText));
        CHECK_EQ(std::wstring(text::kYes), confirm.Text(IDOK));
        CHECK_EQ(std::wstring(text::kNo), confirm.Text(IDCANCEL));
        CHECK_EQ(IDCANCEL, confirm.FocusId());
        refusal.answer(confirm);
        WaitUntil([&] { return !confirm.Exists(); }, "the confirmation to close");
        ExpectNoNotice(camera, id::kCameraId);
    }
    CHECK_EQ(0u, CountTransfers("send", kCmdFormat));

    camera.Click(id::kFormatCard);
    program->WaitForWindow(text::kFormatTitle).Click(IDOK);
    ExpectNotice(text::kFormatDone);
    CHECK_EQ("1", files.StateValue("format_count"));
    CHECK_EQ("01000000", LastPayload("send", kCmdFormat));

    files.SetStateValue("format_verdict", "1");
    camera.Click(id::kFormatCard);
    program->WaitForWindow(text::kFormatTitle).Click(IDOK);
    ExpectNotice(text::kFormatFailed);
}

TEST_F(ProgramCameraWindow, EveryWayOutLeadsBackToADisconnectedSignInWindow)
{
    const struct {
        const char* name;
        void (*close)(const ExternalWindow& camera);
    } kWays[] = {
        {"Logout", [](const ExternalWindow& camera) { camera.Click(id::kLogout); }},
        {"close box", [](const ExternalWindow& camera) { camera.CloseBox(); }},
        {"Alt+F4", [](const ExternalWindow& camera) { camera.PressAltF4(); }},
    };
    Start();
    for (const auto& way : kWays) {
        SCOPED_TRACE(way.name);
        ExternalWindow camera = SignInAsUser();
        camera.SetText(id::kSsid, L"typed before leaving");
        way.close(camera);
        WaitUntil([&] { return !camera.Exists() && signIn.WindowEnabled(); }, "the camera window to close");
        CHECK_TRUE(program->Running());
        CHECK_EQ(std::wstring(text::kConnectDevice), signIn.Text(id::kConnect));
        CHECK_EQ(std::wstring(text::kAdministrator), signIn.SelectedText(id::kUserType));
        CHECK_EQ(L"000000", signIn.Text(id::kPassword));
        // A new sign-in needs Connect again.
        signIn.Click(id::kSignIn);
        ExpectNotice(text::kConnectFirst);
    }
    // Every run starts afresh.
    ExternalWindow camera = SignInAsAdministrator();
    CHECK_EQ(L"", camera.Text(id::kSsid));
    CHECK_TRUE(camera.Visible(id::kFormatCard));
}

} // namespace
} // namespace e2e
