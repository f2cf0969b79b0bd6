// orvanectl audit verify [FILE]: checks that an audit file's chain of lines
// is whole. Touches no camera and needs no password.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "cli/AuditChain.h"
#include "cli/Output.h"

// Reads the whole file, in pieces, under a shared lock, so that no line is
// seen half-appended; each piece also goes to `alongside` when given.
// False when it cannot be read.
bool CheckAuditFile(const std::string& path, ChainReport& report,
                    const std::function<void(std::string_view)>& alongside = nullptr);

// `path` empty: the default audit file. Exit 0 for a whole chain, 1 for a
// broken one (FILE:LINE: why on standard error), 2 when it cannot be read.
int RunAuditVerify(const Output& output, const std::string& path);
