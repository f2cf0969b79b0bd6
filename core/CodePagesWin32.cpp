// Windows: the system code pages through the Win32 conversion calls.
#include "core/CodePages.h"

#include <windows.h>

#include <climits>

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
