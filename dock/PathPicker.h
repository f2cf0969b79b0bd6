// The system's pickers for the settings' paths: a folder for the archive, a
// file (new or existing) for the audit trail. Empty when the operator
// cancels.
#pragma once

#include <windows.h>

#include <string>

std::wstring PickFolder(HWND owner, const wchar_t* title, const std::wstring& start);
std::wstring PickAuditFile(HWND owner, const wchar_t* title, const std::wstring& start);
