// archive verify PATH...: every bag in each PATH checked in full, one line
// per bag. No camera, no password.
#pragma once

#include <string>
#include <vector>

#include "cli/BagAudit.h"
#include "cli/Output.h"

// Returns an ExitCode: 0 when every bag is valid, 1 when any is not (or a
// PATH holds no bag), 2 when a PATH does not exist (then nothing is checked).
// With `auditTrail`, each bag this tool made must also be tied to its
// offload's line there (BagAudit.h); a trail whose chain is broken is 1 and
// one that cannot be read 2, before any bag is checked.
int RunArchiveVerify(const std::vector<std::string>& paths, const std::string& auditTrail, const Output& output);

// Bags are hashed on all cores.
unsigned HashThreads();

enum class TrailRead { Ok, Unreadable, Broken };
// The offload lines of the audit file at `path`, read whole with its chain
// checked; otherwise `why` says what is wrong ("FILE:LINE: why" for a
// broken chain).
TrailRead ReadOffloadRecords(const std::string& path, OffloadRecords& records, std::string& why);
