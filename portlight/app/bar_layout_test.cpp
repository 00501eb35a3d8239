#include "app/bar_layout.h"

#include <gtest/gtest.h>

namespace portlight {
namespace {

// The widths chain as the bar's design fixes them, from the window width down.
TEST(BarLayout, WidthsFollowTheWindow) {
    BarLayout l = LayOutBar(19200);  // 1280 pixels at 96 dpi
    EXPECT_EQ(l.picNetstats.left, 1);
    EXPECT_EQ(l.picNetstats.top, 1);
    EXPECT_EQ(l.picNetstats.width, 19200 - 120);
    EXPECT_EQ(l.picActiveIcons.width, l.picNetstats.width - l.picControlBox.width - 50);
    EXPECT_EQ(l.picTitleBar.width, l.picActiveIcons.width);
    EXPECT_EQ(l.picTicker.width, l.picTitleBar.width - l.lblNetstatConnections.width - 30);
    EXPECT_EQ(l.cmdExit.top, 40);
    EXPECT_EQ(l.cmdExit.left, 19200 - l.cmdExit.width - 160);
    // The exit button sits above the control box, clear of the settings button.
    int settingsRight =
        l.picNetstats.left + l.picControlBox.left + l.cmdSettings.left + l.cmdSettings.width;
    EXPECT_LT(settingsRight, l.cmdExit.left);
}

TEST(BarLayout, TwipConversionAtRealDpi) {
    EXPECT_EQ(TwipsToPixels(1440, 96), 96);
    EXPECT_EQ(TwipsToPixels(420, 96), 28);
    EXPECT_EQ(TwipsToPixels(445, 96), 30);  // 29.67 rounds up
    EXPECT_EQ(TwipsToPixels(420, 120), 35);
    EXPECT_EQ(TwipsToPixels(1180, 96), 79);  // 78.67
    EXPECT_EQ(TwipsToPixels(-15, 96), -1);
    EXPECT_EQ(PixelsToTwips(1280, 96), 19200);
    EXPECT_EQ(PixelsToTwips(1280, 144), 12800);
}

// The docked thickness grows with the display's scale and never falls below the connection
// area and 100 twips.
TEST(BarLayout, DockedHeightFollowsTheScale) {
    EXPECT_EQ(DockedHeightPixels(96), 80);
    EXPECT_EQ(DockedHeightPixels(120), 100);
    EXPECT_EQ(DockedHeightPixels(144), 120);
    EXPECT_EQ(DockedHeightPixels(192), 160);
    for (int dpi : {72, 96, 108, 120, 144, 168, 192, 288})
        EXPECT_GE(DockedHeightPixels(dpi), DockedMinHeightPixels(dpi)) << dpi;
    EXPECT_EQ(DockedMinHeightPixels(144), 118);
}

}  // namespace
}  // namespace portlight
