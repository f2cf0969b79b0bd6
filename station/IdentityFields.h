// The identity record's five fields as the tool names them: one table read
// by the argument parser (flags), the fleet file (columns), the output (JSON
// keys, the human line) and the messages. A field's limits are its rule's
// (core/InputFields), its bytes in the record its place's
// (core/IdentityCodec).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "core/IdentityCodec.h"
#include "core/InputFields.h"

struct IdentityField {
    const char* key;                  // CSV column and JSON key
    const char* flag;                 // identity set's option
    InputField field;                 // its rule
    WideString IdentityTexts::*text;  // its text, and so its place in the record
};

// In the order the tool shows them.
constexpr size_t kIdentityFieldCount = 5;
extern const IdentityField kIdentityFields[kIdentityFieldCount];

// The field of `field`; null for the password fields.
const IdentityField* IdentityFieldOf(InputField field);

// The record's five texts, keyed as the table says.
nlohmann::ordered_json IdentityJson(const IdentityRecord& record);
// The same as one line of key=value pairs, the names quoted.
std::string IdentityLine(const IdentityRecord& record);
