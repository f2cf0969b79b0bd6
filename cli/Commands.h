// The single-camera commands. Each connects, signs in, does its work,
// reports one result and returns an ExitCode. Their input has been checked;
// a change is audited before and after it is made (BeginChange, EndChange).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "cli/Session.h"
#include "core/IdentityCodec.h"

// The identity texts to change, by the field each belongs to.
using IdentityChanges = std::vector<std::pair<WideString IdentityTexts::*, WideString>>;

int RunStatus(Session& session);
int RunSyncTime(Session& session);
int RunIdentityGet(Session& session);
int RunIdentitySet(Session& session, const IdentityChanges& changes);
int RunSerialGet(Session& session);
int RunSerialSet(Session& session, const std::string& serial);
// Changes `account`'s password to `newPassword`, then signs in with it to
// confirm that the camera took it.
int RunPasswordSet(Session& session, Account account, const std::string& newPassword);
int RunUsbStorage(Session& session);
int RunFormat(Session& session);
