#include "core/TextConversions.h"

size_t NarrowInto(const WideChar* text, char* buffer, size_t size)
{
    if (text == nullptr) {
        return 0;
    }
    size_t written = 0;
    while (written < size) {
        const WideChar c = text[written];
        if (static_cast<unsigned>(c) > 0xFF) {
            break;
        }
        buffer[written++] = static_cast<char>(c);
        if (c == 0) {
            break;
        }
    }
    return written;
}

size_t NarrowIntoTerminated(const WideChar* text, char* buffer, size_t size)
{
    if (size == 0) {
        return 0;
    }
    size_t written = NarrowInto(text, buffer, size - 1);
    if (written > 0 && buffer[written - 1] == '\0') {
        --written;
    }
    buffer[written] = '\0';
    return written;
}
