// Resource, control, menu, timer and message ids of the bar program. End-to-end tests use
// the same ids to drive the bar with window messages.
#pragma once

#define IDI_PORTLIGHT 1

// Version resource texts.
#define PORTLIGHT_PRODUCT "Portlight"
#define PORTLIGHT_COMPANY "Kestro"
#define PORTLIGHT_VERSION_TEXT "1.0.0"
#define PORTLIGHT_VERSION_NUMBERS 1, 0, 0, 0

// Window class of the bar and of the about box.
#define PORTLIGHT_BAR_CLASS "PortlightMainForm"
#define PORTLIGHT_PANEL_CLASS "PortlightPanel"
#define PORTLIGHT_ABOUT_CLASS "PortlightAbout"
#define PORTLIGHT_TRAY_CLASS "PortlightTrayIcon"

// Child controls of the bar.
#define IDC_PICNETSTATS 1001
#define IDC_PICACTIVEICONS 1002
#define IDC_PICTITLEBAR 1003
#define IDC_PICTICKER 1004
#define IDC_PICCONTROLBOX 1005
#define IDC_LBLNETSTATCONNECTIONS 1006
#define IDC_CMDSETTINGS 1007
#define IDC_CMDEXIT 1008
#define IDC_IMGICON 1009
#define IDC_CMDNETSTATS 1010   // hidden: its click takes a snapshot; disabled while one runs
#define IDC_TXTNETSTATS 1011   // hidden: the raw listing of the last snapshot
#define IDC_CMDSENDSTATS 1012  // hidden: sends the usage request now
#define IDC_COMMAND1 1013      // hidden: downloads the ticker text now

// Settings menu commands: IDM_SETTINGS_BASE + the command's number (app/commands.h).
#define IDM_SETTINGS_BASE 40000

// Timers of the bar window.
#define IDT_NETSTATS 1
#define IDT_MAIN 2
#define IDT_TICKER 3

// Private messages of the bar window.
#define WM_APP_CAPTURED (0x8000 + 1)  // WM_APP + 1: lParam owns a CaptureResult
