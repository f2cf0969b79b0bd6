#include "cli/PasswordSources.h"

#include "station/FieldMessages.h"
#include "cli/Output.h"
#include "cli/Console.h"
#include "core/CodePages.h"
#include "core/PasswordRules.h"
#include "core/TextConversions.h"

namespace {

// Holds a wide copy of a secret and wipes it when it goes.
struct WideSecret {
    WideString text;
    ~WideSecret() { WipeText(text); }
};

bool IsLineEnd(std::uint32_t unit)
{
    return unit == '\n' || unit == '\r';
}

bool DecodeUtf16(const std::string& bytes, bool bigEndian, std::string& line)
{
    if (bytes.size() % 2 != 0) {
        return false;
    }
    WideSecret wide;
    wide.text.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i < bytes.size(); i += 2) {
        const unsigned char first = static_cast<unsigned char>(bytes[i]);
        const unsigned char second = static_cast<unsigned char>(bytes[i + 1]);
        const WideChar unit = static_cast<WideChar>(bigEndian ? (first << 8) | second : (second << 8) | first);
        if (IsLineEnd(unit)) {
            break;
        }
        wide.text.push_back(unit);
    }
    line = EncodeUtf8(wide.text.data(), wide.text.size());
    // An unpaired surrogate encodes as U+FFFD and so does not decode back.
    WideSecret check;
    return DecodeStrictUtf8(line, check.text) && check.text == wide.text;
}

bool FromFile(platform::Host& host, const std::string& file, const char* what, Secret& secret, std::string& error)
{
    Secret bytes;
    const platform::FileRead read = host.ReadFile(file, kSecretFileBytes, bytes.text());
    if (read != platform::FileRead::Ok) {
        error = ReadProblem(read, what, file);
        return false;
    }
    if (!DecodePasswordFile(bytes.text(), secret.text())) {
        error = "the " + std::string(what) + " " + file + " is neither UTF-8 nor UTF-16 with a byte order mark";
        return false;
    }
    return true;
}

// From the file if one is named, else from the variable; 0 when neither.
int FromFileOrVariable(platform::Host& host, const std::string& file, const char* what, Secret& variable, bool variableSet,
                       Secret& secret, std::string& error)
{
    if (!file.empty()) {
        return FromFile(host, file, what, secret, error) ? 1 : -1;
    }
    if (!variableSet) {
        return 0;
    }
    secret.text().assign(variable.text());
    variable.Wipe();
    return 1;
}

bool Ask(const std::string& prompt, Secret& secret, std::string& error)
{
    switch (platform::ReadSecret(prompt, secret.text())) {
    case platform::SecretRead::Ok:
        return true;
    case platform::SecretRead::Interrupted:
        error = "interrupted";
        return false;
    case platform::SecretRead::Failed:
        error = "the password could not be read from the console";
        return false;
    case platform::SecretRead::NoConsole:
        break;
    }
    error = "";
    return false;
}

// What the sign-in window would send for `password` (UTF-8), in place.
bool NarrowForSignIn(Secret& password, std::string& error)
{
    WideSecret wide;
    wide.text.reserve(password.text().size());
    if (!DecodeStrictUtf8(password.text(), wide.text)) {
        error = "the sign-in password is not valid UTF-8";
        return false;
    }
    if (wide.text.size() > kPasswordChars) {
        error = "the sign-in password has " + std::to_string(wide.text.size()) + " characters; the camera takes at most "
                + std::to_string(kPasswordChars);
        return false;
    }
    for (const WideChar unit : wide.text) {
        if (unit == 0 || unit > 0xFF) {
            error = "the sign-in password holds a character the camera cannot take (only U+0001 to U+00FF)";
            return false;
        }
    }
    password.text().resize(kPasswordChars + 1);
    password.text().resize(NarrowIntoTerminated(wide.text.c_str(), &password.text()[0], password.text().size()));
    return true;
}

}  // namespace

void TakePasswordVariables(PasswordVariables& variables)
{
    variables.signInSet = platform::TakeEnvironment("ORVANE_PASSWORD", variables.signIn.text());
    variables.newPasswordSet = platform::TakeEnvironment("ORVANE_NEW_PASSWORD", variables.newPassword.text());
}

bool DecodePasswordFile(const std::string& bytes, std::string& line)
{
    line.clear();
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        return DecodeUtf16(bytes, false, line);
    }
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE && static_cast<unsigned char>(bytes[1]) == 0xFF) {
        return DecodeUtf16(bytes, true, line);
    }
    const std::size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) {
        end = bytes.size();
    }
    line.assign(bytes, start, end - start);
    WideSecret check;
    return DecodeStrictUtf8(line, check.text);
}

bool ReadSignInPassword(platform::Host& host, const std::string& file, PasswordVariables& variables, const std::string& prompt,
                        Secret& password, std::string& error)
{
    const int found = FromFileOrVariable(host, file, "password file", variables.signIn, variables.signInSet, password, error);
    if (found < 0) {
        return false;
    }
    if (found == 0 && !Ask(prompt, password, error)) {
        if (error.empty()) {
            error = "no password: give --password-file FILE or set ORVANE_PASSWORD";
        }
        return false;
    }
    return NarrowForSignIn(password, error);
}

bool ReadNewPassword(platform::Host& host, const std::string& file, PasswordVariables& variables, const std::string& what,
                     Secret& password, std::string& error)
{
    const int found = FromFileOrVariable(host, file, "new password file", variables.newPassword,
                                         variables.newPasswordSet, password, error);
    if (found < 0) {
        return false;
    }
    if (found == 0) {
        Secret again;
        if (!Ask("New " + what + ": ", password, error) || !Ask("Repeat the new " + what + ": ", again, error)) {
            if (error.empty()) {
                error = "no new password: give --new-password-file FILE or set ORVANE_NEW_PASSWORD";
            }
            return false;
        }
        if (password.text() != again.text()) {
            error = "the two new passwords differ";
            return false;
        }
    }
    const FieldProblem problem = CheckField(InputField::AdminPassword, password.text());
    if (problem != FieldProblem::None) {
        error = FieldMessage(InputField::AdminPassword, "", problem);
        return false;
    }
    return true;
}
