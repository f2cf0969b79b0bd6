#include "objectstore/XmlText.h"

#include <cstdint>

namespace objectstore {

namespace {

// Where the start tag `<name` at `at` ends, past its '>'; npos when the
// name is only the start of a longer one (<Key> is not <KeyCount>).
std::size_t StartTagEnd(std::string_view xml, std::size_t at, std::string_view name, bool& empty)
{
    const std::size_t after = at + 1 + name.size();
    if (after >= xml.size()) {
        return std::string_view::npos;
    }
    const char next = xml[after];
    if (next != '>' && next != '/' && next != ' ' && next != '\t' && next != '\r' && next != '\n') {
        return std::string_view::npos;
    }
    const std::size_t close = xml.find('>', after);
    if (close == std::string_view::npos) {
        return close;
    }
    empty = xml[close - 1] == '/';
    return close + 1;
}

void AppendUtf8(std::uint32_t code, std::string& out)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// "#38" or "#x26" into a code point; false for anything else or beyond
// Unicode.
bool CharacterReference(std::string_view entity, std::uint32_t& code)
{
    if (entity.size() < 2 || entity[0] != '#') {
        return false;
    }
    const bool hex = entity[1] == 'x';
    const std::string_view digits = entity.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) {
        return false;
    }
    code = 0;
    for (const char c : digits) {
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        } else {
            return false;
        }
        code = code * (hex ? 16 : 10) + digit;
    }
    return code > 0 && code <= 0x10FFFF;
}

bool NamedEntity(std::string_view entity, std::string& out)
{
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [name, c] : kEntities) {
        if (entity == name) {
            out += c;
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<std::string_view> XmlElements(std::string_view xml, std::string_view name)
{
    std::vector<std::string_view> found;
    const std::string open = "<" + std::string(name);
    const std::string close = "</" + std::string(name) + ">";
    std::size_t at = xml.find(open);
    while (at != std::string_view::npos) {
        bool empty = false;
        const std::size_t contentStart = StartTagEnd(xml, at, name, empty);
        if (contentStart == std::string_view::npos) {
            at = xml.find(open, at + 1);
            continue;
        }
        if (empty) {
            found.emplace_back();
            at = xml.find(open, contentStart);
            continue;
        }
        const std::size_t contentEnd = xml.find(close, contentStart);
        if (contentEnd == std::string_view::npos) {
            break;
        }
        found.push_back(xml.substr(contentStart, contentEnd - contentStart));
        at = xml.find(open, contentEnd + close.size());
    }
    return found;
}

std::string XmlValue(std::string_view xml, std::string_view name)
{
    const std::vector<std::string_view> elements = XmlElements(xml, name);
    return elements.empty() ? "" : XmlDecode(elements.front());
}

std::string XmlDecode(std::string_view text)
{
    std::string decoded;
    decoded.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t amp = text.find('&', at);
        decoded.append(text.substr(at, amp - at));
        if (amp == std::string_view::npos) {
            break;
        }
        const std::size_t semicolon = text.find(';', amp);
        const std::string_view entity =
            semicolon == std::string_view::npos ? std::string_view() : text.substr(amp + 1, semicolon - amp - 1);
        std::uint32_t code = 0;
        if (CharacterReference(entity, code)) {
            AppendUtf8(code, decoded);
        } else if (!NamedEntity(entity, decoded)) {
            // Not an entity this reader knows: kept as written.
            decoded += '&';
            at = amp + 1;
            continue;
        }
        at = semicolon + 1;
    }
    return decoded;
}

}  // namespace objectstore
