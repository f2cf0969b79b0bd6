// The settings' "try it": one sign-in to the camera plugged in, to learn
// whether the password is right before the dock relies on it. Blocks while
// the camera answers: for a worker thread, and only while the dock, which
// otherwise owns the camera calls, is stopped.
#pragma once

#include <string>

enum class TrialResult { Accepted, Refused, NoCamera };

TrialResult TrySignIn(bool userAccount, const std::string& password);
