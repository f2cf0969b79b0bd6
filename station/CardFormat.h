// Formatting a camera's card only once a bag of the archive holds exactly
// its files (FormatCheck.h), with the format's audit lines around the check
// and the command.
#pragma once

#include <string>

#include "station/Archive.h"
#include "station/CameraOffload.h"
#include "station/RunContext.h"

namespace station {

enum class FormatEnd {
    Formatted,
    Refused,        // by the check
    NotSent,        // checked, but the command was not sent (a stop, the camera not reached)
    CameraRefused,
    CameraSilent,
};

struct FormatOutcome {
    FormatEnd end = FormatEnd::Refused;
    std::string bag;  // the bag that holds the card's files, once checked
    std::string why;  // Refused, NotSent: why
    bool recorded = true;     // the outcome line was written
    std::string auditError;   // not recorded: why
};

// After the format's started line: the card is listed and checked against
// the archive right before the format command, which is sent only when the
// check passed and no stop came; then the outcome line.
FormatOutcome FormatCheckedCard(const RunContext& run, const std::string& serial, const Archive& archive,
                                const std::string& card);
// The same against the folder `archive` of the host.
FormatOutcome FormatCheckedCard(const RunContext& run, const std::string& serial, const std::string& archive,
                                const std::string& card);

// The format's started line; false, with `error`, when it cannot be written.
bool BeginFormat(const RunContext& run, const std::string& serial, const Archive& archive, std::string& error);

// The steps of FormatCheckedCard, for a runner that gives them to different
// threads. The check: Refused with why, NotSent when a stop came, or
// Formatted with the bag: the command may be sent.
FormatOutcome CheckCardBeforeFormat(const RunContext& run, const std::string& serial, const Archive& archive,
                                    const std::string& card);
// The format command to the linked camera: Formatted, CameraRefused, or
// CameraSilent when it does not answer afterwards.
FormatEnd SendFormat();
// The format's outcome line for `outcome`; sets recorded and auditError.
void RecordFormatOutcome(const RunContext& run, const std::string& serial, const Archive& archive,
                         FormatOutcome& outcome);
// Why the card was not formatted, for the operator; empty when it was.
std::string NotFormattedWhy(const FormatOutcome& outcome);

// After an offload whose outcome line is written: the format's started
// line, the check and the format; what came of it goes into `offload`
// (format, formatWhy; outcome Failed or AuditFailed when not formatted).
void FormatAfterOffload(const RunContext& run, const Archive& archive, const std::string& card,
                        CameraOffload& offload);
void FormatAfterOffload(const RunContext& run, const std::string& archive, const std::string& card,
                        CameraOffload& offload);

}  // namespace station
