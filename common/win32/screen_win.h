// Small helpers about the screen that both programs use.
#pragma once

#include <windows.h>

namespace win32 {

// Logical pixels per inch of the screen, across and down (96 at 100 %).
struct Dpi {
    int x = 96;
    int y = 96;
};
Dpi ScreenDpi();

}  // namespace win32
