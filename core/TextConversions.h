// Conversions between the window's wide texts and the narrow texts the
// camera library takes and returns.
#pragma once

#include <cstddef>

#include "core/WideText.h"

// Wide buffer a UTF-8 name is decoded into: 31 units of text and the
// terminator. Utf8ToWide refuses anything longer.
constexpr size_t kUtf8ToWideLimit = 32;
// Narrow buffer a name is encoded into: 32 bytes of UTF-8 and the
// terminator, the size of a name field of the identity record.
constexpr size_t kWideToUtf8Limit = 33;

// Copies `text` into `buffer` one character per byte: U+0000..U+00FF become
// the byte of the same value. Stops after copying the terminator, after
// `size` bytes (then no terminator is written), or before the first
// character above U+00FF (nothing of it is written). Returns the number of
// bytes written. Bytes after those written are left as they were.
size_t NarrowInto(const WideChar* text, char* buffer, size_t size);

// As NarrowInto, but for buffers handed to the library, which reads up to a
// zero byte: writes at most `size - 1` bytes of text and always a zero byte
// after them. Returns the length of the narrowed text, without the zero.
// Writes nothing when `size` is 0.
size_t NarrowIntoTerminated(const WideChar* text, char* buffer, size_t size);

// Decodes a narrow text in the system's code page. A trailing line feed is
// first removed from the caller's buffer (overwritten with a zero); a
// carriage return before it stays. A null text gives an empty text.
WideString AnsiToWide(char* text);

// Decodes zero-terminated UTF-8 into `destination`, which holds at least
// kUtf8ToWideLimit units. Returns the units written, terminator included,
// or 0 with `destination` untouched when `source` is null or empty or the
// text with its terminator needs more than kUtf8ToWideLimit units.
// Malformed sequences decode as U+FFFD.
size_t Utf8ToWide(const char* source, WideChar* destination);

// Encodes a zero-terminated wide text as UTF-8 into `destination`, which
// holds at least kWideToUtf8Limit bytes. Returns the bytes written,
// terminator included, or 0 with `destination` untouched when `source` is
// null or empty or the text with its terminator needs more than
// kWideToUtf8Limit bytes. An unpaired surrogate encodes as U+FFFD.
size_t WideToUtf8(const WideChar* source, char* destination);
