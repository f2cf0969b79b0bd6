#include "core/InputFields.h"

static_assert(kCameraIdChars == kCameraIdLength - 1 && kUserIdChars == kUserIdLength - 1,
              "an ID fills its field but for the terminator");
static_assert(kNameBytes == 32, "a name is at most 32 bytes of UTF-8");

const InputFieldRule kInputFields[9] = {
    {InputField::AdminPassword, kPasswordChars, AlnumOnly},
    {InputField::AdminPasswordAgain, kPasswordChars, AlnumOnly},
    {InputField::UserPassword, kPasswordChars, AlnumOnly},
    {InputField::UserPasswordAgain, kPasswordChars, AlnumOnly},
    {InputField::CameraId, kCameraIdChars, AlnumOnly},
    {InputField::UserId, kUserIdChars, AlnumOnly},
    {InputField::DepartmentId, kDepartmentIdChars, AlnumOnly},
    {InputField::UserName, kNameChars, AnyChar},
    {InputField::DepartmentName, kNameChars, NoLineBreaks},
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
