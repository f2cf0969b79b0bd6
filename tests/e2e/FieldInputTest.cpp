// Typed and pasted input at the camera window's fields: the character
// filters of every mode, and texts longer than the fields and the buffers
// they are narrowed into.
#include "ProgramTest.h"

namespace e2e {
namespace {

enum Outcome { kAccepted, kAlnumNotice, kLineBreakNotice };

struct Keystroke {
    const char* name;
    int field;
    std::wstring characters; // posted one by one as WM_CHAR
    Outcome outcome;
};

class ProgramFields : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        Start();
        camera = SignInAsAdministrator();
    }

    // Types into a field that holds "x"; a refused character gives one notice
    // per code unit and leaves the field as it was.
    void ExpectKeystroke(const Keystroke& key)
    {
        SCOPED_TRACE(key.name);
        camera.SetText(key.field, L"x");
        camera.Type(key.field, key.characters);
        if (key.outcome == kAccepted) {
            ExpectNoNotice(camera, key.field);
            // Printable characters and backspace have their usual effect.
            std::wstring expected = L"x";
            bool predictable = true;
            for (wchar_t c : key.characters) {
                if (c == L'\b' && !expected.empty())
                    expected.pop_back();
                else if (c >= L' ')
                    expected += c;
                else
                    predictable = false;
            }
            if (predictable) {
                CHECK_EQ(expected, camera.Text(key.field));
            }
            return;
        }
        for (size_t i = 0; i < key.characters.size(); ++i)
            ExpectNotice(key.outcome == kAlnumNotice ? text::kAlnumOnly : text::kNoLineBreaks);
        ExpectNoNotice(camera, key.field);
        CHECK_EQ(L"x", camera.Text(key.field));
    }

    ExternalWindow camera;
};

TEST_F(ProgramFields, EachFieldLetsThroughOnlyTheCharactersOfItsMode)
{
    const int kAlnumFields[] = {id::kCameraId,       id::kUserId,       id::kDepartmentId,
                                id::kAdminPassword,  id::kAdminPasswordAgain, id::kUserPassword,
                                id::kUserPasswordAgain};
    for (int field : kAlnumFields) {
        ExpectKeystroke({"a hyphen in an ID or password field", field, L"-", kAlnumNotice});
        ExpectKeystroke({"letters and a digit in an ID or password field", field, L"aZ7", kAccepted});
    }
    const Keystroke kKeys[] = {
        {"backspace", id::kCameraId, L"\b", kAccepted},
        {"underscore", id::kCameraId, L"_", kAlnumNotice},
        {"space", id::kCameraId, L" ", kAlnumNotice},
        {"at sign", id::kCameraId, L"@", kAlnumNotice},
        {"accented Latin letter", id::kUserId, L"\x00e9", kAlnumNotice},
        {"Cyrillic letter", id::kUserId, L"\x0416", kAlnumNotice},
        {"CJK ideograph", id::kDepartmentId, L"\x4e2d", kAlnumNotice},
        {"copy, paste and cut keys", id::kCameraId, L"\x03\x16\x18", kAlnumNotice},
        {"space, Cyrillic and CJK in the user name", id::kUserName, L" \x0416\x4e2d", kAccepted},
        {"carriage return in the user name", id::kUserName, L"\r", kAccepted},
        {"space, hyphen and Cyrillic in the department name", id::kDepartmentName, L" -\x0416", kAccepted},
        {"carriage return in the department name", id::kDepartmentName, L"\r", kLineBreakNotice},
        {"line feed in the department name", id::kDepartmentName, L"\n", kLineBreakNotice},
    };
    for (const auto& key : kKeys)
        ExpectKeystroke(key);
}

TEST_F(ProgramFields, ControlCharactersSurrogatesAndWideCharactersNeverCrashAFilter)
{
    std::wstring controls;
    for (wchar_t c = 1; c < 32; ++c)
        if (c != L'\b' && c != L'\r' && c != L'\n')
            controls += c;
    controls += L"\x7f\x00a0\xfffe";
    const std::wstring surrogatePair = L"\xd83d\xde00";
    const Keystroke kKeys[] = {
        {"control characters in an ID", id::kCameraId, controls, kAlnumNotice},
        {"a surrogate pair in an ID", id::kUserId, surrogatePair, kAlnumNotice},
        {"a lone low surrogate in a password", id::kUserPassword, L"\xdc00", kAlnumNotice},
        {"control characters in the user name", id::kUserName, controls, kAccepted},
        {"control characters in the department name", id::kDepartmentName, controls, kAccepted},
        {"a surrogate pair in the user name", id::kUserName, surrogatePair, kAccepted},
        {"a surrogate pair in the department name", id::kDepartmentName, surrogatePair, kAccepted},
    };
    for (const auto& key : kKeys)
        ExpectKeystroke(key);
    // The names are still whole: written and read back from the camera.
    camera.SetText(id::kCameraId, L"CAM0001");
    camera.SetText(id::kUserId, L"000001");
    camera.SetText(id::kUserName, L"\xd83d\xde00 smile");
    camera.Click(id::kSetIdentity);
    ExpectNotice(text::kSetSuccessful);
    camera.Click(id::kReadIdentity);
    ExpectNoNotice(camera, id::kCameraId);
    CHECK_EQ(L"\xd83d\xde00 smile", camera.Text(id::kUserName));
    CHECK_TRUE(program->Running());
}

