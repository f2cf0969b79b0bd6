// The passwords the windows hand the camera: what a sign-in sends and what
// a new password must be before it is sent.
#pragma once

#include <cstddef>
#include <string>

#include "core/WideText.h"

// A camera password is exactly this many single-byte characters.
constexpr size_t kPasswordChars = 6;

// What a sign-in sends for the typed `password`: at most 6 bytes, up to the
// first character above U+00FF.
std::string SignInPassword(const WideString& password);

enum class PasswordCheck {
    Ok,
    WrongLength,  // either text does not narrow to exactly 6 bytes
    Different,    // both have 6 bytes, but not the same
};

// A new password and its confirmation, narrowed for the library.
struct NewPassword {
    PasswordCheck check = PasswordCheck::WrongLength;
    std::string bytes;  // the 6 bytes to send; empty unless check is Ok
};

// The length is checked before the equality, so two equal texts of the
// wrong length give WrongLength.
NewPassword CheckNewPassword(const WideString& password, const WideString& again);
