// Windows: the system code pages through the Win32 conversion calls.
#include "core/CodePages.h"

#include <windows.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

WideString Decode(UINT codePage, const char* bytes, size_t count)
{
    if (count == 0 || count > INT_MAX) {
        return WideString();
    }
    const int length = static_cast<int>(count);
    const int units = MultiByteToWideChar(codePage, 0, bytes, length, nullptr, 0);
    if (units <= 0) {
        return WideString();
    }
    WideString text(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(codePage, 0, bytes, length, &text[0], units);
    return text;
}

}  // namespace

WideString DecodeAnsi(const char* bytes, size_t count)
{
    return Decode(CP_ACP, bytes, count);
}

WideString DecodeUtf8(const char* bytes, size_t count)
{
    return Decode(CP_UTF8, bytes, count);
}

std::string EncodeUtf8(const WideChar* text, size_t count)
{
    if (count == 0 || count > INT_MAX) {
        return std::string();
    }
    const int length = static_cast<int>(count);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return std::string();
    }
    std::string encoded(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, &encoded[0], bytes, nullptr, nullptr);
    return encoded;
}

// Named character sets: the name looked up as a code page, decoded by the
// system.
namespace {

// Lower case, without '-', '_' and spaces: "Shift_JIS" and "shift-jis"
// are one name.
std::string CharsetKey(const std::string& name)
{
    std::string key;
    for (char c : name) {
        if (c == '-' || c == '_' || c == ' ') {
            continue;
        }
        key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return key;
}

// The digits after `prefix` in `key` as a number; 0 when they are not.
UINT NumberAfter(const std::string& key, const char* prefix)
{
    const size_t length = std::strlen(prefix);
    if (key.compare(0, length, prefix) != 0 || key.size() == length || key.size() > length + 5
        || key.find_first_not_of("0123456789", length) != std::string::npos) {
        return 0;
    }
    return static_cast<UINT>(std::stoul(key.substr(length)));
}

UINT Iso8859CodePage(UINT part)
{
    if (part >= 1 && part <= 9) return 28590 + part;
    if (part == 13) return 28603;
    if (part == 15) return 28605;
    return 0;
}

// The IANA names Windows has code pages for; other code pages by number.
UINT CodePageOf(const std::string& name)
{
    static const struct {
        const char* key;
        UINT codePage;
    } kNames[] = {
        {"usascii", 20127},  {"ascii", 20127},      {"latin1", 28591},      {"koi8r", 20866},
        {"koi8u", 21866},    {"shiftjis", 932},     {"sjis", 932},          {"mskanji", 932},
        {"windows31j", 932}, {"eucjp", 20932},      {"gb2312", 936},        {"gbk", 936},
        {"euccn", 936},      {"gb18030", 54936},    {"big5", 950},          {"euckr", 949},
        {"ksc56011987", 949}, {"iso2022jp", 50220}, {"iso2022kr", 50225},   {"macintosh", 10000},
        {"macroman", 10000}, {"xmaccyrillic", 10007}, {"tis620", 874},      {"utf7", 65000},
        {"utf8", 65001},
    };
    const std::string key = CharsetKey(name);
    for (const auto& known : kNames) {
        if (key == known.key) {
            return known.codePage;
        }
    }
    if (const UINT part = NumberAfter(key, "iso8859")) {
        return Iso8859CodePage(part);
    }
    for (const char* prefix : {"windows", "cp", "ibm", "xcp"}) {
        if (const UINT number = NumberAfter(key, prefix)) {
            return number;
        }
    }
    return 0;
}

// The UTF-16 and UTF-32 code pages are for managed code only.
bool Decodable(UINT codePage)
{
    return codePage != 0 && codePage != 1200 && codePage != 1201 && IsValidCodePage(codePage);
}

}  // namespace

bool KnowsCharset(const std::string& name)
{
    return Decodable(CodePageOf(name));
}

bool DecodeCharset(const std::string& name, const char* bytes, size_t count, WideString& text)
{
    text.clear();
    const UINT codePage = CodePageOf(name);
    if (!Decodable(codePage) || count > INT_MAX) {
        return false;
    }
    if (count == 0) {
        return true;
    }
    const int length = static_cast<int>(count);
    // Some code pages (the ISO-2022 ones, UTF-7) take no flags.
    DWORD flags = MB_ERR_INVALID_CHARS;
    int units = MultiByteToWideChar(codePage, flags, bytes, length, nullptr, 0);
    if (units <= 0 && GetLastError() == ERROR_INVALID_FLAGS) {
        flags = 0;
        units = MultiByteToWideChar(codePage, flags, bytes, length, nullptr, 0);
    }
    if (units <= 0) {
        return false;
    }
    text.assign(static_cast<size_t>(units), L'\0');
    return MultiByteToWideChar(codePage, flags, bytes, length, &text[0], units) == units;
}
