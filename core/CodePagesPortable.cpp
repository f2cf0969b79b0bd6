// Elsewhere: Latin-1 stands in for the ANSI code page (it leaves ASCII
// unchanged), UTF-8 is coded by hand, and named character sets go through
// iconv.
#include "core/CodePages.h"

#include <iconv.h>

#include <cstdint>
#include <memory>
#include <type_traits>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Length of the sequence a lead byte starts, and the smallest and largest
// second byte allowed after it (which rules out overlong forms, surrogates
// and code points above U+10FFFF); 0 for a byte that cannot lead.
struct Lead {
    size_t length;
    unsigned char secondMin;
    unsigned char secondMax;
};

Lead ClassifyLead(unsigned char byte)
{
    if (byte < 0x80) return {1, 0, 0};
    if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
    if (byte == 0xE0) return {3, 0xA0, 0xBF};
    if (byte == 0xED) return {3, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
    if (byte == 0xF0) return {4, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
    if (byte == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

// Decodes one code point at `bytes[at]` and advances `at`. A malformed
// sequence gives U+FFFD and consumes its longest valid prefix (at least
// one byte), so the next lead byte starts afresh.
char32_t DecodeOne(const unsigned char* bytes, size_t count, size_t& at)
{
    const unsigned char first = bytes[at++];
    const Lead lead = ClassifyLead(first);
    if (lead.length == 1) {
        return first;
    }
    if (lead.length == 0) {
        return kReplacement;
    }
    char32_t code = first & (0xFF >> (lead.length + 1));
    for (size_t i = 1; i < lead.length; ++i) {
        if (at >= count) {
            return kReplacement;
        }
        const unsigned char next = bytes[at];
        const bool allowed = (i == 1) ? (next >= lead.secondMin && next <= lead.secondMax)
                                      : IsContinuation(next);
        if (!allowed) {
            return kReplacement;
        }
        code = (code << 6) | (next & 0x3F);
        ++at;
    }
    return code;
}

void AppendUtf16(WideString& text, char32_t code)
{
    if (code < 0x10000) {
        text.push_back(static_cast<WideChar>(code));
        return;
    }
    code -= 0x10000;
    text.push_back(static_cast<WideChar>(0xD800 + (code >> 10)));
    text.push_back(static_cast<WideChar>(0xDC00 + (code & 0x3FF)));
}

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Reads one code point of UTF-16 at `text[at]` and advances `at`; a
// surrogate without its partner gives U+FFFD.
char32_t ReadUtf16(const WideChar* text, size_t count, size_t& at)
{
    const char32_t unit = text[at++];
    if (IsHighSurrogate(unit) && at < count && IsLowSurrogate(text[at])) {
        const char32_t low = text[at++];
        return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
    if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
        return kReplacement;
    }
    return unit;
}

void AppendUtf8(std::string& bytes, char32_t code)
{
    if (code < 0x80) {
        bytes.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        bytes.push_back(static_cast<char>(0xC0 | (code >> 6)));
        bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        bytes.push_back(static_cast<char>(0xE0 | (code >> 12)));
        bytes.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        bytes.push_back(static_cast<char>(0xF0 | (code >> 18)));
        bytes.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

}  // namespace

WideString DecodeAnsi(const char* bytes, size_t count)
{
    WideString text;
    text.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        text.push_back(static_cast<WideChar>(static_cast<unsigned char>(bytes[i])));
    }
    return text;
}

WideString DecodeUtf8(const char* bytes, size_t count)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes);
    WideString text;
    size_t at = 0;
    while (at < count) {
        AppendUtf16(text, DecodeOne(data, count, at));
    }
    return text;
}

std::string EncodeUtf8(const WideChar* text, size_t count)
{
    std::string bytes;
    size_t at = 0;
    while (at < count) {
        AppendUtf8(bytes, ReadUtf16(text, count, at));
    }
    return bytes;
}

// Named character sets through glibc's iconv, decoded to UTF-16LE.
namespace {

struct ConverterCloser {
    void operator()(iconv_t converter) const { iconv_close(converter); }
};
using OwnedConverter = std::unique_ptr<std::remove_pointer_t<iconv_t>, ConverterCloser>;

// Plain names only: iconv reads suffixes such as "//IGNORE" as options.
bool IsCharsetName(const std::string& name)
{
    return !name.empty() && name.size() <= 64 && name.find_first_not_of(
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.:+()") == std::string::npos;
}

OwnedConverter OpenDecoder(const std::string& name)
{
    if (!IsCharsetName(name)) {
        return nullptr;
    }
    const iconv_t converter = iconv_open("UTF-16LE", name.c_str());
    // iconv_open fails with (iconv_t)-1.
    return OwnedConverter(reinterpret_cast<std::intptr_t>(converter) == -1 ? nullptr : converter);
}

}  // namespace

bool KnowsCharset(const std::string& name)
{
    return OpenDecoder(name) != nullptr;
}

bool DecodeCharset(const std::string& name, const char* bytes, size_t count, WideString& text)
{
    text.clear();
    const OwnedConverter converter = OpenDecoder(name);
    if (!converter) {
        return false;
    }
    std::string input(bytes, count);
    char* in = &input[0];
    size_t inLeft = count;
    // Four bytes of output a byte of input is the most any set needs.
    std::string output(4 * count + 4, '\0');
    char* out = &output[0];
    size_t outLeft = output.size();
    // A sequence not valid in the set (EILSEQ) or cut off at the end
    // (EINVAL) fails, and so does a stateful set left mid-shift.
    if (iconv(converter.get(), &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)
        || iconv(converter.get(), nullptr, nullptr, &out, &outLeft) == static_cast<size_t>(-1)) {
        return false;
    }
    const size_t produced = output.size() - outLeft;
    for (size_t at = 0; at + 1 < produced; at += 2) {
        text.push_back(static_cast<WideChar>(static_cast<unsigned char>(output[at])
                                             | static_cast<unsigned char>(output[at + 1]) << 8));
    }
    return true;
}
