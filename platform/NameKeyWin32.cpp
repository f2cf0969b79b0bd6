// Windows: the system's normalization and its invariant upper case, the
// same simple mapping the file systems compare names with.
#include "platform/NameKey.h"

#include <windows.h>

#include "core/CodePages.h"

namespace custody {
namespace {

std::wstring Normalized(const std::wstring& text)
{
    int size = NormalizeString(NormalizationC, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    // The size is an estimate; a short buffer says how much more it needs.
    for (int attempt = 0; attempt < 4 && size > 0; ++attempt) {
        std::wstring normal(static_cast<std::size_t>(size), L'\0');
        const int length = NormalizeString(NormalizationC, text.c_str(), static_cast<int>(text.size()), &normal[0],
                                           size);
        if (length > 0) {
            normal.resize(static_cast<std::size_t>(length));
            return normal;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            break;
        }
        size = -length;
    }
    return text;
}

std::wstring Upper(const std::wstring& text)
{
    const int size = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.c_str(), static_cast<int>(text.size()),
                                   nullptr, 0, nullptr, nullptr, 0);
    if (size <= 0) {
        return text;
    }
    std::wstring upper(static_cast<std::size_t>(size), L'\0');
    LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.c_str(), static_cast<int>(text.size()), &upper[0],
                  size, nullptr, nullptr, 0);
    return upper;
}

}  // namespace

std::string NameKey(std::string_view name)
{
    if (name.empty()) {
        return {};
    }
    const WideString wide = DecodeUtf8(name.data(), name.size());
    const std::wstring key = Upper(Normalized(std::wstring(wide.begin(), wide.end())));
    return EncodeUtf8(key.data(), key.size());
}

}  // namespace custody
