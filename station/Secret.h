// A secret in memory, such as the camera's password: wiped when it goes,
// never copied. Its room is reserved up front, so that filling it leaves no
// copy behind.
#pragma once

#include <cstddef>
#include <string>

#include "platform/Host.h"

// The largest secret read whole, such as a password file.
constexpr std::size_t kSecretFileBytes = 4096;

using platform::WipeText;

class Secret {
public:
    Secret();
    ~Secret();
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;

    std::string& text() { return text_; }
    const std::string& text() const { return text_; }
    void Wipe();

private:
    std::string text_;
};
