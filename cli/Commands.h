// The single-camera commands. Each connects, signs in, does its work,
// reports one result and returns an ExitCode. Their input has been checked;
// a change is audited before and after it is made (BeginChange, EndChange).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "cli/Invocation.h"
#include "core/IdentityCodec.h"

// The identity texts to change, by the field each belongs to.
using IdentityChanges = std::vector<std::pair<WideString IdentityTexts::*, WideString>>;

int RunStatus(Invocation& invocation);
int RunSyncTime(Invocation& invocation);
int RunIdentityGet(Invocation& invocation);
int RunIdentitySet(Invocation& invocation, const IdentityChanges& changes);
int RunSerialGet(Invocation& invocation);
int RunSerialSet(Invocation& invocation, const std::string& serial);
// Changes `account`'s password to `newPassword`, then signs in with it to
// confirm that the camera took it.
int RunPasswordSet(Invocation& invocation, Account account, const std::string& newPassword);
int RunUsbStorage(Invocation& invocation);
int RunFormat(Invocation& invocation);
