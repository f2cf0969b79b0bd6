// The console of cli/Console.h as the tests play it, on the fake host's
// system (FakeHost.h): a console that answers from a list, and Ctrl+C
// requesting the stop CatchInterrupt was given.
#pragma once

#include <string>
#include <vector>

#include "FakeHost.h"

// Runs orvanectl on a FakeHost with these arguments (the program name is
// added); the exit code.
int RunTool(const std::vector<std::string>& arguments);
