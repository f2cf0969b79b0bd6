// The application's texts in four languages, compiled in. Every text the
// operator sees is looked up here by its entry at the moment it is used.
#pragma once

#include "core/WideText.h"

enum { kTextCount = 148, kLanguageCount = 4 };

// Index into g_textTable.
enum Language : signed char { kChinese = 0, kEnglish = 1, kRussian = 2, kUkrainian = 3 };

// One language's 148 texts, in entry order.
struct LangText {
    const WideChar* entries[kTextCount];
};

extern const LangText* const g_textTable[kLanguageCount];

// The language in force. Starts at 0; the sign-in window sets English.
extern signed char g_language;

// Entries the windows read, by name. The value is the entry's index.
enum TextId : int {
    kTextAppTitle = 0,              // "Stand-Alone Kestrava"
    kTextProductName = 1,           // "Kestrava" (banner)
    kTextConnectDevice = 2,
    kTextDisconnectDevice = 3,
    kTextSignIn = 4,
    kTextUserTypeLabel = 5,
    kTextPasswordLabel = 6,
    kTextExit = 7,
    kTextAdministrator = 8,
    kTextUser = 9,
    kTextTimeGroup = 10,
    kTextTimeSynced = 11,
    kTextTimeSyncFailed = 12,
    kTextTimeSyncButton = 13,
    kTextParameterGroup = 14,
    kTextResolutionLabel = 15,
    kTextBatteryLabel = 16,
    kTextRead = 17,
    kTextSetting = 18,
    kTextIdentityGroup = 19,
    kTextCameraIdLabel = 20,
    kTextUserIdLabel = 21,
    kTextDepartmentIdLabel = 22,
    kTextUserNameLabel = 23,
    kTextDepartmentNameLabel = 24,
    kTextNetworkGroup = 25,
    kTextWifiModeLabel = 26,
    kTextWifiSsidLabel = 29,
    kTextWifiPasswordLabel = 30,
    kTextServerIpLabel = 31,
    kTextApnLabel = 32,
    kTextPinLabel = 33,
    kTextServerPortLabel = 34,
    kTextKeepEmptyHint = 35,
    kTextFail = 36,
    kTextPasswordGroup = 37,
    kTextAdminPasswordLabel = 38,
    kTextUserPasswordLabel = 39,
    kTextConfirmPasswordLabel = 40,
    kTextUsbStorageButton = 41,
    kTextSetAdminPassword = 42,
    kTextSetUserPassword = 43,
    kTextLogout = 45,
    kTextSetSuccessful = 46,
    kTextSetFailed = 47,
    kTextNoticeButton = 50,
    kTextConnectFailed = 53,
    kTextConnectFirst = 54,
    kTextSignInFailed = 55,
    kTextPasswordsDiffer = 57,
    kTextPasswordChanged = 58,
    kTextPasswordChangeFailed = 59,
    kTextUsbStorageEntered = 60,
    kTextUsbStorageFailed = 61,
    kTextYes = 63,
    kTextNo = 64,
    kTextCameraIdLength = 66,
    kTextUserIdLength = 67,
    kTextPasswordLength = 68,
    kTextAlnumOnly = 69,
    kTextNoLineBreaks = 70,
    kTextFormatCard = 71,
    kTextFormatDone = 72,
    kTextFormatFailed = 73,
    kTextConfirmFormat = 74,
    kTextSerialNoLabel = 147
};

// Entry `id` of the active language.
const WideChar* Text(int id);
