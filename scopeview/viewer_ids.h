// Resource and control identifiers of the viewer, shared by its resource script and its code.
#pragma once

#define IDI_VIEWER 128
#define IDD_VIEWER 129

#define IDC_SCOPE 1000
#define IDC_TOP_X 1006
#define IDC_LEFT_Y 1007
#define IDC_RIGHT_Y 1008
#define IDC_BOTTOM_X 1009
#define IDC_GRID 1010
#define IDC_ZOOM_RECTANGLE 1011
#define IDC_ZOOM_HORIZONTAL 1012
#define IDC_ZOOM_VERTICAL 1013
#define IDC_ZOOM_IN 1014
#define IDC_ZOOM_OUT 1015
#define IDC_ZOOM_TOP 1016
#define IDC_CHANNEL_1 1017
#define IDC_POINT_STYLE 1021
#define IDC_RUN 1022
#define IDC_STOP 1023
#define IDC_EXIT 1024
#define IDC_LAST_POINTS 1025
#define IDC_LAST_POINTS_SPIN 1026
