// The platform's decoders and encoder beneath TextConversions: the
// system's narrow (ANSI) code page, UTF-8, and the character sets the
// system's converters know by name. Lengths are explicit and no terminator
// is read or produced.
#pragma once

#include <cstddef>
#include <string>

#include "core/WideText.h"

WideString DecodeAnsi(const char* bytes, size_t count);

// Malformed sequences decode as U+FFFD.
WideString DecodeUtf8(const char* bytes, size_t count);

// Unpaired surrogates encode as U+FFFD.
std::string EncodeUtf8(const WideChar* text, size_t count);

// A character set named as files declare theirs: an IANA name or alias
// ("Shift_JIS", "KOI8-R", "ISO-8859-5") or a Windows code page
// ("windows-1251", "cp437"). True when the system can decode it.
bool KnowsCharset(const std::string& name);

// `bytes` in that character set; false when the system cannot decode it
// or a byte sequence is not valid in it.
bool DecodeCharset(const std::string& name, const char* bytes, size_t count, WideString& text);
