// Wide (UTF-16) text as the windows use it. On Windows this is wchar_t, so
// texts go straight to the Win32 W functions; elsewhere, where wchar_t is
// 32 bits, the portable code uses char16_t to keep the same code units.
#pragma once

#include <string>

#ifdef _WIN32
using WideChar = wchar_t;
#define WIDE(text) L##text
#else
using WideChar = char16_t;
#define WIDE(text) u##text
#endif

using WideString = std::basic_string<WideChar>;

static_assert(sizeof(WideChar) == 2, "wide texts are UTF-16 code units");
