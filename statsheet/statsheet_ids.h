// Resource and control identifiers of the statistics sheet's pages; shared by the resource
// script and the code.
#pragma once

#define IDD_STAT_YEAR 114
#define IDD_STAT_MONTH 115
#define IDD_STAT_DAY 116
#define IDD_STAT_DETAILS 117

#define IDC_YEAR_LIST 1046
#define IDC_YEAR_UPDATE 1047
#define IDC_MONTH_LIST 1049
#define IDC_MONTH_UPDATE 1050
#define IDC_MONTH_YEAR 1052
#define IDC_DAY_CALENDAR 1053
#define IDC_DAY_UPDATE 1054
#define IDC_DAY_INFORMATION 1055
#define IDC_DETAILS_EVENTS 1056
#define IDC_DETAILS_SAMPLES 1057
#define IDC_DETAILS_UPDATE 1058
#define IDC_DETAILS_EXPORT 1061

// The sheet's caption (UTF-8 here; L"" STATISTICS_SHEET_TITLE in code).
#define STATISTICS_SHEET_TITLE "Статистика"
