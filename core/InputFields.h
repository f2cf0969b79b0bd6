// The camera window's filtered fields: how many characters each takes and
// which characters may be typed into it. One table, read by the window (its
// edit limits and filters) and by the command-line tool (its argument and
// fleet-file checks).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/IdentityCodec.h"
#include "core/PasswordRules.h"

// Which characters a field accepts. The values are those the window's
// fields have always stored; any other value accepts everything.
enum InputMode : int {
    AlnumOnly = 0,     // ASCII letters and digits, and backspace
    AnyChar = 1,       // everything
    NoLineBreaks = 2   // everything but carriage return and line feed
};

// True when `character` (a UTF-16 unit or code point) may be typed into a
// field of `mode`.
bool AcceptsCharacter(int mode, std::uint32_t character);

enum class InputField {
    AdminPassword,
    AdminPasswordAgain,
    UserPassword,
    UserPasswordAgain,
    CameraId,
    UserId,
    DepartmentId,
    UserName,
    DepartmentName,
};

// The window lets a department ID take 12 characters, one short of its
// 13-byte field (the last byte is the terminator).
constexpr size_t kDepartmentIdChars = kDepartmentIdLength - 1;
// A name field takes 16 characters; what decides whether it fits is its
// UTF-8 length, at most kNameBytes.
constexpr size_t kNameChars = 16;
constexpr size_t kNameBytes = kUserNameLength - 1;

struct InputFieldRule {
    InputField field;
    size_t maxChars;  // the edit's limit, in UTF-16 units
    int mode;         // an InputMode
    // What a whole value must also be to be stored and read back whole
    // (the window's handlers check these when a value is sent).
    bool exactChars;  // exactly maxChars: the IDs of fixed length, the passwords
    size_t maxBytes;  // its UTF-8 length at most
};

// Every filtered field, in the window's order.
extern const InputFieldRule kInputFields[9];

const InputFieldRule& RuleOf(InputField field);
