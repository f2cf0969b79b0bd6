#include "core/IdentityCodec.h"

#include <cstring>

#include "core/TextConversions.h"

const IdentityPlace kIdentityPlaces[5] = {
    {&IdentityTexts::cameraId, kCameraIdOffset, kCameraIdLength, false},
    {&IdentityTexts::userId, kUserIdOffset, kUserIdLength, false},
    {&IdentityTexts::userName, kUserNameOffset, kUserNameLength, true},
    {&IdentityTexts::departmentId, kDepartmentIdOffset, kDepartmentIdLength, false},
    {&IdentityTexts::departmentName, kDepartmentNameOffset, kDepartmentNameLength, true},
};

namespace {

char* FieldAt(IdentityRecord& record, size_t offset)
{
    return reinterpret_cast<char*>(record.bytes + offset);
}

const char* FieldAt(const IdentityRecord& record, size_t offset)
{
    return reinterpret_cast<const char*>(record.bytes + offset);
}

// Bytes before the first zero, never counting past the field's end.
size_t MeasureField(const char* field, size_t length)
{
    const void* zero = std::memchr(field, 0, length);
    return zero ? static_cast<size_t>(static_cast<const char*>(zero) - field) : length;
}

size_t StoredLength(const IdentityRecord& record, WideString IdentityTexts::*text)
{
    const IdentityPlace& place = PlaceOf(text);
    return MeasureField(FieldAt(record, place.offset), place.length);
}

// Copies a field up to its first zero into a terminated buffer, so that the
// conversions, which read up to a terminator, stay inside the field.
template <size_t Size>
void CopyField(const IdentityRecord& record, const IdentityPlace& place, char (&buffer)[Size])
{
    static_assert(Size > kDepartmentNameLength, "room for the longest field and a zero");
    const char* field = FieldAt(record, place.offset);
    const size_t used = MeasureField(field, place.length);
    std::memcpy(buffer, field, used);
    buffer[used] = '\0';
}

WideString ParseField(const IdentityRecord& record, const IdentityPlace& place)
{
    char buffer[kDepartmentNameLength + 1];
    CopyField(record, place, buffer);
    if (!place.utf8) {
        return AnsiToWide(buffer);
    }
    WideChar name[kUtf8ToWideLimit] = {};
    Utf8ToWide(buffer, name);
    return WideString(name);
}

}  // namespace

const IdentityPlace& PlaceOf(WideString IdentityTexts::*text)
{
    for (const IdentityPlace& place : kIdentityPlaces) {
        if (place.text == text) {
            return place;
        }
    }
    return kIdentityPlaces[0];  // unreachable: every text is in the table
}

bool PutIdentityText(IdentityRecord& record, const IdentityPlace& place, const WideString& text)
{
    static_assert(kUserNameLength == kWideToUtf8Limit && kDepartmentNameLength == kWideToUtf8Limit,
                  "a name field holds exactly what WideToUtf8 may write");
    char* field = FieldAt(record, place.offset);
    std::memset(field, 0, place.length);
    if (!place.utf8) {
        NarrowInto(text.c_str(), field, place.length);
        return true;
    }
    // An empty name leaves its field zero; any other must fit whole.
    return text.empty() || WideToUtf8(text.c_str(), field) != 0;
}

BuildResult BuildIdentityRecord(const IdentityTexts& texts, IdentityRecord& record)
{
    std::memset(record.bytes, 0, sizeof record.bytes);
    bool namesFit = true;
    for (const IdentityPlace& place : kIdentityPlaces) {
        namesFit = PutIdentityText(record, place, texts.*place.text) && namesFit;
    }
    if (StoredLength(record, &IdentityTexts::cameraId) != kCameraIdChars) {
        return BuildResult::CameraIdLength;
    }
    if (StoredLength(record, &IdentityTexts::userId) != kUserIdChars) {
        return BuildResult::UserIdLength;
    }
    return namesFit ? BuildResult::Ok : BuildResult::NameTooLong;
}

IdentityTexts ParseIdentityRecord(const IdentityRecord& record)
{
    IdentityTexts texts;
    for (const IdentityPlace& place : kIdentityPlaces) {
        texts.*place.text = ParseField(record, place);
    }
    return texts;
}
