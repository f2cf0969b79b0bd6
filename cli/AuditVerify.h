// orvanectl audit verify [FILE]: checks that an audit file's chain of lines
// is whole, and with --anchors that every line anchored in an archive on
// object storage stands unchanged in it. Touches no camera and needs no
// password.
#pragma once

#include <string>

#include "cli/Output.h"
#include "station/Archive.h"

// `path` empty: the default audit file. Exit 0 for a whole chain, 1 for a
// broken one or one whose lines are none of them chained (FILE:LINE: why on
// standard error), 2 when it cannot be read. With `anchors` (may be null),
// also 1 when a line anchored there by the file's computer is changed or
// gone (FILE:SEQ: why), or the anchors cannot be read.
int RunAuditVerify(platform::Host& host, const platform::StopSignal& stop, const Output& output,
                   const std::string& path, const station::Archive* anchors = nullptr);
