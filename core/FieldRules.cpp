#include "core/FieldRules.h"

#include "core/CodePages.h"

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

bool IsControlCharacter(std::uint32_t character)
{
    return character < 0x20 || (character >= 0x7F && character <= 0x9F);
}

FieldProblem CheckField(InputField field, const std::string& text)
{
    WideString wide;
    if (!DecodeStrictUtf8(text, wide)) {
        return FieldProblem::InvalidUtf8;
    }
    const InputFieldRule& rule = RuleOf(field);
    for (WideChar unit : wide) {
        // Backspace passes the window's filter only as an editing key.
        const bool editingKey = unit == '\b' && rule.mode == AlnumOnly;
        if (unit == 0 || editingKey || !AcceptsCharacter(rule.mode, unit)) {
            return FieldProblem::BadCharacter;
        }
    }
    for (WideChar unit : wide) {
        if (IsControlCharacter(unit)) {
            return FieldProblem::ControlCharacter;
        }
    }
    if (wide.size() > rule.maxChars || (rule.exactChars && wide.size() != rule.maxChars)) {
        return FieldProblem::WrongLength;
    }
    return text.size() > rule.maxBytes ? FieldProblem::WrongLength : FieldProblem::None;
}

bool IsValidSerial(const std::string& serial)
{
    if (serial.empty() || serial.size() > kSerialChars) {
        return false;
    }
    for (const char c : serial) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < kSerialFirst || byte > kSerialLast) {
            return false;
        }
    }
    return true;
}
