// Ids of the dock's resources, shared by OrvaneDock.rc and the code. The
// list's and the status bar's ids are fixed: tests and tools outside find
// them by these numbers.
#pragma once

#define IDI_DOCK 128

// Templates
#define IDD_DOCK 100
#define IDD_DOCK_SETTINGS 101
#define IDD_DOCK_VERIFY 102
#define IDD_DOCK_AUDIT 103

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// The dock window (100)
#define IDC_DOCK_CAMERAS 1001
#define IDC_DOCK_STATUS 1002
#define IDC_DOCK_STOP_START 1010
#define IDC_DOCK_VERIFY 1011
#define IDC_DOCK_AUDIT 1012
#define IDC_DOCK_OPEN_BAG 1013
#define IDC_DOCK_SETTINGS 1014

// Settings (101)
#define IDC_ARCHIVE_LABEL 1101
#define IDC_ARCHIVE 1102
#define IDC_AUDIT_FILE_LABEL 1103
#define IDC_AUDIT_FILE 1104
#define IDC_FORMAT_AFTER 1105
#define IDC_ACCOUNT_LABEL 1106
#define IDC_ACCOUNT 1107
#define IDC_PASSWORD_LABEL 1108
#define IDC_PASSWORD 1109
#define IDC_TRY_PASSWORD 1110
#define IDC_TRIAL_RESULT 1111
#define IDC_LANGUAGE_LABEL 1112
#define IDC_LANGUAGE 1113
#define IDC_MAX_COPIES_LABEL 1114
#define IDC_MAX_COPIES 1115
#define IDC_PRESET_HINT 1116
#define IDC_SETTINGS_PROBLEM 1117
#define IDC_BROWSE_ARCHIVE 1118
#define IDC_BROWSE_AUDIT_FILE 1119

// Verify archive (102)
#define IDC_VERIFY_STATUS 1201
#define IDC_VERIFY_PROGRESS 1202
#define IDC_VERIFY_RESULTS 1203
#define IDC_VERIFY_STOP 1204

// Audit trail (103)
#define IDC_AUDIT_STATUS 1301
#define IDC_AUDIT_LINES 1302
