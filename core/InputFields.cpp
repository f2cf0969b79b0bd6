#include "core/InputFields.h"

static_assert(kCameraIdChars == kCameraIdLength - 1 && kUserIdChars == kUserIdLength - 1,
              "an ID fills its field but for the terminator");
static_assert(kNameBytes == 32, "a name is at most 32 bytes of UTF-8");

const InputFieldRule kInputFields[9] = {
    {InputField::AdminPassword, kPasswordChars, AlnumOnly, true, kPasswordChars},
    {InputField::AdminPasswordAgain, kPasswordChars, AlnumOnly, true, kPasswordChars},
    {InputField::UserPassword, kPasswordChars, AlnumOnly, true, kPasswordChars},
    {InputField::UserPasswordAgain, kPasswordChars, AlnumOnly, true, kPasswordChars},
    {InputField::CameraId, kCameraIdChars, AlnumOnly, true, kCameraIdChars},
    {InputField::UserId, kUserIdChars, AlnumOnly, true, kUserIdChars},
    {InputField::DepartmentId, kDepartmentIdChars, AlnumOnly, false, kDepartmentIdChars},
    {InputField::UserName, kNameChars, AnyChar, false, kNameBytes},
    {InputField::DepartmentName, kNameChars, NoLineBreaks, false, kNameBytes},
};

bool AcceptsCharacter(int mode, std::uint32_t character)
{
    if (mode == AlnumOnly) {
        return (character >= '0' && character <= '9') || (character >= 'A' && character <= 'Z')
               || (character >= 'a' && character <= 'z') || character == '\b';
    }
    if (mode == NoLineBreaks) {
        return character != '\r' && character != '\n';
    }
    return true;
}

const InputFieldRule& RuleOf(InputField field)
{
    for (const InputFieldRule& rule : kInputFields) {
        if (rule.field == field) {
            return rule;
        }
    }
    return kInputFields[0];  // unreachable: every field is in the table
}
