#include "Session.h"

#include "core/PasswordRules.h"

int g_userType = 0;
char g_sessionPassword[10] = {};

static_assert(sizeof g_sessionPassword > kPasswordChars, "room for a password and its zero byte");
