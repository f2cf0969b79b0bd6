// orvanectl as a function of its arguments (UTF-8), for the program's entry
// and for the tests. Returns the exit code.
#pragma once

#include "platform/Host.h"

int Orvanectl(int argc, const char* const* argv, platform::Host& host);
