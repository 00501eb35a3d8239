#include "common/win32/screen_win.h"

#include "common/win32/handles_win.h"

namespace win32 {

Dpi ScreenDpi() {
    ScreenDC screen = GetScreenDC();
    if (!screen)
        return {};
    return {GetDeviceCaps(screen.get(), LOGPIXELSX), GetDeviceCaps(screen.get(), LOGPIXELSY)};
}

}  // namespace win32
