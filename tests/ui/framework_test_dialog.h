// Ids of the small dialog the framework's dialog tests run.
#pragma once

#define IDD_FRAMEWORK_TEST 500
#define IDD_MISSING_CONTROL_TEST 501
#define IDC_TEST_EDIT 100
#define IDC_TEST_CHECK 101
#define IDC_TEST_THROW 102
