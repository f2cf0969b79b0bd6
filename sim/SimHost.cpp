#include "SimHost.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <cstdlib>
#endif

namespace nvusb_sim {

namespace {

// Any address inside this library, to find the file it was loaded from.
const int kModuleAnchor = 0;

#ifdef _WIN32

std::optional<std::wstring> environmentWide(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    if (length >= size) return std::nullopt;  // changed in between; treat as unset
    value.resize(length);
    return value;
}

std::wstring widen(const char* ascii) {
    std::wstring wide;
    for (const char* c = ascii; *c != '\0'; ++c) wide += static_cast<wchar_t>(*c);
    return wide;
}

std::filesystem::path libraryFile() {
    HMODULE module = nullptr;
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!GetModuleHandleExW(flags, reinterpret_cast<LPCWSTR>(&kModuleAnchor), &module)) return {};
    std::wstring name(MAX_PATH, L'\0');
    while (true) {
        const DWORD length = GetModuleFileNameW(module, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) return std::filesystem::path(name.substr(0, length));
        name.resize(name.size() * 2);
    }
}

std::optional<std::filesystem::path> environmentPath(const char* name) {
    const auto value = environmentWide(widen(name).c_str());
    if (!value || value->empty()) return std::nullopt;
    return std::filesystem::path(*value);
}

#else

std::filesystem::path libraryFile() {
    Dl_info info{};
    if (dladdr(&kModuleAnchor, &info) == 0 || info.dli_fname == nullptr) return {};
    return std::filesystem::path(info.dli_fname);
}

std::optional<std::filesystem::path> environmentPath(const char* name) {
    const auto value = environmentValue(name);
    if (!value || value->empty()) return std::nullopt;
    return std::filesystem::path(*value);
}

#endif

}  // namespace

#ifdef _WIN32

std::optional<std::string> environmentValue(const char* name) {
    const auto value = environmentWide(widen(name).c_str());
    if (!value) return std::nullopt;
    return std::filesystem::path(*value).u8string();
}

#else

std::optional<std::string> environmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

#endif

SimFiles locateSimFiles() {
    SimFiles files;
    const auto state = environmentPath("NVUSB_SIM_STATE");
    files.state = state ? *state : libraryFile().parent_path() / "nvusb-sim-state.txt";
    const auto log = environmentPath("NVUSB_SIM_LOG");
    files.log = log ? *log : files.state.parent_path() / "nvusb-sim-log.txt";
    return files;
}

std::optional<std::filesystem::path> locateDockFolder() { return environmentPath("NVUSB_SIM_DOCK"); }

}  // namespace nvusb_sim
