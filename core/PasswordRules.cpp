#include "core/PasswordRules.h"

#include "core/TextConversions.h"

namespace {

// Room for a password longer than the camera's, so that an over-long one is
// seen as such instead of being cut to the right length.
constexpr size_t kNarrowRoom = 10;

std::string Narrowed(const WideString& text, size_t room)
{
    std::string bytes(room + 1, '\0');
    bytes.resize(NarrowIntoTerminated(text.c_str(), &bytes[0], bytes.size()));
    return bytes;
}

}  // namespace

std::string SignInPassword(const WideString& password)
{
    return Narrowed(password, kPasswordChars);
}

NewPassword CheckNewPassword(const WideString& password, const WideString& again)
{
    const std::string first = Narrowed(password, kNarrowRoom);
    const std::string second = Narrowed(again, kNarrowRoom);
    if (first.size() != kPasswordChars || second.size() != kPasswordChars) {
        return {PasswordCheck::WrongLength, {}};
    }
    if (first != second) {
        return {PasswordCheck::Different, {}};
    }
    return {PasswordCheck::Ok, first};
}
