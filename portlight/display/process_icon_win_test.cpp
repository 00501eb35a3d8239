#include "display/process_icon_win.h"

#include <gtest/gtest.h>

#include "sample_process.h"

namespace portlight {
namespace {

using samples::BesideThisProgram;

COLORREF PixelOf(IconCanvas& canvas, int x, int y) {
    COLORREF colour = 0;
    canvas.Draw([&](HDC dc) { colour = GetPixel(dc, x, y); });
    return colour;
}

// An executable's own icon is drawn into both canvases; a file without icons leaves the
// default picture in the large one.
TEST(LoadProcessIcon, DrawsOwnIconOrDefault) {
    const COLORREF background = RGB(1, 2, 3);
    IconCanvas large(32, 32, background);
    IconCanvas small(16, 16, background);
    IconCanvas picDefault(32, 32, RGB(200, 0, 200));

    EXPECT_TRUE(
        LoadProcessIcon(BesideThisProgram("portlight-sample-app.exe"), large, small, picDefault));
    // The sample icon is a green tile with a white diamond in the middle.
    COLORREF corner = PixelOf(large, 1, 1);
    EXPECT_GT(GetGValue(corner), 120) << std::hex << corner;
    EXPECT_LT(GetRValue(corner), 60);
    EXPECT_EQ(PixelOf(large, 16, 16), RGB(255, 255, 255));
    EXPECT_GT(GetGValue(PixelOf(small, 1, 1)), 120);

    EXPECT_FALSE(
        LoadProcessIcon(BesideThisProgram("portlight-sample-plain.exe"), large, small, picDefault));
    EXPECT_EQ(PixelOf(large, 16, 16), RGB(200, 0, 200));
    EXPECT_FALSE(LoadProcessIcon("C:\\no\\such\\file.exe", large, small, picDefault));
}

}  // namespace
}  // namespace portlight
