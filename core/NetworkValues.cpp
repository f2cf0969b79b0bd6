#include "core/NetworkValues.h"

#include "core/TextConversions.h"

namespace {

constexpr bool EveryBufferFits()
{
    for (const NetworkValueRule& rule : kNetworkValues) {
        if (rule.bufferSize == 0 || rule.bufferSize > NetworkBuffer::kLargest) {
            return false;
        }
    }
    return true;
}
static_assert(EveryBufferFits(), "every value's buffer fits the largest");

}  // namespace

void NetworkBuffer::Narrow(const WideString& text)
{
    NarrowIntoTerminated(text.c_str(), m_bytes.data(), m_size);
}

WideString NetworkBuffer::Text()
{
    m_bytes[m_size - 1] = '\0';
    return AnsiToWide(m_bytes.data());
}
