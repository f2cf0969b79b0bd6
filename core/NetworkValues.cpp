#include "core/NetworkValues.h"

#include "core/TextConversions.h"

namespace {

constexpr bool EveryBufferFits()
{
    for (const NetworkValueSpec& spec : kNetworkValues) {
        if (spec.bufferSize == 0 || spec.bufferSize > NetworkBuffer::kLargest) {
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
