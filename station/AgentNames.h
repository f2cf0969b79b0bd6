// The programs of this tool set that make bags and write audit lines, as
// they name themselves in Bag-Software-Agent and in each line: the
// program, a space, its version.
#pragma once

#include <string>

namespace station {

extern const char* const kCliProgram;   // orvanectl
extern const char* const kDockProgram;  // the dock window

// "orvanectl 1.0.0.1"
std::string AgentOf(const char* program);
// The program of this tool set that `agent` names, with or without its
// version; empty when it names another.
std::string OurProgramIn(const std::string& agent);

}  // namespace station
