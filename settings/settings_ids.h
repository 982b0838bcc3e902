// Identifiers of the settings sheet's page templates and controls, shared by
// resources/orvik_dll.rc, the pages and the programs that drive them. Only macros: the resource
// compiler reads this file too.
#pragma once

#define IDD_PAGE_INFO 105
#define IDD_PAGE_ABOUT 106
#define IDD_PAGE_GENERAL 107
#define IDD_PAGE_TRAY 109
#define IDD_PAGE_STATISTICS 113
#define IDD_PAGE_TEST 118

// The sheet's caption (UTF-8 here; L"" SETTINGS_SHEET_TITLE in code).
#define SETTINGS_SHEET_TITLE "Настройки"

// Information page.
#define IDC_INFO_MODEL 1002
#define IDC_INFO_PORT 1003
#define IDC_INFO_LINK 1004
#define IDC_INFO_RAW 1005
#define IDC_INFO_TEXT 1006

// General page.
#define IDC_GEN_ACTION 1009
#define IDC_GEN_ON_BATTERY 1017
#define IDC_GEN_ON_BATTERY_WAIT 1007
#define IDC_GEN_ON_CAPACITY 1018
#define IDC_GEN_ON_CAPACITY_WAIT 1008
#define IDC_GEN_ON_VOLTAGE 1022
#define IDC_GEN_ON_VOLTAGE_WAIT 1013
#define IDC_GEN_TURN_OFF 1011
#define IDC_GEN_TURN_OFF_PC 1012
#define IDC_GEN_TURN_OFF_WAIT 1010
#define IDC_GEN_TURN_ON 1064
#define IDC_GEN_TURN_ON_WAIT 1060
#define IDC_GEN_SIGNAL 1020
#define IDC_GEN_SIGNAL_WINDOW 1023
#define IDC_GEN_SIGNAL_FROM 1024
#define IDC_GEN_SIGNAL_TO 1025
#define IDC_GEN_WAIT_BA 1068
#define IDC_GEN_WAIT_BA_WAIT 1027
#define IDC_GEN_KEY_LED 1062
#define IDC_GEN_KEY_LED_NUM 1063
#define IDC_GEN_COUNTERS 1021

// Tray page: path fields, their "..." and "По умолчанию" buttons, the two check boxes.
#define IDC_TRAY_ONLINE_PATH 1025
#define IDC_TRAY_AVR_PATH 1026
#define IDC_TRAY_BAT_PATH 1027
#define IDC_TRAY_NOUPS_PATH 1032
#define IDC_TRAY_ONLINE_BROWSE 1028
#define IDC_TRAY_AVR_BROWSE 1029
#define IDC_TRAY_BAT_BROWSE 1030
#define IDC_TRAY_NOUPS_BROWSE 1031
#define IDC_TRAY_ONLINE_DEFAULT 1033
#define IDC_TRAY_AVR_DEFAULT 1034
#define IDC_TRAY_BAT_DEFAULT 1035
#define IDC_TRAY_NOUPS_DEFAULT 1036
#define IDC_TRAY_TEMPERATURE 1016
#define IDC_TRAY_NOTIFIER 1064

// Statistics page.
#define IDC_STAT_ON 1039
#define IDC_STAT_PATH 1040
#define IDC_STAT_BROWSE 1041
#define IDC_STAT_DATA 1042
#define IDC_STAT_RATE 1043
#define IDC_STAT_FLUSH_FORCE 1044

// Test page.
#define IDC_TEST_MINUTES 1060
#define IDC_TEST_SHORT 1065
#define IDC_TEST_SHORT_CANCEL 1066
#define IDC_TEST_MINUTES_START 1067
#define IDC_TEST_MINUTES_CANCEL 1068
#define IDC_TEST_UNTIL_LOW 1069
#define IDC_TEST_UNTIL_LOW_CANCEL 1070

// About page.
#define IDC_ABOUT_TEXT 1080

// Each number edit's up-down control has the edit's identifier plus this.
#define IDC_UPDOWN_OFFSET 1000
