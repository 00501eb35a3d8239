#include "common/win32/dialog_win.h"

namespace win32 {

INT_PTR Dialog::RunModal(HINSTANCE instance, int templateId, HWND owner) {
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, Procedure,
                           reinterpret_cast<LPARAM>(this));
}

HWND Dialog::CreateModeless(HINSTANCE instance, int templateId, HWND parent) {
    return CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), parent, Procedure,
                              reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    // Messages sent before WM_INITDIALOG (WM_SETFONT, WM_NCCREATE) have no object yet.
    if (!self)
        return FALSE;
    INT_PTR result = FALSE;
    try {
        result = self->Dispatch(message, wParam, lParam);
    } catch (...) {
        ::EndDialog(hwnd, IDABORT);
        result = TRUE;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_TIMER:
            OnTimer(wParam);
            return TRUE;
        case WM_DESTROY:
            OnDestroy();
            return FALSE;
        default: {
            bool handled = false;
            INT_PTR result = OnMessage(message, wParam, lParam, handled);
            return handled ? result : FALSE;
        }
    }
}

}  // namespace win32
