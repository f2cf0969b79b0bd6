// The signed-in state the camera window's library calls use.
#pragma once

// Account type of the last accepted sign-in: 0 Administrator, 1 User.
extern int g_userType;
// Password of the last accepted sign-in: at most 6 bytes and a zero byte.
extern char g_sessionPassword[10];
