// Where passwords come from: never the command line, which other users of
// the computer can see.
#pragma once

#include <string>

// --password-file (its first line), else ORVANE_PASSWORD, else a prompt on
// the console without echo. False, with `error` set, when none is there.
bool ReadSignInPassword(const std::string& file, std::string& password, std::string& error);

// --new-password-file, else ORVANE_NEW_PASSWORD, else asked twice on the
// console; the two answers must match.
bool ReadNewPassword(const std::string& file, std::string& password, std::string& error);
