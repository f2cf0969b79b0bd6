#include "cli/FieldMessages.h"

namespace {

struct FieldText {
    InputField field;
    const char* key;
    const char* rule;
};

const FieldText kFieldTexts[] = {
    {InputField::CameraId, "camera_id", "must be exactly 7 letters or digits"},
    {InputField::UserId, "user_id", "must be exactly 6 letters or digits"},
    {InputField::DepartmentId, "department_id", "must be at most 12 letters or digits"},
    {InputField::UserName, "user_name", "must be at most 16 characters and 32 bytes of UTF-8"},
    {InputField::DepartmentName, "department_name",
     "must be at most 16 characters and 32 bytes of UTF-8, without line breaks"},
    {InputField::AdminPassword, "password", "must be exactly 6 letters or digits"},
};

const FieldText& TextOf(InputField field)
{
    for (const FieldText& text : kFieldTexts) {
        if (text.field == field) {
            return text;
        }
    }
    return kFieldTexts[5];  // the password fields
}

// The value as the message shows it: control characters escaped, so that
// a line break in a value does not break the message's line.
std::string Shown(const std::string& value)
{
    static const char kHex[] = "0123456789abcdef";
    std::string shown;
    for (const char c : value) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            shown += "\\n";
        } else if (c == '\r') {
            shown += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            shown += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0xF];
        } else {
            shown += c;
        }
    }
    return shown;
}

}  // namespace

std::string FieldMessage(InputField field, const std::string& value, FieldProblem problem)
{
    const FieldText& text = TextOf(field);
    if (problem == FieldProblem::InvalidUtf8) {
        return std::string(text.key) + " is not valid UTF-8";
    }
    const bool secret = text.field == InputField::AdminPassword;
    return std::string(text.key) + (secret ? "" : " \"" + Shown(value) + "\"") + " " + text.rule;
}

std::string SerialMessage()
{
    return "a serial number must be 1 to 20 printable ASCII characters";
}
