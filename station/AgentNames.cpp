#include "station/AgentNames.h"

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
        const std::string name = program;
        if (agent == name || agent.compare(0, name.size() + 1, name + " ") == 0) {
            return name;
        }
    }
    return "";
}

}  // namespace station
