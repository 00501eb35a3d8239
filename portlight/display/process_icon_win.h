// Drawing surfaces for process pictures and LoadProcessIcon, which draws an executable's
// first icon into them.
#pragma once

#include <windows.h>

#include <string>

#include "common/win32/handles_win.h"

namespace portlight {

// An owned bitmap of fixed size that pictures are drawn into and copied from (picLarge,
// picSmall and the stock pictures).
class IconCanvas {
  public:
    IconCanvas(int width, int height, COLORREF background);
    IconCanvas(const IconCanvas&) = delete;
    IconCanvas& operator=(const IconCanvas&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    COLORREF background() const { return background_; }
    HBITMAP bitmap() const { return bitmap_.get(); }  // owned; borrowers must not delete it

    // Fills the canvas with its background colour.
    void Clear();
    // Draws `icon` stretched to the whole canvas (DI_NORMAL).
    void DrawIcon(HICON icon);
    // Copies another canvas's picture, stretched to this size.
    void CopyFrom(const IconCanvas& other);
    // Paints the picture stretched into `target` on `dc`.
    void PaintTo(HDC dc, const RECT& target) const;

    // Runs `draw` with a memory device context selected on the canvas.
    template <typename DrawFn>
    void Draw(DrawFn draw) {
        win32::ScreenDC screen = win32::GetScreenDC();
        win32::MemoryDC memory(CreateCompatibleDC(screen.get()));
        win32::SelectObjectScope select(memory.get(), bitmap_.get());
        draw(memory.get());
    }

  private:
    int width_;
    int height_;
    COLORREF background_;
    win32::Bitmap bitmap_;
};

// Draws the first icon of `path` into `picLarge` (32 x 32) and `picSmall` (16 x 16); a file
// without icons leaves `picDefault`'s picture in `picLarge`. Returns true when the file's
// own icon was drawn.
bool LoadProcessIcon(const std::string& path,
                     IconCanvas& picLarge,
                     IconCanvas& picSmall,
                     const IconCanvas& picDefault);

}  // namespace portlight
