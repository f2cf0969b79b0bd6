// orvanectl audit verify [FILE]: checks that an audit file's chain of lines
// is whole. Touches no camera and needs no password.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "cli/AuditChain.h"
#include "cli/BagAudit.h"
#include "cli/Output.h"
#include "cli/Platform.h"

// Reads the whole of an open file, in pieces, under the caller's lock,
// holding no more of it than a piece and a line; each line the chain
// accepts also goes to `reader` when given. False when it cannot be read.
bool CheckChain(platform::SharedFile& file, ChainReport& report, const ChainChecker::LineReader& reader = nullptr);

// Checks the file under a shared lock, so that no line is seen
// half-appended. False when it cannot be read; `problem` says why.
bool CheckAuditFile(const std::string& path, ChainReport& report, std::string& problem,
                    const ChainChecker::LineReader& reader = nullptr);

// `path` empty: the default audit file. Exit 0 for a whole chain, 1 for a
// broken one or one whose lines are none of them chained (FILE:LINE: why on
// standard error), 2 when it cannot be read.
int RunAuditVerify(const Output& output, const std::string& path);

enum class TrailRead { Ok, Unreadable, Broken };
// The offload lines of the audit file at `path`, read whole with its chain
// checked; otherwise `why` says what is wrong ("FILE:LINE: why" for a
// broken chain).
TrailRead ReadOffloadRecords(const std::string& path, OffloadRecords& records, std::string& why);
