#include "app/bar_controls_win.h"

#include "common/win32/window_win.h"
#include "resource.h"

namespace portlight {

namespace {

LRESULT PanelProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_CONTEXTMENU:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return SendMessageA(GetAncestor(window, GA_ROOT), message, wp, lp);
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(window, &r);
            win32::Brush brush(
                CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrA(window, GWLP_USERDATA))));
            FillRect(reinterpret_cast<HDC>(wp), &r, brush.get());
            return 1;
        }
    }
    return DefWindowProcA(window, message, wp, lp);
}

}  // namespace

void RegisterPanelClass(HINSTANCE instance) {
    WNDCLASSA panel = {};
    panel.lpfnWndProc = win32::GuardedProc<PanelProc>;
    panel.hInstance = instance;
    panel.hCursor = LoadCursor(nullptr, IDC_ARROW);
    panel.lpszClassName = PORTLIGHT_PANEL_CLASS;
    RegisterClassA(&panel);
}

HWND BarControls::Panel(HWND parent, int id, COLORREF colour) const {
    HWND panel = CreateWindowExA(0, PORTLIGHT_PANEL_CLASS, "", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0,
                                 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(panel, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
    return panel;
}

void BarControls::Create(HWND bar, HICON icon) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    auto child = [&](const char* cls, const char* text, DWORD style, HWND parent, int id) {
        HWND w =
            CreateWindowExA(0, cls, text, WS_CHILD | style, 0, 0, 0, 0, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        return w;
    };
    font.reset(CreateFontA(-MulDiv(8, dpiY, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                           ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_SWISS, "MS Sans Serif"));

    picNetstats = Panel(bar, IDC_PICNETSTATS, kBarColour);
    picTitleBar = Panel(picNetstats, IDC_PICTITLEBAR, kTitleColour);
    picTicker = Panel(picTitleBar, IDC_PICTICKER, kTitleColour);
    lblNetstatConnections = child("STATIC", "0", WS_VISIBLE | SS_RIGHT | SS_CENTERIMAGE | SS_NOTIFY,
                                  picTitleBar, IDC_LBLNETSTATCONNECTIONS);
    picActiveIcons = Panel(picNetstats, IDC_PICACTIVEICONS, kStripColour);
    picControlBox = Panel(picNetstats, IDC_PICCONTROLBOX, kBarColour);
    imgIcon = child("STATIC", "", WS_VISIBLE | SS_ICON | SS_NOTIFY | SS_REALSIZECONTROL,
                    picControlBox, IDC_IMGICON);
    SendMessageA(imgIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    cmdSettings =
        child("BUTTON", "Settings", WS_VISIBLE | BS_PUSHBUTTON, picControlBox, IDC_CMDSETTINGS);
    cmdExit = child("BUTTON", "X", BS_PUSHBUTTON, bar, IDC_CMDEXIT);

    // Hidden controls: the snapshot button whose enabled state guards snapshots, the raw
    // listing, and the two buttons that trigger the usage request and the ticker download.
    cmdNetstats = child("BUTTON", "Netstats", BS_PUSHBUTTON, bar, IDC_CMDNETSTATS);
    // No word wrap: wrapping the whole listing in a control of no width took a large share
    // of each snapshot's CPU time under Wine.
    txtNetstats = child("EDIT", "", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                        bar, IDC_TXTNETSTATS);
    SendMessageA(txtNetstats, EM_SETLIMITTEXT, 0, 0);
    cmdSendStats = child("BUTTON", "SendStats", BS_PUSHBUTTON, bar, IDC_CMDSENDSTATS);
    Command1 = child("BUTTON", "Command1", BS_PUSHBUTTON, bar, IDC_COMMAND1);
    ShowWindow(picTitleBar, SW_SHOW);
    ShowWindow(picTicker, SW_SHOW);
    ShowWindow(picActiveIcons, SW_SHOW);
    ShowWindow(picControlBox, SW_SHOW);
}

void BarControls::Place(HWND control, const TwipRect& r) const {
    MoveWindow(control, TwipsToPixels(r.left, dpiX), TwipsToPixels(r.top, dpiY),
               TwipsToPixels(r.width, dpiX), TwipsToPixels(r.height, dpiY), TRUE);
}

BarLayout BarControls::Layout(HWND bar) const {
    RECT client;
    GetClientRect(bar, &client);
    return LayOutBar(PixelsToTwips(client.right, dpiX));
}

void BarControls::LayOut(HWND bar) {
    BarLayout l = Layout(bar);
    Place(picNetstats, l.picNetstats);
    Place(picTitleBar, l.picTitleBar);
    Place(picTicker, l.picTicker);
    Place(lblNetstatConnections, l.lblNetstatConnections);
    Place(picActiveIcons, l.picActiveIcons);
    Place(picControlBox, l.picControlBox);
    Place(imgIcon, l.imgIcon);
    Place(cmdSettings, l.cmdSettings);
}

HBRUSH BarControls::CountLabelColours(HWND control, HDC dc) {
    if (control != lblNetstatConnections)
        return nullptr;
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, kTitleColour);
    if (!titleBrush_)
        titleBrush_.reset(CreateSolidBrush(kTitleColour));
    return titleBrush_.get();
}

}  // namespace portlight
