// Window binding: one C++ object per window, and one guard that keeps exceptions out of the
// system's message dispatch. Every window procedure of both programs goes through here.
//
//   class Bar {
//       LRESULT OnMessage(HWND window, UINT message, WPARAM wp, LPARAM lp);
//   };
//   wc.lpfnWndProc = win32::WindowProc<Bar, &Bar::OnMessage>;
//   CreateWindowExA(..., instance, this);  // `this` as the creation parameter binds it
//
// The object is bound at WM_NCCREATE (from the creation parameter) or later with
// win32::Bind, receives every message from then on including WM_NCDESTROY, and is unbound
// after WM_NCDESTROY. Messages before the binding, and every message of a window whose
// object has gone, get DefWindowProc. A handler that throws gets DefWindowProc's answer for
// that message; the window stays usable. Dialogs use win32::Dialog (dialog_win.h), which
// binds at WM_INITDIALOG with the same guard.
#pragma once

#include <windows.h>

namespace win32 {

// Runs `handler` for one message; if it throws, answers with DefWindowProc instead.
template <typename Handler>
LRESULT Guarded(HWND window, UINT message, WPARAM wp, LPARAM lp, Handler&& handler) noexcept {
    try {
        return handler();
    } catch (...) {
        // No exception may cross into the system's message dispatch.
        return DefWindowProcA(window, message, wp, lp);
    }
}

// Binds `object` to `window` (for windows created without a creation parameter); null
// unbinds.
inline void Bind(HWND window, void* object) {
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
}

template <typename T>
T* BoundObject(HWND window) {
    return reinterpret_cast<T*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// The window procedure for windows bound to a T: calls (object->*Handler)(window, message,
// wp, lp) inside the guard.
template <typename T, LRESULT (T::*Handler)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_NCCREATE) {
        void* param = reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams;
        if (param)
            Bind(window, param);
    }
    T* self = BoundObject<T>(window);
    if (!self)
        return DefWindowProcA(window, message, wp, lp);
    LRESULT result =
        Guarded(window, message, wp, lp, [&] { return (self->*Handler)(window, message, wp, lp); });
    if (message == WM_NCDESTROY)
        Bind(window, nullptr);
    return result;
}

// A window procedure for windows without an object (a plain colour panel, say): `Handler`
// is a free function, called inside the guard.
template <LRESULT (*Handler)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK GuardedProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    return Guarded(window, message, wp, lp, [&] { return Handler(window, message, wp, lp); });
}

}  // namespace win32
