// The network group's six text values as they travel to and from the
// library: the buffer size each has (the library takes no sizes of its own,
// so these sizes are the contract) and which failures stop a sending.
#pragma once

#include <array>
#include <cstddef>

#include "core/WideText.h"

enum class NetworkValue { Ssid, WifiPassword, ServerIp, Apn, Pin, ServerPort };

struct NetworkValueRule {
    NetworkValue value;
    size_t bufferSize;
    // A failed set of a judged value stops the sending with a notice; the
    // others are optional settings whose results are not looked at.
    bool judged;
};

// In the order they are read and sent; the judged ones come first.
inline constexpr NetworkValueRule kNetworkValues[] = {
    {NetworkValue::Ssid, 64, true},  {NetworkValue::WifiPassword, 64, true}, {NetworkValue::ServerIp, 24, true},
    {NetworkValue::Apn, 64, false},  {NetworkValue::Pin, 64, false},         {NetworkValue::ServerPort, 12, false},
};

// One value's narrow buffer, zero-filled, of the library's size for it.
class NetworkBuffer {
public:
    explicit NetworkBuffer(const NetworkValueRule& rule) : m_size(rule.bufferSize) {}

    char* data() { return m_bytes.data(); }
    size_t size() const { return m_size; }

    // Narrows `text` for the library, which reads up to a zero byte: a text
    // of the buffer's size or more is cut one byte short.
    void Narrow(const WideString& text);
    // The text the library left. A library that filled the whole buffer
    // loses its last byte rather than have the text read past the buffer.
    WideString Text();

    static constexpr size_t kLargest = 64;

private:
    std::array<char, kLargest> m_bytes{};
    size_t m_size;
};
