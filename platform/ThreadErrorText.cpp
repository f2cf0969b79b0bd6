#include "platform/ThreadErrorText.h"

#include <algorithm>

namespace platform {
namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

bool InsideCharacter(std::string_view text, std::size_t at)
{
    return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
}

}  // namespace

void ThreadErrorText::Set(std::string_view text)
{
    if (text.size() <= kCapacity) {
        size_ = static_cast<std::size_t>(std::copy(text.begin(), text.end(), text_) - text_);
        return;
    }
    const std::size_t half = (kCapacity - kEllipsis.size()) / 2;
    std::size_t headEnd = half;
    while (headEnd > 0 && InsideCharacter(text, headEnd)) {
        --headEnd;
    }
    std::size_t tailStart = text.size() - half;
    while (InsideCharacter(text, tailStart)) {
        ++tailStart;
    }
    char* end = std::copy(text.begin(), text.begin() + headEnd, text_);
    end = std::copy(kEllipsis.begin(), kEllipsis.end(), end);
    end = std::copy(text.begin() + tailStart, text.end(), end);
    size_ = static_cast<std::size_t>(end - text_);
}

}  // namespace platform