TEST_F(ProgramFields, PastedTextKeepsToTheFieldLimitButIsNotFiltered)
{
    SetClipboardText(L"AB-CDEFGHIJKLMNOP");
    camera.Paste(id::kCameraId);
    CHECK_EQ(L"AB-CDEF", camera.Text(id::kCameraId));
    camera.Paste(id::kAdminPassword);
    CHECK_EQ(L"AB-CDE", camera.Text(id::kAdminPassword));
    ExpectNoNotice(camera, id::kCameraId);
    // The camera ID pasted with a hyphen is sent as it stands.
    camera.Click(id::kSetIdentity);
    ExpectNotice(text::kSetSuccessful);
    CHECK_EQ(Hex(IdentityRecord("AB-CDEF", "000001", "", "D01", "")), LastPayload("send", kCmdIdentity));
}

TEST_F(ProgramFields, TextsLongerThanEveryBufferAreBoundedOrRefused)
{
    const std::wstring longText(300, L'Q');
    size_t sent = CountTransfers("send", kCmdIdentity);

    // Set by the program's own means, a field holds more than its limit.
    camera.SetText(id::kCameraId, longText);
    camera.Click(id::kSetIdentity);
    ExpectNotice(text::kCameraIdLength);
    camera.SetText(id::kCameraId, L"CAM0002");
    camera.SetText(id::kUserId, longText);
    camera.Click(id::kSetIdentity);
    ExpectNotice(text::kUserIdLength);
    CHECK_EQ(sent, CountTransfers("send", kCmdIdentity));

    // The department ID fills its 13 bytes and no more.
    camera.SetText(id::kUserId, L"000002");
    camera.SetText(id::kDepartmentId, longText);
    camera.SetText(id::kDepartmentName, L"Ops");
    camera.Click(id::kSetIdentity);
    ExpectNotice(text::kSetSuccessful);
    CHECK_EQ(Hex(IdentityRecord("CAM0002", "000002", "", std::string(13, 'Q'), "Ops")),
             LastPayload("send", kCmdIdentity));

    // Network fields far beyond their 64, 24 and 12 bytes.
    size_t transfers = files.Transfers().size();
    for (int field : {id::kSsid, id::kWifiPassword, id::kServerIp, id::kApn, id::kPin, id::kServerPort})
        camera.SetText(field, longText);
    camera.Click(id::kSetNetwork);
    ExpectNotice(text::kSetSuccessful);
    camera.Choose(id::kWifiMode, 1);
    WaitUntil([&] { return camera.Text(id::kSsid).empty(); }, "the SSID to be re-read");
    CHECK_EQ(longText, camera.Text(id::kServerIp));
    CHECK_EQ(transfers, files.Transfers().size());

    // The serial number beyond its 40 characters: exchanged back and never sent.
    camera.SetText(id::kSerialNo, longText);
    camera.Click(id::kSetIdentity);
    ExpectNotice(text::kSetSuccessful);
    CHECK_EQ(std::string::npos, LastPayload("send", kCmdIdentity).find(Hex("QQQQQQQQQQQQQQ")));
    camera.Click(id::kReadIdentity);
    ExpectNoNotice(camera, id::kCameraId);
    CHECK_TRUE(camera.Text(id::kSerialNo).size() <= longText.size());
    CHECK_EQ(L"CAM0002", camera.Text(id::kCameraId));
    CHECK_TRUE(program->Running());
}

// A name whose UTF-8 form does not fit its 33 bytes is not sent as an empty
// field, which would erase the camera's stored name behind a success notice:
// nothing is sent, the notice says the setting failed, the field keeps its text.
TEST_F(ProgramFields, ANameTooLongForItsFieldIsRefusedAndStaysInItsField)
{
    const size_t sentBefore = CountTransfers("send", kCmdIdentity);
    const std::wstring elevenIdeographs(11, L'\x4e2d');
    camera.SetText(id::kUserName, elevenIdeographs);
    camera.Click(id::kSetIdentity);
    ExpectNotice(text::kSetFailed);
    CHECK_EQ(sentBefore, CountTransfers("send", kCmdIdentity));
    CHECK_EQ(elevenIdeographs, camera.Text(id::kUserName));
}

} // namespace
} // namespace e2e
