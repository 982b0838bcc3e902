// Identifiers of the setup dialog's template and controls, shared by resources/orvik_dll.rc and
// the code that runs or drives the dialog. Only macros: the resource compiler reads this too.
#pragma once

#define IDD_SETUP 110
// The title by which a program outside finds the dialog (UTF-8 here; L"" SETUP_DIALOG_TITLE in code).
#define SETUP_DIALOG_TITLE "Настройка"
// IDOK (1) and IDCANCEL (2) are the OK and Cancel buttons.
#define IDC_SETUP_VENDOR 1034
#define IDC_SETUP_MODEL 1035
#define IDC_SETUP_TREE 1036
#define IDC_SETUP_PORT 1037
#define IDC_SETUP_TRAY_UI 1038
// The fields of a UPS that another computer serves (NUT).
#define IDC_SETUP_NUT_SERVER 1040
#define IDC_SETUP_NUT_UPS 1041
#define IDC_SETUP_NUT_USER 1042
#define IDC_SETUP_NUT_PASSWORD 1043
