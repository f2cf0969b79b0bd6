// Where the passwords come from, and what reaches the camera of them.
#include <gtest/gtest.h>

#include "FakeCameras.h"
#include "FakePlatform.h"

namespace {

using platform::FileRead;
using platform::SecretRead;

// What a sign-in sent, "admin 888888"; empty when there was none.
std::string FirstSignIn(const FakeCameras& cameras)
{
    for (const FakeCall& call : cameras.calls) {
        if (call.function == "client_login") {
            return call.detail;
        }
    }
    return "";
}

std::string Utf16(const std::u16string& text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

TEST(SignInPassword, IsWhatTheSignInWindowWouldSendOrAnInputError)
{
    const struct {
        const char* name;
        std::string file;  // the password file's bytes
        std::string sent;  // the sign-in's password; empty: exit 2 with `error`
        std::string error;
    } cases[] = {
        {"first line", "888888\nsecond line\n", "888888", ""},
        {"its CR", "888888\r\n", "888888", ""},
        {"a byte order mark", "\xEF\xBB\xBF" "888888\r\n", "888888", ""},
        {"UTF-16", Utf16(u"888888\r\n", false), "888888", ""},
        {"UTF-16 big-endian", Utf16(u"888888", true), "888888", ""},
        {"narrowed as the window narrows", "\xC3\xA9" "88888\n", "\xE9" "88888", ""},
        {"a trailing blank", "888888 \n", "", "the sign-in password has 7 characters; the camera takes at most 6"},
        {"above U+00FF", "\xE2\x82\xAC" "88888\n", "", "a character the camera cannot take"},
        {"a zero", std::string("888\0" "88\n", 6), "", "a character the camera cannot take"},
        {"not UTF-8", "\xFF" "88888\n", "", "neither UTF-8 nor UTF-16"},
        {"half a UTF-16 unit", Utf16(u"888888", false) + "8", "", "neither UTF-8 nor UTF-16"},
        {"over 4 KiB", std::string(4097, '8'), "", "the password file pw.txt is too large"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetFakeSystem();
        g_system.files["pw.txt"] = c.file;
        FakeCameras cameras;
        cameras.Plug().adminPassword = c.sent;

        const int exitCode = RunTool({"--password-file", "pw.txt", "status"});
        EXPECT_TRUE(g_system.ErrorsHold(c.error)) << g_system.errors;
        if (c.sent.empty()) {
            EXPECT_EQ(exitCode, 2);
            EXPECT_TRUE(cameras.calls.empty());
        } else {
            EXPECT_EQ(exitCode, 0) << g_system.errors;
            EXPECT_EQ(FirstSignIn(cameras), "admin " + c.sent);
        }
    }
}

TEST(SignInPassword, NeverComesEmptyFromAFailedSource)
{
    const struct {
        const char* name;
        FileRead file;  // Ok: no password file
        const char* variable;
        SecretRead console;
        std::string error;
    } cases[] = {
        {"a file read part-way", FileRead::Failed, nullptr, SecretRead::NoConsole,
         "the password file pw.txt could not be read to its end"},
        {"a folder", FileRead::IsFolder, nullptr, SecretRead::NoConsole, "pw.txt is a folder"},
        {"an empty variable and no console", FileRead::Ok, "", SecretRead::NoConsole,
         "no password: give --password-file FILE or set ORVANE_PASSWORD"},
        {"a failed console read", FileRead::Ok, nullptr, SecretRead::Failed, "could not be read from the console"},
        {"Ctrl+C at the prompt", FileRead::Ok, nullptr, SecretRead::Interrupted, "interrupted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetFakeSystem();
        std::vector<std::string> arguments = {"status"};
        if (c.file != FileRead::Ok) {
            g_system.unreadable["pw.txt"] = c.file;
            arguments.insert(arguments.begin(), {"--password-file", "pw.txt"});
        }
        if (c.variable) {
            g_system.environment["ORVANE_PASSWORD"] = c.variable;
        }
        if (c.console != SecretRead::NoConsole) {
            g_system.console = {{c.console, ""}};
        }
        FakeCameras cameras;
        cameras.Plug();

        EXPECT_EQ(RunTool(arguments), 2);
        EXPECT_TRUE(g_system.ErrorsHold(c.error)) << g_system.errors;
        EXPECT_TRUE(cameras.calls.empty());
    }
}

TEST(PasswordSet, AsksForTheCurrentPasswordThenTheNewOneTwice)
{
    const struct {
        const char* name;
        const char* repeat;
        int exitCode;
        std::string error;
    } cases[] = {
        {"the same twice", "Nw4Pq8", 0, ""},
        {"a repeat that differs", "Nw4Pq9", 2, "the two new passwords differ"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetFakeSystem();
        g_system.console = {{SecretRead::Ok, "888888"}, {SecretRead::Ok, "Nw4Pq8"}, {SecretRead::Ok, c.repeat}};
        FakeCameras cameras;
        FakeCamera& camera = cameras.Plug();

        EXPECT_EQ(RunTool({"--no-audit", "password", "set", "user"}), c.exitCode);
        EXPECT_TRUE(g_system.ErrorsHold(c.error)) << g_system.errors;
        EXPECT_EQ(g_system.prompts, (std::vector<std::string>{"Administrator password: ", "New user password: ",
                                                              "Repeat the new user password: "}));
        EXPECT_EQ(camera.userPassword, c.exitCode == 0 ? "Nw4Pq8" : "000000");
    }
}

}  // namespace
