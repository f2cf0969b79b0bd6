// orvanectl audit verify [FILE]: checks that an audit file's chain of lines
// is whole. Touches no camera and needs no password.
#pragma once

#include <string>

#include "cli/AuditChain.h"
#include "cli/Output.h"

// Reads the whole file, in pieces, under a shared lock, so that no line is
// seen half-appended. False when it cannot be read.
bool CheckAuditFile(const std::string& path, ChainReport& report);

// `path` empty: the default audit file. Exit 0 for a whole chain, 1 for a
// broken one (FILE:LINE: why on standard error), 2 when it cannot be read.
int RunAuditVerify(const Output& output, const std::string& path);
