// orvanectl audit verify [FILE]: checks that an audit file's chain of lines
// is whole. Touches no camera and needs no password.
#pragma once

#include <string>

#include "cli/Output.h"

// `path` empty: the default audit file. Exit 0 for a whole chain, 1 for a
// broken one or one whose lines are none of them chained (FILE:LINE: why on
// standard error), 2 when it cannot be read.
int RunAuditVerify(platform::Host& host, const platform::StopSignal& stop, const Output& output,
                   const std::string& path);
