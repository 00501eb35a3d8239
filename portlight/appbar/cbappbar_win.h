// CBAppBar: the window-procedure hook that routes a host window's messages to its docking
// object. Process-wide state: one hooked window per process; a second attach replaces the
// first.
#pragma once

#include <windows.h>

namespace appbar {
class TAppBar;

namespace CBAppBar {

// Installs AppBarWindowProc on `form` and remembers the previous procedure. `bar` is
// borrowed; it must outlive the hook (TAppBar::Detach removes it).
void AttachWindowProc(HWND form, TAppBar* bar);
// Puts the previous window procedure back.
void DetachWindowProc();
LRESULT CALLBACK AppBarWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace CBAppBar
}  // namespace appbar
