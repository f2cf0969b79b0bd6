// Whole-value checks of the camera window's filtered fields and of the
// camera's serial number, for texts that arrive without a window (the
// command-line tool's arguments and fleet files).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/IdentityCodec.h"
#include "core/InputFields.h"

enum class FieldProblem {
    None,
    InvalidUtf8,       // the bytes are not UTF-8
    WrongLength,       // an ID or password not of its exact length, or too long
    BadCharacter,      // a character the field's filter refuses, or a zero
    ControlCharacter,  // a control character, which the filter lets through
};

// Checks UTF-8 `text` against the rule of `field` (RuleOf): its characters,
// its length in characters and its length in UTF-8 bytes, so that it is
// stored whole and reads back whole. Text from outside the window holds no
// control characters (C0, DEL, C1) either. Empty names and department IDs
// pass.
FieldProblem CheckField(InputField field, const std::string& text);

// True for C0, DEL and C1: characters that steer a terminal.
bool IsControlCharacter(std::uint32_t character);

// UTF-8 bytes to the window's wide text; empty when they are not UTF-8.
bool DecodeStrictUtf8(const std::string& text, WideString& wide);

// A camera serial number: 1 to kSerialChars characters, each printable
// ASCII (kSerialFirst to kSerialLast), stored in kSerialNoLength bytes with
// at least one zero after them.
constexpr size_t kSerialChars = kSerialNoLength - 1;
constexpr unsigned char kSerialFirst = 0x20;
constexpr unsigned char kSerialLast = 0x7E;

bool IsValidSerial(const std::string& serial);
