#include "station/FieldMessages.h"

#include "station/IdentityFields.h"
#include "station/ShownText.h"

std::string RuleText(InputField field)
{
    const InputFieldRule& rule = RuleOf(field);
    const std::string chars = std::to_string(rule.maxChars);
    if (rule.mode == AlnumOnly) {
        return (rule.exactChars ? "exactly " : "at most ") + chars + " letters or digits";
    }
    return "at most " + chars + " characters and " + std::to_string(rule.maxBytes) + " bytes of UTF-8"
           + (rule.mode == NoLineBreaks ? ", without line breaks" : "");
}

std::string FieldMessage(InputField field, const std::string& value, FieldProblem problem)
{
    const IdentityField* identity = IdentityFieldOf(field);
    const std::string key = identity ? identity->key : "password";
    if (problem == FieldProblem::InvalidUtf8) {
        return key + " is not valid UTF-8";
    }
    const std::string shown = identity ? " " + Quoted(value) : "";
    if (problem == FieldProblem::ControlCharacter) {
        return key + shown + " must not hold control characters";
    }
    return key + shown + " must be " + RuleText(field);
}

std::string SerialRuleText()
{
    return "1 to " + std::to_string(kSerialChars) + " printable ASCII characters";
}

std::string SerialMessage()
{
    return "a serial number must be " + SerialRuleText();
}
