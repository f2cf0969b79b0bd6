// The identity group of the camera window: read and write of the camera's
// identity record.
#include <cstddef>
#include <vector>

#include "CameraWindowFixture.h"

namespace {

const int kIdentityFields[5] = {IDC_CAMERA_ID, IDC_USER_ID, IDC_DEPARTMENT_ID, IDC_USER_NAME, IDC_DEPARTMENT_NAME};

struct Identity {
    std::wstring texts[5]; // in the order of kIdentityFields
};

std::string Hex(const std::vector<unsigned char>& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

// A 94-byte record with `text` at each offset.
std::vector<unsigned char> Record(std::initializer_list<std::pair<size_t, std::string>> fields)
{
    std::vector<unsigned char> bytes(kIdentityRecordSize, 0);
    for (const auto& field : fields)
        std::copy(field.second.begin(), field.second.end(), bytes.begin() + static_cast<std::ptrdiff_t>(field.first));
    return bytes;
}

void FillIdentity(WindowDriver& driver, HWND camera, const Identity& identity)
{
    for (int i = 0; i < 5; ++i)
        CameraWindow::SetField(driver, camera, kIdentityFields[i], identity.texts[i]);
}

Identity ReadIdentity(WindowDriver& driver, HWND camera)
{
    Identity identity;
    for (int i = 0; i < 5; ++i)
        identity.texts[i] = driver.Text(camera, kIdentityFields[i]);
    return identity;
}

// Presses "Setting" and returns the notice's text, closing it.
std::wstring SetIdentity(WindowDriver& driver, HWND camera)
{
    driver.Click(camera, IDC_SET_IDENTITY);
    WindowDriver::Notice notice = driver.WaitForNotice();
    driver.CloseNotice(notice);
    return notice.text;
}

class CameraIdentity : public CameraWindow {
};

TEST_F(CameraIdentity, ReadFillsTheFieldsAndPutsBackUnexchangedTextElsewhere)
{
    Identity shown;
    std::wstring ssidBefore, ssidAfter, serialAfter;
    RunCamera([&](WindowDriver& driver, HWND camera) {
        ssidBefore = driver.Text(camera, IDC_WIFI_SSID);
        SetField(driver, camera, IDC_WIFI_SSID, L"typed");
        SetField(driver, camera, IDC_SERIAL_NO, L"SN1");
        WriteState("identity = "
                   + Hex(Record({{0, "CAM0042"}, {8, "654321"}, {15, "\xD0\x98\xD0\xB2"}, {48, "DEPT7\n"},
                                 {61, "\xE4\xBA\xA4"}}))
                   + "\n");
        driver.Click(camera, IDC_READ_IDENTITY);
        driver.WaitUntil([&] { return driver.Text(camera, IDC_CAMERA_ID) == L"CAM0042"; }, "the new record");
        shown = ReadIdentity(driver, camera);
        ssidAfter = driver.Text(camera, IDC_WIFI_SSID);
        serialAfter = driver.Text(camera, IDC_SERIAL_NO);
    });
    EXPECT_EQ(shown.texts[0], L"CAM0042");
    EXPECT_EQ(shown.texts[1], L"654321");
    EXPECT_EQ(shown.texts[2], L"DEPT7"); // without the line feed
    EXPECT_EQ(shown.texts[3], L"\x0418\x0432");
    EXPECT_EQ(shown.texts[4], L"\x4EA4");
    EXPECT_EQ(ssidAfter, ssidBefore);
    EXPECT_EQ(serialAfter, L"");
}

TEST_F(CameraIdentity, FailedReadIsSilentAndKeepsTheFields)
{
    Identity shown;
    bool noticeShown = true;
    RunCamera([&](WindowDriver& driver, HWND camera) {
        FillIdentity(driver, camera, {{L"KEEP001", L"111111", L"X", L"a", L"b"}});
        WriteState("faults = fail=3\n");
        driver.Click(camera, IDC_READ_IDENTITY);
        driver.Click(camera, IDC_READ_STATUS); // queued behind the read
        driver.WaitUntil([&] { return TransferLog().find("receive 7") != TransferLog().rfind("receive 7"); },
                         "the second status read");
        shown = ReadIdentity(driver, camera);
        noticeShown = FindWindowW(nullptr, L"VUZ") != nullptr;
    });
    EXPECT_EQ(shown.texts[0], L"KEEP001");
    EXPECT_EQ(shown.texts[4], L"b");
    EXPECT_FALSE(noticeShown);
}

TEST_F(CameraIdentity, WrongIdLengthsShowTheirNoticeAndSendNothing)
{
    const struct {
        const wchar_t* cameraId;
        const wchar_t* userId;
        const wchar_t* notice;
    } kCases[] = {
        // Which texts each check refuses is the core's (its own table).
        {L"CAM001", L"123456", L"The length of the camera ID is 7!"},
        {L"CAM0001", L"12345", L"The length of user ID is 6!"},
    };
    for (const auto& c : kCases) {
        std::wstring notice;
        RunCamera([&](WindowDriver& driver, HWND camera) {
            FillIdentity(driver, camera, {{c.cameraId, c.userId, L"", L"", L""}});
            notice = SetIdentity(driver, camera);
        });
        EXPECT_EQ(notice, c.notice) << c.cameraId << "/" << c.userId;
        EXPECT_EQ(TransferLog().find("send 3"), std::string::npos) << c.cameraId << "/" << c.userId;
    }
}

TEST_F(CameraIdentity, ValidWriteSendsExactlyTheRecordBytes)
{
    std::wstring notice;
    RunCamera([&](WindowDriver& driver, HWND camera) {
        FillIdentity(driver, camera, {{L"CAM0002", L"123456", L"DEPT00000012", L"\x0418\x0432\x0430\x043D", L""}});
        notice = SetIdentity(driver, camera);
    });
    std::string expected = Hex(Record({{0, "CAM0002"},
                                       {8, "123456"},
                                       {15, "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD"},
                                       {48, "DEPT00000012"}}));
    EXPECT_EQ(notice, L"Set successful.");
    EXPECT_NE(TransferLog().find("send 3 94 " + expected + " ok"), std::string::npos) << TransferLog();
    std::ifstream state(m_state.c_str());
    std::stringstream text;
    text << state.rdbuf();
    EXPECT_NE(text.str().find("identity = " + expected), std::string::npos);
}

TEST_F(CameraIdentity, FailedWriteShowsSetFailed)
{
    SetFaults(L"fail=3");
    std::wstring notice;
    Identity shown;
    RunCamera([&](WindowDriver& driver, HWND camera) {
        FillIdentity(driver, camera, {{L"CAM0002", L"123456", L"", L"", L""}});
        notice = SetIdentity(driver, camera);
        shown = ReadIdentity(driver, camera);
    });
    EXPECT_EQ(notice, L"Set failed.");
    EXPECT_EQ(shown.texts[0], L"CAM0002");
}

// Sending would blank the name on the camera while reporting success.
TEST_F(CameraIdentity, ANameThatDoesNotFitIsNotSent)
{
    const std::wstring kElevenIdeographs(11, L'\x4EA4');
    std::wstring notice, userName;
    RunCamera([&](WindowDriver& driver, HWND camera) {
        FillIdentity(driver, camera, {{L"CAM0002", L"123456", L"", kElevenIdeographs, L""}});
        notice = SetIdentity(driver, camera);
        userName = driver.Text(camera, IDC_USER_NAME);
    });
    EXPECT_EQ(notice, L"Set failed.");
    EXPECT_EQ(userName, kElevenIdeographs);
    EXPECT_EQ(TransferLog().find("send 3"), std::string::npos);
}

TEST_F(CameraIdentity, WrittenIdentityReadsBackInANewWindow)
{
    const Identity kWritten{{L"CAM0001", L"123456", L"D01", L"\x0418\x0432\x0430\x043D \x041F\x0435\x0442\x0440\x043E\x0432",
                             L"\x4EA4\x901A\x652F\x961F"}}; // "Иван Петров", "交通支队"
    std::wstring notice;
    RunCamera([&](WindowDriver& driver, HWND camera) {
        FillIdentity(driver, camera, kWritten);
        notice = SetIdentity(driver, camera);
    });
    Identity shown;
    RunCamera([&](WindowDriver& driver, HWND camera) { shown = ReadIdentity(driver, camera); });
    EXPECT_EQ(notice, L"Set successful.");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(shown.texts[i], kWritten.texts[i]) << i;
}

} // namespace
