// Whole-value checks of the camera window's filtered fields, for texts that
// arrive without a window (the command-line tool's arguments and fleet
// files), and the replacement of one field inside an identity record.
#pragma once

#include <string>

#include "core/IdentityCodec.h"
#include "core/InputFields.h"

enum class FieldProblem {
    None,
    InvalidUtf8,    // the bytes are not UTF-8
    WrongLength,    // an ID or password not of its exact length, or too long
    BadCharacter,   // a character the field's filter refuses, or a zero
};

// Checks UTF-8 `text` against the rules of `field`: camera ID exactly 7 and
// user ID exactly 6 letters or digits, department ID at most 12, a name at
// most 16 characters and 32 bytes of UTF-8 (so that it is stored whole and
// reads back whole), a password exactly 6 letters or digits. Empty names and
// department IDs pass.
FieldProblem CheckField(InputField field, const std::string& text);

// UTF-8 bytes to the window's wide text; empty when they are not UTF-8.
bool DecodeStrictUtf8(const std::string& text, WideString& wide);

// Clears one identity field of `record` and writes `text` into it, leaving
// every other byte as it was. `text` must have passed CheckField.
void PutIdentityField(IdentityRecord& record, InputField field, const WideString& text);
