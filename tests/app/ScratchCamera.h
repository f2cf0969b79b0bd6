// A simulated camera of the running test's own: its state file and transfer
// log in the temp folder, named after the test, with no faults injected.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

// Points the simulated camera at fresh files named `prefix` + test name.
inline void OpenScratchCamera(const wchar_t* prefix, std::wstring& state, std::wstring& log)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::wstring name = std::wstring(temp) + prefix + std::wstring(test, test + std::strlen(test));
    state = name + L".txt";
    log = name + L".log";
    DeleteFileW(state.c_str());
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(L"NVUSB_SIM_STATE", state.c_str());
    SetEnvironmentVariableW(L"NVUSB_SIM_LOG", log.c_str());
    SetEnvironmentVariableW(L"NVUSB_SIM_FAULTS", nullptr);
}

// Forgets the camera's files and any faults.
inline void CloseScratchCamera(const std::wstring& state, const std::wstring& log)
{
    SetEnvironmentVariableW(L"NVUSB_SIM_FAULTS", nullptr);
    SetEnvironmentVariableW(L"NVUSB_SIM_STATE", nullptr);
    SetEnvironmentVariableW(L"NVUSB_SIM_LOG", nullptr);
    DeleteFileW(state.c_str());
    DeleteFileW(log.c_str());
}
