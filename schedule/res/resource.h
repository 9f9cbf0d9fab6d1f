// Identifiers of the scheduler's dialogs, menu and controls.
#pragma once

#define IDD_TIMER_DLG 158
#define IDD_LIST_DLG 8
#define IDR_LIST_MENU 157

// Schedule Recordings dialog
#define IDC_FILE_NAME 1018
#define IDC_URL 1019
#define IDC_PROGRAM_NAME 1021
#define IDC_WINDOW_POSITION 1020
#define IDC_START_TIME 1008
#define IDC_DURATION 1013
#define IDC_CALENDAR 1007
#define IDC_SUN 142
#define IDC_MON 144
#define IDC_TUE 132
#define IDC_WED 134
#define IDC_THU 136
#define IDC_FRI 138
#define IDC_SAT 140
#define IDC_ONCE 146
#define IDC_DAILY 148
#define IDC_TEST_URL 1024
#define IDC_SAVE_SCHEDULE 1026
#define IDC_ENABLE 1006
#define IDC_DISABLE 1009
#define IDC_VIEW_SCHEDULER 1015
#define IDC_SET_CURRENT_TIME 1005
#define IDC_STATUS 1027
#define IDC_CLOCK 1030
#define IDC_HELP_BUTTON 3

// Scheduled Events list
#define IDC_EVENTS 1004
#define ID_CHANGE 40065
#define ID_DELETE 40060
#define ID_OPEN_FILE 40067
#define ID_OPEN_HISTORY 40068
