// Reading a whole audit file: one reader, under a shared lock, for checking
// its chain and for showing or using its lines.
#pragma once

#include <string>

#include "audit/AuditChain.h"
#include "platform/Host.h"

// Reads the whole of an open file, in pieces, under the caller's lock,
// holding no more of it than a piece and a line; each line the chain
// accepts also goes to `reader` when given. False when it cannot be read.
bool CheckChain(platform::SharedFile& file, ChainReport& report, const ChainChecker::LineReader& reader = nullptr);

// Checks the file under a shared lock, so that no line is seen
// half-appended. False when it cannot be read; `problem` says why.
bool CheckAuditFile(platform::Host& host, const platform::StopSignal& stop, const std::string& path, ChainReport& report, std::string& problem,
                    const ChainChecker::LineReader& reader = nullptr);

// Why a lock was not had, such as "it is locked by another program".
std::string LockProblem(platform::LockWait wait);
