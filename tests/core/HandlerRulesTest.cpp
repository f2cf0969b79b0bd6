// The rules the camera window's handlers apply before and after a library
// call: passwords, identity notices, network buffers and the displays.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/DisplayTexts.h"
#include "core/NetworkValues.h"
#include "core/PasswordRules.h"

namespace {

std::string Narrow(const WideString& text)
{
    return std::string(text.begin(), text.end());
}

TEST(PasswordRulesTest, ANewPasswordIsSentOnlyWhenBothTextsAreTheSameSixBytes)
{
    const struct {
        const char* name;
        WideString password;
        WideString again;
        PasswordCheck check;
        std::string sent;
    } kCases[] = {
        {"both empty", WIDE(""), WIDE(""), PasswordCheck::WrongLength, ""},
        {"five against six", WIDE("12345"), WIDE("123456"), PasswordCheck::WrongLength, ""},
        {"six against seven", WIDE("123456"), WIDE("1234567"), PasswordCheck::WrongLength, ""},
        // Ten bytes and more fill the narrow room without a zero byte.
        {"equal but too long", WIDE("abcdefghijk"), WIDE("abcdefghijk"), PasswordCheck::WrongLength, ""},
        {"cut short by a character above Latin-1", WIDE("abc12\u0416"), WIDE("abc12\u0416"),
         PasswordCheck::WrongLength, ""},
        {"different", WIDE("abc123"), WIDE("abc124"), PasswordCheck::Different, ""},
        {"letter case only", WIDE("abc123"), WIDE("ABC123"), PasswordCheck::Different, ""},
        {"equal", WIDE("Zx9Zx9"), WIDE("Zx9Zx9"), PasswordCheck::Ok, "Zx9Zx9"},
        {"Latin-1 counts one byte each", WIDE("caf\u00e9\u00e9!"), WIDE("caf\u00e9\u00e9!"), PasswordCheck::Ok,
         "caf\xe9\xe9!"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        NewPassword checked = CheckNewPassword(c.password, c.again);
        EXPECT_EQ(checked.check, c.check);
        EXPECT_EQ(checked.bytes, c.sent);
    }
}

TEST(PasswordRulesTest, SignInSendsAtMostSixBytesUpToACharacterAboveLatin1)
{
    EXPECT_EQ(SignInPassword(WIDE("")), "");
    EXPECT_EQ(SignInPassword(WIDE("12345678")), "123456");
    EXPECT_EQ(SignInPassword(WIDE("8888\u04169")), "8888");
    EXPECT_EQ(SignInPassword(WIDE("\u00ff00000")), "\xff" "00000");
}

TEST(IdentityNoticeTest, NamesTheLengthRequiredOfTheFirstWrongIdOnly)
{
    const WideChar* kCameraIdEntry = WIDE("The length of the camera ID is");
    const WideChar* kUserIdEntry = WIDE("The length of user ID is");
    const struct {
        IdentityTexts texts;
        BuildResult result;
        const char* notice;  // with the entry the handler passes for the result
    } kCases[] = {
        {{WIDE("CAM001"), WIDE("123456"), WIDE(""), WIDE(""), WIDE("")}, BuildResult::CameraIdLength,
         "The length of the camera ID is 7!"},
        {{WIDE("CAM00001"), WIDE("123456"), WIDE(""), WIDE(""), WIDE("")}, BuildResult::CameraIdLength,
         "The length of the camera ID is 7!"},
        {{WIDE(""), WIDE(""), WIDE(""), WIDE(""), WIDE("")}, BuildResult::CameraIdLength,
         "The length of the camera ID is 7!"},
        {{WIDE("CAM0001"), WIDE("12345"), WIDE(""), WIDE(""), WIDE("")}, BuildResult::UserIdLength,
         "The length of user ID is 6!"},
        {{WIDE("CAM0001"), WIDE("\u041623456"), WIDE(""), WIDE(""), WIDE("")}, BuildResult::UserIdLength,
         "The length of user ID is 6!"},
        {{WIDE("CAM0001"), WIDE("123456"), WIDE(""), WideString(11, 0x4EA4), WIDE("")}, BuildResult::NameTooLong,
         "Set failed."},
        {{WIDE("CAM0001"), WIDE("123456"), WIDE("D01"), WIDE("Ivan"), WIDE("Traffic")}, BuildResult::Ok,
         "Set successful."},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.notice);
        IdentityRecord record;
        const BuildResult result = BuildIdentityRecord(c.texts, record);
        EXPECT_EQ(result, c.result);
        const WideChar* entry = result == BuildResult::CameraIdLength ? kCameraIdEntry
                                : result == BuildResult::UserIdLength ? kUserIdEntry
                                : result == BuildResult::Ok           ? WIDE("Set successful.")
                                                                      : WIDE("Set failed.");
        EXPECT_EQ(Narrow(IdentityNotice(result, entry)), c.notice);
    }
}

TEST(NetworkValuesTest, BuffersHaveTheLibrarysSizesAndNeverLoseTheirZeroByte)
{
    const size_t kSizes[] = {64, 64, 24, 64, 64, 12};
    ASSERT_EQ(sizeof kNetworkValues / sizeof kNetworkValues[0], 6u);
    for (size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const NetworkValueRule& rule = kNetworkValues[i];
        EXPECT_EQ(rule.bufferSize, kSizes[i]);
        // A judged value never follows one that is not: a failure stops the
        // sending before any optional value goes.
        if (i > 0 && rule.judged) {
            EXPECT_TRUE(kNetworkValues[i - 1].judged);
        }

        NetworkBuffer exact(rule);
        exact.Narrow(WideString(rule.bufferSize - 1, WIDE('x')));
        EXPECT_EQ(std::string(exact.data(), rule.bufferSize), std::string(rule.bufferSize - 1, 'x') + '\0');

        NetworkBuffer tooLong(rule);
        tooLong.Narrow(WideString(rule.bufferSize + 5, WIDE('y')));
        EXPECT_EQ(std::string(tooLong.data(), rule.bufferSize), std::string(rule.bufferSize - 1, 'y') + '\0');

        // What a library left filling the whole buffer, and more.
        NetworkBuffer filled(rule);
        std::memset(filled.data(), 'z', NetworkBuffer::kLargest);
        EXPECT_EQ(Narrow(filled.Text()), std::string(rule.bufferSize - 1, 'z'));
    }
}

TEST(NetworkValuesTest, ATextIsNarrowedUpToACharacterAboveLatin1AndReadWithoutItsLineFeed)
{
    NetworkBuffer port(kNetworkValues[5]);
    port.Narrow(WIDE("8080"));
    EXPECT_EQ(std::string(port.data(), port.size()), std::string("8080") + std::string(8, '\0'));

    NetworkBuffer password(kNetworkValues[1]);
    password.Narrow(WIDE("caf\u00e9\u0416rest"));
    EXPECT_EQ(std::string(password.data()), "caf\xe9");

    NetworkBuffer ssid(kNetworkValues[0]);
    std::strcpy(ssid.data(), "home-net\n");
    EXPECT_EQ(Narrow(ssid.Text()), "home-net");
}

TEST(DisplayTextsTest, ShowValuesAsReadWithPaddedTimeFields)
{
    const WideChar* kSynced = WIDE("Time Synchronizer has finished");
    EXPECT_EQ(Narrow(TimeDisplay({2019, 7, 24, 9, 1, 30}, kSynced)),
              "2019-07-24 09:01:30 --Time Synchronizer has finished");
    EXPECT_EQ(Narrow(TimeDisplay({999, 1, 2, 3, 4, 5}, WIDE("Calibrate time failed!"))),
              "0999-01-02 03:04:05 --Calibrate time failed!");

    const WideChar* kResolution = WIDE("Current video resoulution:");
    const WideChar* kBattery = WIDE("Current Battery life:");
    EXPECT_EQ(Narrow(ResolutionDisplay(kResolution, true, 1920, 1080)), "Current video resoulution:1920*1080");
    EXPECT_EQ(Narrow(ResolutionDisplay(kResolution, true, -1, 0)), "Current video resoulution:-1*0");
    EXPECT_EQ(Narrow(ResolutionDisplay(kResolution, false, 1920, 1080)), "Current video resoulution:");
    EXPECT_EQ(Narrow(BatteryDisplay(kBattery, true, 100)), "Current Battery life:100%");
    EXPECT_EQ(Narrow(BatteryDisplay(kBattery, false, 85)), "Current Battery life:");
}

}  // namespace
