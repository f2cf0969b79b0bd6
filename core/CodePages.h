// The platform's decoders and encoder beneath TextConversions: the
// system's narrow (ANSI) code page and UTF-8. Lengths are explicit and no
// terminator is read or produced.
#pragma once

#include <cstddef>
#include <string>

#include "core/WideText.h"

WideString DecodeAnsi(const char* bytes, size_t count);

// Malformed sequences decode as U+FFFD.
WideString DecodeUtf8(const char* bytes, size_t count);

// Unpaired surrogates encode as U+FFFD.
std::string EncodeUtf8(const WideChar* text, size_t count);
