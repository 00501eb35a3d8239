// The bar's child areas and controls: the coloured container areas, the count label, the
// program icon, the buttons and the hidden controls that hold the raw listing and trigger
// snapshots, the usage request and the ticker download. Created once at load and laid out
// in twips at the screen's DPI.
#pragma once

#include <windows.h>

#include "app/bar_layout.h"
#include "common/win32/handles_win.h"

namespace portlight {

constexpr COLORREF kBarColour = RGB(29, 53, 87);
constexpr COLORREF kStripColour = RGB(241, 250, 238);
constexpr COLORREF kTitleColour = RGB(69, 123, 157);

// The window class of the container areas; they pass their controls' reports on to the
// bar window, so every command reaches the bar whatever area its control sits in.
void RegisterPanelClass(HINSTANCE instance);

struct BarControls {
    HWND picNetstats = nullptr;
    HWND picTitleBar = nullptr;
    HWND picTicker = nullptr;
    HWND lblNetstatConnections = nullptr;
    HWND picActiveIcons = nullptr;
    HWND picControlBox = nullptr;
    HWND imgIcon = nullptr;
    HWND cmdSettings = nullptr;
    HWND cmdExit = nullptr;
    HWND cmdNetstats = nullptr;
    HWND txtNetstats = nullptr;
    HWND cmdSendStats = nullptr;
    HWND Command1 = nullptr;
    win32::Font font;
    int dpiX = 96;
    int dpiY = 96;

    // Creates every child of `bar`; the areas show, the connection area and the exit
    // button stay hidden until the load step ends.
    void Create(HWND bar, HICON icon);
    // Places the areas for the bar's current width.
    void LayOut(HWND bar);
    // The bar's layout for its current width.
    BarLayout Layout(HWND bar) const;
    void Place(HWND control, const TwipRect& r) const;
    // WM_CTLCOLORSTATIC for the count label: white on the title colour. Null for any other
    // control.
    HBRUSH CountLabelColours(HWND control, HDC dc);

  private:
    HWND Panel(HWND parent, int id, COLORREF colour) const;

    win32::Brush titleBrush_;
};

}  // namespace portlight
