#include "display/details_layout.h"

#include <gtest/gtest.h>

namespace portlight {
namespace {

// Design twips become pixels at the screen's resolution: 15 twips per pixel at 96 dpi,
// 10 at 144 dpi.
TEST(DetailsLayout, DesignInPixels) {
    LayoutMemory at96 = DesignLayoutInPixels(96, 96);
    ASSERT_EQ(at96.controls.size(), static_cast<size_t>(kDetailsControlCount));
    EXPECT_EQ(at96.clientWidth, 489);
    EXPECT_EQ(at96.clientHeight, 337);
    const auto list = static_cast<size_t>(DetailsControl::lstNetstatsInfo);
    EXPECT_EQ(at96.controls[list], (LayoutRect{0, 16, 485, 316}));
    const auto copy = static_cast<size_t>(DetailsControl::cmdNetstatsCopy);
    EXPECT_EQ(at96.controls[copy], (LayoutRect{424, 0, 41, 17}));
    LayoutMemory at144 = DesignLayoutInPixels(144, 144);
    EXPECT_EQ(at144.controls[copy], (LayoutRect{636, 0, 62, 26}));
    EXPECT_EQ(DetailsDesignTable()[copy].caption, "Copy");
    EXPECT_EQ(DetailsDesignTable()[copy].toolTip, "Copy to ClipBoard");
}

// Every control scales with the client area, x and y apart; a drop-down keeps its height;
// a minimised window keeps its layout.
TEST(DetailsLayout, ProportionalScalingAndMinimised) {
    LayoutMemory memory;
    memory.controls = {{10, 20, 30, 40}, {100, 50, 60, 22}};
    memory.keepHeight = {false, true};
    memory.clientWidth = 200;
    memory.clientHeight = 100;

    auto doubled = ScaleLayout(memory, 400, 150, false);
    ASSERT_TRUE(doubled);
    EXPECT_EQ((*doubled)[0], (LayoutRect{20, 30, 60, 60}));
    EXPECT_EQ((*doubled)[1], (LayoutRect{200, 75, 120, 22}));

    auto same = ScaleLayout(memory, 200, 100, false);
    ASSERT_TRUE(same);
    EXPECT_EQ((*same)[0], memory.controls[0]);

    EXPECT_FALSE(ScaleLayout(memory, 0, 0, true));
    EXPECT_FALSE(ScaleLayout(memory, 400, 150, true));
    memory.clientWidth = 0;
    EXPECT_FALSE(ScaleLayout(memory, 400, 150, false));
}

}  // namespace
}  // namespace portlight
