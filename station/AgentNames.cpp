#include "station/AgentNames.h"

#include <cstring>

namespace station {

const char* const kCliProgram = "orvanectl";
const char* const kDockProgram = "OrvaneDock";

std::string AgentOf(const char* program)
{
    return std::string(program) + " " ORVANE_VERSION;
}

std::string OurProgramIn(const std::string& agent)
{
    for (const char* program : {kCliProgram, kDockProgram}) {
        const std::size_t length = std::strlen(program);
        if (agent.compare(0, length, program) == 0 && (agent.size() == length || agent[length] == ' ')) {
            return program;
        }
    }
    return "";
}

}  // namespace station
