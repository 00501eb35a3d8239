// Resource ids of Stepwise. Control ids of the dialog templates are fixed: other programs
// and tests find the controls by them.
#pragma once

#define IDI_STEPWISE 1

#define IDD_PREPARING 101
#define IDD_SPLASH 102

#define IDC_PREPARING_MESSAGE 1004
#define IDC_PREPARING_PROGRESS 1009
#define IDC_SPLASH_PICTURE 1000
