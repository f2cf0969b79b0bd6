// The console of orvanectl: its output, its errors, a password typed
// without echo, Ctrl+C, the environment. One implementation for Windows
// (ConsoleWin32.cpp), one elsewhere (ConsolePosix.cpp), and one the tests
// link instead (tests/cli/FakePlatform.cpp).
#pragma once

#include <string>

#include "platform/Host.h"
#include "platform/StopSignal.h"

namespace platform {

// The camera library writes its trace lines to the process's standard
// output. From this call on, standard output goes to standard error
// (`traceToError`) or nowhere, and WriteOutput alone reaches the original.
void DivertStandardOutput(bool traceToError);

void WriteOutput(const std::string& text);
void WriteError(const std::string& text);

enum class SecretRead {
    Ok,
    NoConsole,    // nobody to ask
    Failed,       // the console could not be read
    Interrupted,  // Ctrl+C while asking; echo is back on
};
// Reads one line typed on the console without showing it, after writing
// `prompt` to standard error. `secret` gets the line without its ending.
SecretRead ReadSecret(const std::string& prompt, std::string& secret);

// From this call on, Ctrl+C and Ctrl+Break, closing the console window,
// logoff and shutdown (elsewhere SIGINT and SIGTERM) request `stop` instead
// of ending the process, so that the step in hand finishes and is recorded.
// Windows ends the process once the handler of a close, logoff or shutdown
// returns, and at the latest about 5 s after: that handler waits, up to
// 4.5 s, for ReadyToEnd.
void CatchInterrupt(StopSignal& stop);
// Everything the tool had to write is written: the process may end, and
// `stop` may go.
void ReadyToEnd();

// The variable's value, which is then removed from the environment and
// wiped there (it may hold a secret). False when it is unset or empty.
bool TakeEnvironment(const char* name, std::string& value);

// The shared credentials file of S3 tools: %USERPROFILE%\.aws\credentials
// (elsewhere ~/.aws/credentials); empty when the home folder is unknown.
std::string SharedCredentialsPath();

// True when standard error is a console (not a file or a pipe).
bool ErrorIsConsole();

}  // namespace platform
