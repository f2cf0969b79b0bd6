#include "custody/TagEncoding.h"

#include <algorithm>
#include <cctype>

#include "core/CodePages.h"
#include "core/FieldRules.h"

namespace custody {
namespace {

using Kind = TagEncoding::Kind;

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool SameName(std::string_view name, std::string_view lower)
{
    return name.size() == lower.size() && std::equal(name.begin(), name.end(), lower.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

// windows-1252's characters at 0x80..0x9F; 0 where it defines none.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// One byte of a single-byte encoding as a character; false for a byte the
// encoding does not define.
bool SingleByteCharacter(unsigned char byte, Kind kind, char16_t& character)
{
    character = byte;
    if (byte < 0x80) {
        return true;
    }
    if (kind == Kind::UsAscii) {
        return false;
    }
    if (kind == Kind::Windows1252 && byte < 0xA0) {
        character = kWindows1252High[byte - 0x80];
        return character != 0;
    }
    return true;
}

bool DecodeSingleBytes(std::string_view bytes, Kind kind, WideString& wide)
{
    wide.clear();
    for (char byte : bytes) {
        char16_t character = 0;
        if (!SingleByteCharacter(static_cast<unsigned char>(byte), kind, character)) {
            return false;
        }
        wide += static_cast<WideChar>(character);
    }
    return true;
}

// The encodings whose every line can be decoded on its own: 0x0A and 0x0D
// are their line ends and never part of another character.
bool DecodeAsciiCompatible(std::string_view bytes, const TagEncoding& encoding, std::string& text)
{
    WideString wide;
    switch (encoding.kind) {
    case Kind::Utf8:
        text = std::string(bytes);
        return DecodeStrictUtf8(text, wide);
    case Kind::System:
        if (!DecodeCharset(encoding.name, bytes.data(), bytes.size(), wide)) {
            return false;
        }
        break;
    default:
        if (!DecodeSingleBytes(bytes, encoding.kind, wide)) {
            return false;
        }
    }
    text = EncodeUtf8(wide.data(), wide.size());
    return true;
}

// A set the system decodes keeps ASCII and its line ends as they are.
bool SystemSetIsAsciiCompatible(const std::string& name)
{
    WideString wide;
    return DecodeCharset(name, "0a: \r\n", 6, wide) && wide == WIDE("0a: \r\n");
}

std::size_t LinesBefore(std::string_view text)
{
    std::size_t lines = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        lines += text[at] == '\n' || (text[at] == '\r' && (at + 1 == text.size() || text[at + 1] != '\n'));
    }
    return lines;
}

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Byte order of a UTF-16 text without a byte-order mark: tag files start
// with ASCII (a label or a hex digit), whose high byte is zero. Big-endian
// otherwise, as the standard for UTF-16 has it.
bool LooksLittleEndian(std::string_view bytes)
{
    return bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0';
}

// UTF-16 in either order: false, with the units decoded before the fault
// in `wide`, on an odd byte or a surrogate without its partner.
bool DecodeUtf16(std::string_view bytes, Kind kind, WideString& wide)
{
    bool little = kind == Kind::Utf16Le;
    const std::string_view marks = bytes.substr(0, 2);
    if (kind == Kind::Utf16) {
        little = marks == "\xFF\xFE" || (marks != "\xFE\xFF" && LooksLittleEndian(bytes));
    }
    if (marks == (little ? "\xFF\xFE" : "\xFE\xFF")) {
        bytes.remove_prefix(2);
    }
    wide.clear();
    for (std::size_t at = 0; at < bytes.size(); at += 2) {
        if (at + 1 == bytes.size()) {
            return false;
        }
        const auto first = static_cast<unsigned char>(bytes[at]);
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        const char32_t unit = little ? (first | second << 8) : (first << 8 | second);
        const bool paired = !wide.empty() && IsHighSurrogate(wide.back());
        if (paired != IsLowSurrogate(unit)) {
            return false;
        }
        wide += static_cast<WideChar>(unit);
    }
    return wide.empty() || !IsHighSurrogate(wide.back());
}

std::string LineError(std::size_t number, const TagEncoding& encoding)
{
    return "line " + std::to_string(number) + ": not " + encoding.name;
}

// The first line that does not decode on its own; 0 when each one does.
std::size_t FirstBadLine(std::string_view bytes, const TagEncoding& encoding)
{
    std::size_t start = 0;
    for (std::size_t number = 1; start < bytes.size(); ++number) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        end = end == std::string_view::npos ? bytes.size() : end + 1;
        std::string ignored;
        if (!DecodeAsciiCompatible(bytes.substr(start, end - start), encoding, ignored)) {
            return number;
        }
        start = end + (bytes[end - 1] == '\r' && end < bytes.size() && bytes[end] == '\n');
    }
    return 0;
}

}  // namespace

bool ParseTagEncoding(std::string_view name, TagEncoding& encoding)
{
    static const struct {
        const char* name;
        Kind kind;
    } kAliases[] = {
        {"utf-8", Kind::Utf8},           {"utf8", Kind::Utf8},
        {"us-ascii", Kind::UsAscii},     {"ascii", Kind::UsAscii},
        {"iso-8859-1", Kind::Latin1},    {"iso_8859-1", Kind::Latin1},
        {"iso-8859-1:1987", Kind::Latin1}, {"latin1", Kind::Latin1},
        {"l1", Kind::Latin1},            {"windows-1252", Kind::Windows1252},
        {"cp1252", Kind::Windows1252},   {"utf-16", Kind::Utf16},
        {"utf16", Kind::Utf16},          {"utf-16le", Kind::Utf16Le},
        {"utf-16be", Kind::Utf16Be},
    };
    encoding.name = std::string(name);
    for (const auto& alias : kAliases) {
        if (SameName(name, alias.name)) {
            encoding.kind = alias.kind;
            return true;
        }
    }
    encoding.kind = Kind::System;
    return KnowsCharset(encoding.name);
}

bool DecodeTagText(std::string_view bytes, const TagEncoding& encoding, std::string& text, std::string& why)
{
    text.clear();
    if (encoding.kind == Kind::Utf16 || encoding.kind == Kind::Utf16Le || encoding.kind == Kind::Utf16Be) {
        WideString wide;
        const bool decoded = DecodeUtf16(bytes, encoding.kind, wide);
        text = EncodeUtf8(wide.data(), wide.size());
        if (!decoded) {
            why = LineError(LinesBefore(text) + 1, encoding);
        }
        return decoded;
    }
    if (encoding.kind == Kind::Utf8 && bytes.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
        bytes.remove_prefix(kUtf8ByteOrderMark.size());
    }
    if (DecodeAsciiCompatible(bytes, encoding, text)) {
        return true;
    }
    // Where the set is one whose lines decode alone, say which line.
    const bool byLine = encoding.kind != Kind::System || SystemSetIsAsciiCompatible(encoding.name);
    const std::size_t line = byLine ? FirstBadLine(bytes, encoding) : 0;
    why = line != 0 ? LineError(line, encoding) : "not " + encoding.name;
    return false;
}

}  // namespace custody
