#include "core/TextConversions.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/CodePages.h"

WideString AnsiToWide(char* text)
{
    if (text == nullptr) {
        return WideString();
    }
    size_t length = std::strlen(text);
    if (length > 0 && text[length - 1] == '\n') {
        text[--length] = '\0';
    }
    return DecodeAnsi(text, length);
}

size_t Utf8ToWide(const char* source, WideChar* destination)
{
    if (source == nullptr || *source == '\0') {
        return 0;
    }
    const WideString text = DecodeUtf8(source, std::strlen(source));
    const size_t units = text.size() + 1;
    if (units > kUtf8ToWideLimit) {
        return 0;
    }
    std::copy(text.c_str(), text.c_str() + units, destination);
    return units;
}

size_t WideToUtf8(const WideChar* source, char* destination)
{
    if (source == nullptr || *source == 0) {
        return 0;
    }
    const std::string bytes = EncodeUtf8(source, std::char_traits<WideChar>::length(source));
    const size_t count = bytes.size() + 1;
    if (count > kWideToUtf8Limit) {
        return 0;
    }
    std::copy(bytes.c_str(), bytes.c_str() + count, destination);
    return count;
}
