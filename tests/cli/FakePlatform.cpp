#include "FakePlatform.h"

#include "cli/Orvanectl.h"

int RunTool(const std::vector<std::string>& arguments)
{
    std::vector<const char*> argv = {"orvanectl"};
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    FakeHost host;
    return Orvanectl(static_cast<int>(argv.size()), argv.data(), host);
}

namespace platform {

void DivertStandardOutput(bool) {}

void WriteOutput(const std::string& text)
{
    g_system.output += text;
}

void WriteError(const std::string& text)
{
    g_system.errors += text;
}

SecretRead ReadSecret(const std::string& prompt, std::string& secret)
{
    if (g_system.console.empty()) {
        return SecretRead::NoConsole;
    }
    g_system.prompts.push_back(prompt);
    const auto answer = g_system.console.front();
    g_system.console.erase(g_system.console.begin());
    secret = answer.second;
    return answer.first;
}

void CatchInterrupt(StopSignal& stop)
{
    g_system.catching = true;
    g_system.stop = &stop;
    if (g_system.interrupted) {
        stop.Request();
    }
    g_system.CheckClock();
}

void ReadyToEnd()
{
    g_system.readyToEnd = true;
    g_system.stop = nullptr;
}

bool TakeEnvironment(const char* name, std::string& value)
{
    const auto found = g_system.environment.find(name);
    if (found == g_system.environment.end()) {
        return false;
    }
    value = found->second;
    g_system.environment.erase(found);
    return !value.empty();
}

std::string SharedCredentialsPath()
{
    return "";
}

bool ErrorIsConsole()
{
    return false;
}

}  // namespace platform
