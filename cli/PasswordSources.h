// Where passwords come from: never the command line, which other users of
// the computer can see. Every copy is wiped once it is no longer needed, and
// no message repeats one.
#pragma once

#include <string>

#include "platform/Host.h"
#include "station/Secret.h"

// The password variables, taken out of the environment at once (an empty
// one counts as unset).
struct PasswordVariables {
    Secret signIn;  // ORVANE_PASSWORD
    bool signInSet = false;
    Secret newPassword;  // ORVANE_NEW_PASSWORD
    bool newPasswordSet = false;
};
void TakePasswordVariables(PasswordVariables& variables);

// The sign-in password: --password-file FILE (its first line), else
// ORVANE_PASSWORD, else asked on the console with `prompt`. It must be what
// the sign-in window could send, at most 6 characters each U+0001 to U+00FF,
// and it is narrowed as the window narrows it. False, with `error` set,
// otherwise.
bool ReadSignInPassword(platform::Host& host, const std::string& file, PasswordVariables& variables, const std::string& prompt,
                        Secret& password, std::string& error);

// A new password: --new-password-file FILE, else ORVANE_NEW_PASSWORD, else
// asked twice on the console (`what` names it in the prompts); the two must
// match. It must be exactly 6 letters or digits.
bool ReadNewPassword(platform::Host& host, const std::string& file, PasswordVariables& variables, const std::string& what,
                     Secret& password, std::string& error);

// What a password file holds: its first line, without the line ending, from
// UTF-8 (a byte order mark skipped) or UTF-16 with its byte order mark, as
// UTF-8. False when it is not valid UTF-8 or UTF-16.
bool DecodePasswordFile(const std::string& bytes, std::string& line);
