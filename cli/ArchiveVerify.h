// archive verify PATH...: every bag in each PATH checked in full, one line
// per bag. No camera, no password.
#pragma once

#include <string>
#include <vector>

#include "cli/Output.h"

// Returns an ExitCode: 0 when every bag is valid, 1 when any is not (or a
// PATH holds no bag), 2 when a PATH does not exist (then nothing is checked).
int RunArchiveVerify(const std::vector<std::string>& paths, const Output& output);

// Bags are hashed on all cores.
unsigned HashThreads();
