#include "core/FieldRules.h"

#include <cstring>

#include "core/CodePages.h"
#include "core/TextConversions.h"

namespace {

struct FieldPlace {
    size_t offset;
    size_t length;
    InputField field;
    bool exactLength;  // an ID of a fixed length
};

const FieldPlace kIdentityPlaces[] = {
    {kCameraIdOffset, kCameraIdLength, InputField::CameraId, true},
    {kUserIdOffset, kUserIdLength, InputField::UserId, true},
    {kDepartmentIdOffset, kDepartmentIdLength, InputField::DepartmentId, false},
    {kUserNameOffset, kUserNameLength, InputField::UserName, false},
    {kDepartmentNameOffset, kDepartmentNameLength, InputField::DepartmentName, false},
};

const FieldPlace* PlaceOf(InputField field)
{
    for (const FieldPlace& place : kIdentityPlaces) {
        if (place.field == field) {
            return &place;
        }
    }
    return nullptr;  // a password: no place in the record
}

bool IsName(InputField field)
{
    return field == InputField::UserName || field == InputField::DepartmentName;
}

bool MustFillLimit(InputField field)
{
    const FieldPlace* place = PlaceOf(field);
    return place ? place->exactLength : true;  // passwords are exact too
}

}  // namespace

bool DecodeStrictUtf8(const std::string& text, WideString& wide)
{
    wide = DecodeUtf8(text.data(), text.size());
    // Malformed input decodes to U+FFFD, which encodes to other bytes.
    if (EncodeUtf8(wide.data(), wide.size()) == text) {
        return true;
    }
    wide.clear();
    return false;
}

FieldProblem CheckField(InputField field, const std::string& text)
{
    WideString wide;
    if (!DecodeStrictUtf8(text, wide)) {
        return FieldProblem::InvalidUtf8;
    }
    const InputFieldRule& limits = RuleOf(field);
    for (WideChar unit : wide) {
        // Backspace passes the window's filter only as an editing key.
        const bool editingKey = unit == '\b' && limits.mode == AlnumOnly;
        if (unit == 0 || editingKey || !AcceptsCharacter(limits.mode, unit)) {
            return FieldProblem::BadCharacter;
        }
    }
    if (wide.size() > limits.maxChars || (MustFillLimit(field) && wide.size() != limits.maxChars)) {
        return FieldProblem::WrongLength;
    }
    if (IsName(field) && text.size() > kNameBytes) {
        return FieldProblem::WrongLength;
    }
    return FieldProblem::None;
}

void PutIdentityField(IdentityRecord& record, InputField field, const WideString& text)
{
    const FieldPlace* place = PlaceOf(field);
    if (!place) {
        return;
    }
    char* bytes = reinterpret_cast<char*>(record.bytes + place->offset);
    std::memset(bytes, 0, place->length);
    if (IsName(field)) {
        WideToUtf8(text.c_str(), bytes);
    } else {
        NarrowIntoTerminated(text.c_str(), bytes, place->length);
    }
}
