#include "display/process_icon_win.h"

#include <shellapi.h>

#include <optional>

#include "capture/wow64_redirection_win.h"

namespace portlight {

IconCanvas::IconCanvas(int width, int height, COLORREF background)
    : width_(width), height_(height), background_(background) {
    win32::ScreenDC screen = win32::GetScreenDC();
    bitmap_.reset(CreateCompatibleBitmap(screen.get(), width, height));
    Clear();
}

void IconCanvas::Clear() {
    Draw([&](HDC dc) {
        win32::Brush brush(CreateSolidBrush(background_));
        RECT all = {0, 0, width_, height_};
        FillRect(dc, &all, brush.get());
    });
}

void IconCanvas::DrawIcon(HICON icon) {
    Draw([&](HDC dc) { DrawIconEx(dc, 0, 0, icon, width_, height_, 0, nullptr, DI_NORMAL); });
}

void IconCanvas::CopyFrom(const IconCanvas& other) {
    win32::ScreenDC screen = win32::GetScreenDC();
    win32::MemoryDC source(CreateCompatibleDC(screen.get()));
    win32::SelectObjectScope select(source.get(), other.bitmap_.get());
    Draw([&](HDC dc) {
        SetStretchBltMode(dc, HALFTONE);
        StretchBlt(dc, 0, 0, width_, height_, source.get(), 0, 0, other.width_, other.height_,
                   SRCCOPY);
    });
}

void IconCanvas::PaintTo(HDC dc, const RECT& target) const {
    win32::MemoryDC source(CreateCompatibleDC(dc));
    win32::SelectObjectScope select(source.get(), bitmap_.get());
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, target.left, target.top, target.right - target.left, target.bottom - target.top,
               source.get(), 0, 0, width_, height_, SRCCOPY);
}

bool LoadProcessIcon(const std::string& path,
                     IconCanvas& picLarge,
                     IconCanvas& picSmall,
                     const IconCanvas& picDefault) {
    win32::Icon large;
    win32::Icon small;
    // A 64-bit program's System32 path would be redirected to its 32-bit twin.
    std::optional<Wow64RedirectionOff> unredirected(std::in_place);
    // Both calls answer UINT_MAX for a file that cannot be read, and then leave the handle
    // outputs untouched: only a real count makes the handles worth looking at.
    UINT count = ExtractIconExA(path.c_str(), -1, nullptr, nullptr, 0);
    bool haveIcon = false;
    if (count > 0 && count != UINT_MAX) {
        HICON bigHandle = nullptr;
        HICON smallHandle = nullptr;
        UINT extracted = ExtractIconExA(path.c_str(), 0, &bigHandle, &smallHandle, 1);
        if (extracted > 0 && extracted != UINT_MAX) {
            large.reset(bigHandle);
            small.reset(smallHandle);
            haveIcon = bigHandle || smallHandle;
        }
    }
    unredirected.reset();
    if (!haveIcon) {
        picLarge.CopyFrom(picDefault);
        return false;
    }
    // A file with only one size gets that picture in both canvases.
    HICON big = large.get() ? large.get() : small.get();
    HICON little = small.get() ? small.get() : large.get();
    picLarge.Clear();
    picLarge.DrawIcon(big);
    picSmall.Clear();
    picSmall.DrawIcon(little);
    return true;
}

}  // namespace portlight
