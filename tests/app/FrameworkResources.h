// Ids of the framework tests' own dialog template.
#pragma once

#define IDD_FRAMEWORK_TEST 900
#define IDC_TEST_NAME 901
#define IDC_TEST_NOTE 902
#define IDC_TEST_LIST 903
#define IDC_TEST_ACTION 904
