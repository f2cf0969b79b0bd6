// The five identity texts of the camera window and the 94-byte record the
// camera keeps them in.
#pragma once

#include "core/WideText.h"
#include "telvix/Telvix.h"

struct IdentityTexts {
    WideString cameraId;
    WideString userId;
    WideString departmentId;
    WideString userName;
    WideString departmentName;
};

// Why a record was not built. Checked in this order; only Ok may be sent.
enum class BuildResult {
    Ok,
    CameraIdLength,  // the camera ID does not narrow to exactly 7 bytes
    UserIdLength,    // the user ID does not narrow to exactly 6 bytes
    NameTooLong,     // a name needs more than 32 bytes of UTF-8
};

constexpr size_t kCameraIdChars = 7;
constexpr size_t kUserIdChars = 6;

// Where each text lies in the record and how it is stored: the IDs one byte
// a character, the names as UTF-8.
struct IdentityPlace {
    WideString IdentityTexts::*text;
    size_t offset;
    size_t length;
    bool utf8;
};

// The five fields in record order.
extern const IdentityPlace kIdentityPlaces[5];

const IdentityPlace& PlaceOf(WideString IdentityTexts::*text);

// Zero-fills `record` and writes the texts into their fields. A name is
// never cut: one that does not fit makes the result NameTooLong, so that a
// record missing a name the operator typed is not sent.
BuildResult BuildIdentityRecord(const IdentityTexts& texts, IdentityRecord& record);

// Zero-fills one field of `record` and writes `text` into it, leaving every
// other byte as it was. An ID is narrowed as far as it fits; a name is
// written whole or not at all (false, the field left zero).
bool PutIdentityText(IdentityRecord& record, const IdentityPlace& place, const WideString& text);

// Reads the five texts back. No field is read past its own end, also when
// it holds no zero byte. A name that decodes to more than 31 UTF-16 units
// reads back empty.
IdentityTexts ParseIdentityRecord(const IdentityRecord& record);
