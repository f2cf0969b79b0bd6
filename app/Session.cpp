#include "Session.h"

int g_userType = 0;
char g_sessionPassword[10] = {};
