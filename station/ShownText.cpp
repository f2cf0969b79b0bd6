#include "station/ShownText.h"

#include "core/CodePages.h"
#include "core/FieldRules.h"

namespace {

bool IsLowSurrogate(WideChar unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

std::string Escaped(WideChar unit)
{
    if (unit == '\n') {
        return "\\n";
    }
    if (unit == '\r') {
        return "\\r";
    }
    static const char kHex[] = "0123456789abcdef";
    return std::string("\\x") + kHex[(unit >> 4) & 0xF] + kHex[unit & 0xF];
}

std::string ShownWide(const WideString& wide)
{
    std::string shown;
    size_t plain = 0;  // start of the run of units shown as they are
    for (size_t i = 0; i < wide.size(); ++i) {
        if (!IsControlCharacter(wide[i])) {
            continue;
        }
        shown += EncodeUtf8(wide.data() + plain, i - plain) + Escaped(wide[i]);
        plain = i + 1;
    }
    return shown + EncodeUtf8(wide.data() + plain, wide.size() - plain);
}

}  // namespace

std::string Shown(std::string_view text)
{
    return ShownWide(DecodeUtf8(text.data(), text.size()));
}

std::string Quoted(std::string_view value)
{
    // No character takes more than 4 bytes: the head holds more than enough.
    const std::string_view head = value.substr(0, 4 * (kQuotedChars + 1));
    WideString wide = DecodeUtf8(head.data(), head.size());
    size_t characters = 0;
    for (size_t i = 0; i < wide.size(); ++i) {
        if (IsLowSurrogate(wide[i])) {
            continue;  // the second half of a character counted already
        }
        if (++characters > kQuotedChars) {
            wide.resize(i);
            return "\"" + ShownWide(wide) + "\"...";
        }
    }
    return "\"" + ShownWide(wide) + "\"";
}
