#include "station/Secret.h"

namespace {

// Room for the largest file's text and its decoded forms without regrowing.
constexpr std::size_t kSecretRoom = 2 * kSecretFileBytes + 16;

}  // namespace

Secret::Secret()
{
    text_.reserve(kSecretRoom);
}

Secret::~Secret()
{
    Wipe();
}

void Secret::Wipe()
{
    WipeText(text_);
}
