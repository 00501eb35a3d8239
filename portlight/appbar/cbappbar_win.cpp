#include "appbar/cbappbar_win.h"

#include "appbar/tappbar.h"

namespace appbar::CBAppBar {
namespace {

HWND g_form = nullptr;
TAppBar* g_bar = nullptr;
WNDPROC g_previous = nullptr;

constexpr LRESULT kNotHandled = -1;

Rect FromRECT(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}
void ToRECT(const Rect& r, RECT* out) {
    *out = {r.left, r.top, r.right, r.bottom};
}

// Messages the object handles before the previous procedure; kNotHandled passes them on.
LRESULT Before(TAppBar& bar, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETMINMAXINFO: {
            const TrackLimits limits = bar.OnGetMinMaxInfo();
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {limits.minTrack.cx, limits.minTrack.cy};
            info->ptMaxTrackSize = {limits.maxTrack.cx, limits.maxTrack.cy};
            return 0;
        }
        case WM_NCMOUSEMOVE:
            bar.OnNcMouseMove();
            return kNotHandled;
        case WM_TIMER:
            bar.OnTimer();
            return kNotHandled;
        case WM_SIZING: {
            auto* rect = reinterpret_cast<RECT*>(lParam);
            Rect r = FromRECT(*rect);
            bar.OnSizing(static_cast<int32_t>(wParam), r);
            ToRECT(r, rect);
            return 0;
        }
        case WM_MOVING: {
            auto* rect = reinterpret_cast<RECT*>(lParam);
            Rect r = FromRECT(*rect);
            bar.OnMoving(r);
            ToRECT(r, rect);
            return 0;
        }
        case WM_ENTERSIZEMOVE:
            bar.OnEnterSizeMove();
            return 0;
        case WM_EXITSIZEMOVE:
            bar.OnExitSizeMove();
            return 0;
        case kCallbackMessage:
            bar.OnShellNotification(static_cast<uint32_t>(wParam), lParam);
            return 0;
        default:
            return kNotHandled;
    }
}

// Messages the object sees after the previous procedure; returns the result to give back.
LRESULT After(TAppBar& bar, UINT message, WPARAM wParam, LPARAM lParam, LRESULT result) {
    switch (message) {
        case WM_ACTIVATE:
            bar.OnActivate(LOWORD(wParam) == WA_INACTIVE);
            return result;
        case WM_WINDOWPOSCHANGED:
            bar.OnWindowPosChanged();
            return result;
        case WM_NCHITTEST:
            return bar.OnNcHitTest(static_cast<int32_t>(result), static_cast<uint32_t>(lParam));
        default:
            return result;
    }
}

}  // namespace

void AttachWindowProc(HWND form, TAppBar* bar) {
    if (g_form && g_previous && IsWindow(g_form)) {
        DetachWindowProc();  // one hooked window per process
    }
    g_form = form;
    g_bar = bar;
    g_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(form, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AppBarWindowProc)));
}

void DetachWindowProc() {
    if (g_form && g_previous) {
        SetWindowLongPtrA(g_form, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous));
    }
    g_form = nullptr;
    g_bar = nullptr;
    g_previous = nullptr;
}

LRESULT CALLBACK AppBarWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = g_previous;
    TAppBar* bar = window == g_form ? g_bar : nullptr;
    if (!previous) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (bar) {
        try {
            const LRESULT handled = Before(*bar, message, wParam, lParam);
            if (handled != kNotHandled) {
                return handled;
            }
        } catch (...) {
            // No exception may cross into the system's message dispatch.
        }
    }
    LRESULT result = CallWindowProcA(previous, window, message, wParam, lParam);
    // The previous procedure may have detached the object (unload runs inside it).
    bar = window == g_form ? g_bar : nullptr;
    if (bar) {
        try {
            result = After(*bar, message, wParam, lParam, result);
        } catch (...) {
        }
    }
    return result;
}

}  // namespace appbar::CBAppBar
