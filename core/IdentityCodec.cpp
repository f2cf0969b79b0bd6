#include "core/IdentityCodec.h"

#include <cstring>

#include "core/TextConversions.h"

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

size_t NarrowIntoField(const WideString& text, IdentityRecord& record, size_t offset, size_t length)
{
    char* field = FieldAt(record, offset);
    NarrowInto(text.c_str(), field, length);
    return MeasureField(field, length);
}

// An empty name leaves its field zero; any other must fit whole.
bool EncodeName(const WideString& name, IdentityRecord& record, size_t offset)
{
    static_assert(kUserNameLength == kWideToUtf8Limit && kDepartmentNameLength == kWideToUtf8Limit,
                  "a name field holds exactly what WideToUtf8 may write");
    if (name.empty()) {
        return true;
    }
    return WideToUtf8(name.c_str(), FieldAt(record, offset)) != 0;
}

// Copies a field up to its first zero into a terminated buffer, so that the
// conversions, which read up to a terminator, stay inside the field.
template <size_t Size>
void CopyField(const IdentityRecord& record, size_t offset, size_t length, char (&buffer)[Size])
{
    static_assert(Size > kDepartmentNameLength, "room for the longest field and a zero");
    const char* field = FieldAt(record, offset);
    const size_t used = MeasureField(field, length);
    std::memcpy(buffer, field, used);
    buffer[used] = '\0';
}

WideString ParseSingleByteField(const IdentityRecord& record, size_t offset, size_t length)
{
    char buffer[kDepartmentNameLength + 1];
    CopyField(record, offset, length, buffer);
    return AnsiToWide(buffer);
}

WideString ParseName(const IdentityRecord& record, size_t offset, size_t length)
{
    char buffer[kDepartmentNameLength + 1];
    CopyField(record, offset, length, buffer);
    WideChar name[kUtf8ToWideLimit] = {};
    Utf8ToWide(buffer, name);
    return WideString(name);
}

}  // namespace

BuildResult BuildIdentityRecord(const IdentityTexts& texts, IdentityRecord& record)
{
    std::memset(record.bytes, 0, sizeof record.bytes);
    if (NarrowIntoField(texts.cameraId, record, kCameraIdOffset, kCameraIdLength) != kCameraIdChars) {
        return BuildResult::CameraIdLength;
    }
    if (NarrowIntoField(texts.userId, record, kUserIdOffset, kUserIdLength) != kUserIdChars) {
        return BuildResult::UserIdLength;
    }
    NarrowIntoField(texts.departmentId, record, kDepartmentIdOffset, kDepartmentIdLength);
    const bool userNameFits = EncodeName(texts.userName, record, kUserNameOffset);
    const bool departmentNameFits = EncodeName(texts.departmentName, record, kDepartmentNameOffset);
    return userNameFits && departmentNameFits ? BuildResult::Ok : BuildResult::NameTooLong;
}

IdentityTexts ParseIdentityRecord(const IdentityRecord& record)
{
    IdentityTexts texts;
    texts.cameraId = ParseSingleByteField(record, kCameraIdOffset, kCameraIdLength);
    texts.userId = ParseSingleByteField(record, kUserIdOffset, kUserIdLength);
    texts.departmentId = ParseSingleByteField(record, kDepartmentIdOffset, kDepartmentIdLength);
    texts.departmentName = ParseName(record, kDepartmentNameOffset, kDepartmentNameLength);
    texts.userName = ParseName(record, kUserNameOffset, kUserNameLength);
    return texts;
}
