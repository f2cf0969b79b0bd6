#include "cli/Output.h"

#include "cli/Console.h"
#include "station/ShownText.h"

void Output::Result(const nlohmann::ordered_json& object, const std::string& humanLine) const
{
    platform::WriteOutput(json_ ? JsonLine(object) : Shown(humanLine) + "\n");
}

void Output::Error(const std::string& message) const
{
    WriteErrorLine(message);
}

void WriteErrorLine(const std::string& message)
{
    platform::WriteError("orvanectl: " + Shown(message) + "\n");
}

std::string ReadProblem(platform::FileRead problem, const std::string& what, const std::string& path)
{
    switch (problem) {
    case platform::FileRead::IsFolder:
        return path + " is a folder, not a " + what;
    case platform::FileRead::TooLarge:
        return "the " + what + " " + path + " is too large";
    case platform::FileRead::Failed:
        return "the " + what + " " + path + " could not be read to its end";
    case platform::FileRead::Ok:
    case platform::FileRead::CannotOpen:
        break;
    }
    return "cannot read the " + what + " " + path;
}
