#include "cli/Secrets.h"

#include <cstdlib>

#include "cli/Platform.h"

namespace {

bool ReadFirstLine(const std::string& file, std::string& line, std::string& error)
{
    std::string bytes;
    if (!platform::ReadWholeFile(file, bytes)) {
        error = "cannot read the password file " + file;
        return false;
    }
    line = bytes.substr(0, bytes.find('\n'));
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

// From the file if one is named, else from the variable; 0 when neither.
int FromFileOrEnvironment(const std::string& file, const char* variable, std::string& password,
                          std::string& error)
{
    if (!file.empty()) {
        return ReadFirstLine(file, password, error) ? 1 : -1;
    }
    if (const char* value = std::getenv(variable)) {
        password = value;
        return 1;
    }
    return 0;
}

}  // namespace

bool ReadSignInPassword(const std::string& file, std::string& password, std::string& error)
{
    const int found = FromFileOrEnvironment(file, "ORVANE_PASSWORD", password, error);
    if (found != 0) {
        return found > 0;
    }
    if (platform::ReadSecret("Password: ", password)) {
        return true;
    }
    error = "no password: give --password-file FILE or set ORVANE_PASSWORD";
    return false;
}

bool ReadNewPassword(const std::string& file, std::string& password, std::string& error)
{
    const int found = FromFileOrEnvironment(file, "ORVANE_NEW_PASSWORD", password, error);
    if (found != 0) {
        return found > 0;
    }
    std::string again;
    if (!platform::ReadSecret("New password: ", password) || !platform::ReadSecret("Repeat it: ", again)) {
        error = "no new password: give --new-password-file FILE or set ORVANE_NEW_PASSWORD";
        return false;
    }
    if (password != again) {
        error = "the two passwords differ";
        return false;
    }
    return true;
}
