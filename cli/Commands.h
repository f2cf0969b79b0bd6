// The single-camera commands. Each connects, signs in, does its work,
// reports one result and returns an ExitCode. Their input has been checked.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "cli/Session.h"
#include "core/FieldRules.h"

using IdentityChanges = std::vector<std::pair<InputField, WideString>>;

int RunStatus(Session& session);
int RunSyncTime(Session& session);
int RunIdentityGet(Session& session);
int RunIdentitySet(Session& session, const IdentityChanges& changes);
int RunSerialGet(Session& session);
int RunSerialSet(Session& session, const std::string& serial);
int RunPasswordSet(Session& session, Account account, const std::string& newPassword);
int RunUsbStorage(Session& session);
int RunFormat(Session& session);
