// Resource ids of Stepwise. Control ids of the dialog templates are fixed: other programs
// and tests find the controls by them.
#pragma once

#define IDI_STEPWISE 1

#define IDD_PREPARING 101
#define IDD_SPLASH 102

#define IDC_PREPARING_MESSAGE 1004
#define IDC_PREPARING_PROGRESS 1009
#define IDC_SPLASH_PICTURE 1000

// The wizard window and its pages.
#define IDD_WIZARD 201
#define IDD_PAGE_WELCOME 202
#define IDD_PAGE_LICENSE 203
#define IDD_PAGE_README 204
#define IDD_PAGE_USER 205
#define IDD_PAGE_DESTINATION 206
#define IDD_PAGE_SETUPTYPE 207
#define IDD_PAGE_CUSTOM 208
#define IDD_PAGE_FOLDER 209
#define IDD_PAGE_START 210
#define IDD_PAGE_PROGRESS 211
#define IDD_PAGE_COMPLETE 212
#define IDD_CANCEL_CONFIRM 213
#define IDD_RESTART 214

#define IDC_WIZARD_NEXT 3
#define IDC_WIZARD_BACK 4
#define IDC_WIZARD_CANCEL 1031
#define IDC_WIZARD_PAGE_AREA 1004
#define IDC_WIZARD_FOOTER 1040

// Page headers (title and subtitle); the welcome and complete pages' title and picture.
#define IDC_PAGE_TITLE 1002
#define IDC_PAGE_SUBTITLE 1003
#define IDC_PAGE_ICON 1099
#define IDC_PAGE_PICTURE 1026
#define IDC_WELCOME_BODY 1003

#define IDC_LICENSE_TEXT 1006
#define IDC_LICENSE_ACCEPT 1004
#define IDC_LICENSE_DECLINE 1005
#define IDC_README_TEXT 1006
#define IDC_USER_NAME 1006
#define IDC_USER_COMPANY 1007
#define IDC_USER_NAME_LABEL 1014
#define IDC_USER_COMPANY_LABEL 1015
#define IDC_DESTINATION_PROMPT 1004
#define IDC_DESTINATION_FOLDER 1010
#define IDC_DESTINATION_BROWSE 1007
#define IDC_SETUP_TYPICAL 1004
#define IDC_SETUP_COMPACT 1005
#define IDC_SETUP_CUSTOM 1006
#define IDC_SETUP_TYPICAL_TEXT 1017
#define IDC_SETUP_COMPACT_TEXT 1018
#define IDC_SETUP_CUSTOM_TEXT 1019
#define IDC_CUSTOM_LIST 1007
#define IDC_FOLDER_NAME 1006
#define IDC_FOLDER_LIST 1007
#define IDC_FOLDER_LABEL 1016
#define IDC_START_EXPLANATION 1004
#define IDC_START_LABEL 1005
#define IDC_START_SUMMARY 1006
#define IDC_PROGRESS_STATUS 1004
#define IDC_PROGRESS_FILE 1005
#define IDC_PROGRESS_BAR 1011
// The progress page's download controls, hidden until the first download starts.
#define IDC_DOWNLOAD_TIME 1021
#define IDC_DOWNLOAD_RATE 1022
#define IDC_DOWNLOAD_BAR 1023
#define IDC_DOWNLOAD_LABEL 1024
#define IDC_COMPLETE_README 1013
#define IDC_COMPLETE_RUN 1014

// CancelConfirmDialog and RestartDialog: the text; "Yes" and "No" are IDCANCEL/IDOK in the
// cancel question (No is the default) and IDOK/IDCANCEL in the restart question.
#define IDC_QUESTION_TEXT 1000

// The folder browser's added edit box.
#define IDC_BROWSER_EDIT 14148

// Download texts: rate, sizes and time left (see install/download_texts.h).
#define IDS_DOWNLOAD_KB_PER_SEC 140
#define IDS_DOWNLOAD_BYTES 141
#define IDS_DOWNLOAD_KB 142
#define IDS_DOWNLOAD_MB 143
#define IDS_DOWNLOAD_OF_TOTAL 144
#define IDS_DOWNLOAD_KB_SIZE 145
#define IDS_DOWNLOAD_SECONDS 146
#define IDS_DOWNLOAD_MINUTES 147
#define IDS_DOWNLOAD_MINUTES_SECONDS 148
#define IDS_DOWNLOAD_TIME_AND_COPIED 149
#define IDS_DOWNLOAD_BYTES_PER_SEC 150
