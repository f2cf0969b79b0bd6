// archive verify PATH...: every bag in each PATH checked in full, one line
// per bag, and one line for each thing the search could not check: an
// offload left unfinished, a folder that could not be listed. No camera,
// no password.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/Output.h"
#include "custody/Bag.h"
#include "platform/FileSystem.h"
#include "station/Archive.h"
#include "station/Archive.h"

// A further check of each bag after its own: may make the verdict invalid
// or add warnings.
using BagVerdictCheck = std::function<void(const std::string& bag, custody::BagVerdict& verdict)>;

// Returns an ExitCode: 0 when every bag is valid and nothing went
// unchecked; 1 when a bag is not valid, a PATH holds no bag, an offload is
// unfinished (its recordings are not all in a bag), a folder could not be
// listed, or Ctrl+C stopped the check (its bag's line says "not checked in
// full", and no bag after it is checked); 2 when a PATH does not exist
// (then nothing is checked).
int RunArchiveVerify(custody::FileSystem& fs, const std::vector<std::string>& paths, const Output& output,
                     const platform::StopSignal& stop, const BagVerdictCheck& check = nullptr);
// The same for archives opened and found readable (Archive::Problem). With
// `auditTrail`, each bag this tool made must also be tied to its offload's
// line there (BagAudit.h); a trail whose chain is broken is 1 and one that
// cannot be read 2, before any bag is checked.
// Ctrl+C requests `stop`.
int RunArchiveVerify(platform::Host& host, platform::StopSignal& stop,
                     const std::vector<std::shared_ptr<station::Archive>>& archives, const std::string& auditTrail,
                     const Output& output);
