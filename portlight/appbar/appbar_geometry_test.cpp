#include "appbar/appbar_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace appbar {
namespace {

constexpr Size kScreen{1280, 800};

ScreenMetrics Metrics() {
    return {kScreen, {1, 1}, {4, 4}, {17, 17}};
}

// The docked strip keeps the available space on its edge and the bar's thickness.
TEST(AppBarGeometry, CutToThicknessPerEdge) {
    const Rect avail{10, 20, 1270, 780};
    EXPECT_EQ(CutToThickness(avail, EdgeLeft, 90, 60), (Rect{10, 20, 100, 780}));
    EXPECT_EQ(CutToThickness(avail, EdgeTop, 90, 60), (Rect{10, 20, 1270, 80}));
    EXPECT_EQ(CutToThickness(avail, EdgeRight, 90, 60), (Rect{1180, 20, 1270, 780}));
    EXPECT_EQ(CutToThickness(avail, EdgeBottom, 90, 60), (Rect{10, 720, 1270, 780}));
    EXPECT_EQ(CutToThickness(avail, EdgeFloat, 90, 60), avail);
    EXPECT_EQ(CutToThickness(avail, EdgeNone, 90, 60), avail);
}

// Shown bars sit on their edge; hidden ones leave twice the border width on screen.
TEST(AppBarGeometry, AutoHidePositions) {
    const Size border{2, 1};
    const Rect top{0, 0, 1280, 80};
    const Rect hiddenTop = AutoHidePosition(top, EdgeTop, false, kScreen, border);
    EXPECT_EQ(hiddenTop, (Rect{0, -78, 1280, 2}));
    EXPECT_EQ(hiddenTop.bottom, 2 * border.cy);  // exactly 2 x SM_CYBORDER rows remain
    EXPECT_EQ(AutoHidePosition(hiddenTop, EdgeTop, true, kScreen, border), top);

    const Rect side{500, 300, 560, 800};  // 60 x 500, anywhere on screen
    EXPECT_EQ(AutoHidePosition(side, EdgeLeft, true, kScreen, border), (Rect{0, 0, 60, 500}));
    EXPECT_EQ(AutoHidePosition(side, EdgeLeft, false, kScreen, border), (Rect{-56, 0, 4, 500}));
    EXPECT_EQ(AutoHidePosition(side, EdgeRight, true, kScreen, border), (Rect{1220, 0, 1280, 500}));
    EXPECT_EQ(AutoHidePosition(side, EdgeRight, false, kScreen, border),
              (Rect{1276, 0, 1336, 500}));
    EXPECT_EQ(AutoHidePosition(side, EdgeBottom, true, kScreen, border), (Rect{0, 300, 60, 800}));
    EXPECT_EQ(AutoHidePosition(side, EdgeBottom, false, kScreen, border), (Rect{0, 798, 60, 1298}));
    EXPECT_EQ(AutoHidePosition(side, EdgeFloat, false, kScreen, border), side);
}

// Start, middle and end of a slide onto a smaller rectangle; every quotient truncates
// toward zero, also when the difference is negative.
TEST(AppBarGeometry, SlideFrames) {
    const Rect from{0, 0, 1280, 80};  // 1280 x 80
    const Rect to{7, -77, 1007, 3};   // 1000 x 80 further right and up
    EXPECT_EQ(SlideFrame(from, to, 0, 400), from);
    EXPECT_EQ(SlideFrame(from, to, 400, 400), to);
    // k/T = 1/2: x = 0 - (0 - 7) / 2 = 0 - (-3) = 3 (floor division would give 4);
    // y = 0 - 77 / 2 = -38; width = 1280 - 280 / 2 = 1140.
    EXPECT_EQ(SlideFrame(from, to, 200, 400), (Rect{3, -38, 1143, 42}));
    // k/T = 1/3: x = 0 - (-7) / 3 = 2; y = 0 - 77 / 3 = -25; width = 1280 - 280 / 3 = 1187.
    EXPECT_EQ(SlideFrame(from, to, 1, 3), (Rect{2, -25, 1189, 55}));
    // Large products do not overflow.
    const Rect far{-2000000, 0, 2000000, 10};
    EXPECT_EQ(SlideFrame(far, from, 999, 1000).left, -2000000 + 2000000 * 999 / 1000);
    EXPECT_EQ(SlideFrame(from, to, 5, 0), to);
}

// The diagonals split the screen; a tie goes to left or right; disallowed candidates fall
// back to floating or to the stored edge.
TEST(AppBarGeometry, EdgeFromPointDiagonals) {
    const Rect work{0, 0, 1280, 800};
    const ScreenMetrics m = Metrics();
    // Exactly on the diagonals: |dy| * 1280 == |dx| * 800.
    EXPECT_EQ(EdgeFromPoint(15, {0, 0}, m, work, EdgeTop), EdgeLeft);
    EXPECT_EQ(EdgeFromPoint(15, {1280, 800}, m, work, EdgeTop), EdgeRight);
    EXPECT_EQ(EdgeFromPoint(15, {0, 800}, m, work, EdgeTop), EdgeLeft);
    EXPECT_EQ(EdgeFromPoint(15, {1280, 0}, m, work, EdgeTop), EdgeRight);
    EXPECT_EQ(EdgeFromPoint(15, {8, 5}, m, work, EdgeTop), EdgeLeft);  // 395*1280 == 632*800
    // Just off the diagonals.
    EXPECT_EQ(EdgeFromPoint(15, {1, 0}, m, work, EdgeLeft), EdgeTop);
    EXPECT_EQ(EdgeFromPoint(15, {0, 1}, m, work, EdgeTop), EdgeLeft);
    EXPECT_EQ(EdgeFromPoint(15, {640, 799}, m, work, EdgeTop), EdgeBottom);
    EXPECT_EQ(EdgeFromPoint(15, {640, 400}, m, work, EdgeTop), EdgeRight);  // centre: a tie
    // Top only: the candidate left is not allowed, so the stored edge stays.
    EXPECT_EQ(EdgeFromPoint(AllowTop, {0, 400}, m, work, EdgeTop), EdgeTop);
    EXPECT_EQ(EdgeFromPoint(AllowTop, {640, 790}, m, work, EdgeTop), EdgeTop);
    EXPECT_EQ(EdgeFromPoint(AllowTop, {640, 3}, m, work, EdgeBottom), EdgeTop);
}

// With floating allowed, the work area shrunk by the scroll-bar sizes floats (inclusive),
// and so does a mask without edges or a disallowed candidate.
TEST(AppBarGeometry, EdgeFromPointFloating) {
    const Rect work{0, 0, 1280, 770};
    const ScreenMetrics m = Metrics();
    const int32_t mask = AllowFloat | AllowTop;
    EXPECT_EQ(EdgeFromPoint(mask, {17, 17}, m, work, EdgeTop), EdgeFloat);
    EXPECT_EQ(EdgeFromPoint(mask, {1263, 753}, m, work, EdgeTop), EdgeFloat);
    EXPECT_EQ(EdgeFromPoint(mask, {640, 16}, m, work, EdgeLeft), EdgeTop);
    EXPECT_EQ(EdgeFromPoint(mask, {16, 400}, m, work, EdgeTop), EdgeFloat);  // left not allowed
    EXPECT_EQ(EdgeFromPoint(AllowFloat, {0, 0}, m, work, EdgeTop), EdgeFloat);
    EXPECT_EQ(EdgeFromPoint(31, {2, 400}, m, work, EdgeTop), EdgeLeft);
}

TEST(AppBarGeometry, FloatUnderCursorCentresHorizontally) {
    EXPECT_EQ(FloatUnderCursor({10, 10, 211, 61}, {300, 40}), (Rect{200, 40, 401, 91}));
}

// Nearest grid point from the base; step 0 leaves the proposal.
TEST(AppBarGeometry, SizingGrid) {
    EXPECT_EQ(SnapToGrid(23, 5, 10), 25);
    EXPECT_EQ(SnapToGrid(19, 5, 10), 15);
    EXPECT_EQ(SnapToGrid(20, 5, 10), 25);  // half a step rounds up
    EXPECT_EQ(SnapToGrid(77, 5, 0), 77);
    EXPECT_EQ(SnapToGrid(3, 5, 10), 5);  // (-2 + 5) / 10 = 0

    const Rect p{100, 100, 223, 219};  // 123 x 119, snaps to 120 x 120 with base 0 / step 10
    const Size base{0, 0};
    EXPECT_EQ(SizeToGrid(p, wmsz::Left, base, 10, 10), (Rect{103, 100, 223, 219}));
    EXPECT_EQ(SizeToGrid(p, wmsz::Right, base, 10, 10), (Rect{100, 100, 220, 219}));
    EXPECT_EQ(SizeToGrid(p, wmsz::Top, base, 10, 10), (Rect{100, 99, 223, 219}));
    EXPECT_EQ(SizeToGrid(p, wmsz::Bottom, base, 10, 10), (Rect{100, 100, 223, 220}));
    EXPECT_EQ(SizeToGrid(p, wmsz::TopLeft, base, 10, 10), (Rect{103, 99, 223, 219}));
    EXPECT_EQ(SizeToGrid(p, wmsz::TopRight, base, 10, 10), (Rect{100, 99, 220, 219}));
    EXPECT_EQ(SizeToGrid(p, wmsz::BottomLeft, base, 10, 10), (Rect{103, 100, 223, 220}));
    EXPECT_EQ(SizeToGrid(p, wmsz::BottomRight, base, 10, 10), (Rect{100, 100, 220, 220}));
    EXPECT_EQ(SizeToGrid(p, wmsz::BottomRight, base, 0, 0), p);
}

// With no size steps every sizing border of a docked or floating bar is a plain border.
TEST(AppBarGeometry, ZeroStepsTurnEveryBorderIntoHtBorder) {
    for (int32_t hit = ht::Left; hit <= ht::BottomRight; ++hit) {
        EXPECT_EQ(MapFloatingBorder(hit, 0, 0), ht::Border) << hit;
        for (int32_t edge = EdgeLeft; edge <= EdgeBottom; ++edge) {
            // Points inside and beyond the client area alike.
            EXPECT_EQ(MapDockedBorder(hit, edge, 0, 0, {-5, -5}, {100, 50}), ht::Border);
            EXPECT_EQ(MapDockedBorder(hit, edge, 0, 0, {105, 55}, {100, 50}), ht::Border);
        }
    }
}

// A floating bar's corners keep the directions that may be sized.
TEST(AppBarGeometry, FloatingBorders) {
    EXPECT_EQ(MapFloatingBorder(ht::Left, 1, 0), ht::Left);
    EXPECT_EQ(MapFloatingBorder(ht::Top, 1, 0), ht::Border);
    EXPECT_EQ(MapFloatingBorder(ht::Bottom, 0, 1), ht::Bottom);
    EXPECT_EQ(MapFloatingBorder(ht::Right, 0, 1), ht::Border);
    EXPECT_EQ(MapFloatingBorder(ht::TopLeft, 1, 0), ht::Left);
    EXPECT_EQ(MapFloatingBorder(ht::BottomRight, 1, 0), ht::Right);
    EXPECT_EQ(MapFloatingBorder(ht::TopRight, 0, 1), ht::Top);
    EXPECT_EQ(MapFloatingBorder(ht::BottomLeft, 0, 1), ht::Bottom);
    EXPECT_EQ(MapFloatingBorder(ht::TopRight, 5, 5), ht::TopRight);
}

// A docked bar sizes only from the side facing the screen's interior.
TEST(AppBarGeometry, DockedBorders) {
    const Size client{100, 50};
    EXPECT_EQ(MapDockedBorder(ht::Bottom, EdgeTop, 0, 1, {10, 51}, client), ht::Bottom);
    EXPECT_EQ(MapDockedBorder(ht::BottomLeft, EdgeTop, 0, 1, {-1, 51}, client), ht::Bottom);
    EXPECT_EQ(MapDockedBorder(ht::Bottom, EdgeTop, 0, 1, {10, 50}, client), ht::Border);
    EXPECT_EQ(MapDockedBorder(ht::Top, EdgeTop, 0, 1, {10, -1}, client), ht::Border);
    EXPECT_EQ(MapDockedBorder(ht::Right, EdgeLeft, 1, 0, {101, 5}, client), ht::Right);
    EXPECT_EQ(MapDockedBorder(ht::Left, EdgeLeft, 1, 0, {-1, 5}, client), ht::Border);
    EXPECT_EQ(MapDockedBorder(ht::Left, EdgeRight, 1, 0, {-1, 5}, client), ht::Left);
    EXPECT_EQ(MapDockedBorder(ht::Top, EdgeBottom, 0, 1, {5, -1}, client), ht::Top);
    // The other direction's step does not matter, the bar's own one does.
    EXPECT_EQ(MapDockedBorder(ht::Bottom, EdgeTop, 1, 0, {10, 51}, client), ht::Border);
}

TEST(AppBarGeometry, SizeLimits) {
    AppBarRecord r = DefaultRecord(kScreen);
    r.FloatMinWidth = 50;
    r.FloatMinHeight = 20;
    r.FloatMaxWidth = 900;
    r.FloatMaxHeight = 600;
    r.DockedMinWidth = 30;
    r.DockedMinHeight = 40;
    r.DockedMaxWidth = 300;
    r.DockedMaxHeight = 200;
    const TrackLimits f = SizeLimits(r, EdgeFloat, kScreen);
    EXPECT_EQ(f.minTrack, (Size{50, 20}));
    EXPECT_EQ(f.maxTrack, (Size{900, 600}));
    const TrackLimits top = SizeLimits(r, EdgeTop, kScreen);
    EXPECT_EQ(top.minTrack, (Size{30, 40}));
    EXPECT_EQ(top.maxTrack, (Size{1280, 200}));
    EXPECT_EQ(SizeLimits(r, EdgeBottom, kScreen).maxTrack, (Size{1280, 200}));
    EXPECT_EQ(SizeLimits(r, EdgeLeft, kScreen).maxTrack, (Size{300, 800}));
    EXPECT_EQ(SizeLimits(r, EdgeRight, kScreen).maxTrack, (Size{300, 800}));
    EXPECT_EQ(SizeLimits(r, EdgeNone, kScreen).maxTrack, kScreen);
}

// Inclusive rectangles, visible controls only, disabled ones only when accepted.
TEST(AppBarGeometry, PointOverControl) {
    const std::vector<ControlBox> controls = {
        {{10, 10, 20, 20}, false, true},
        {{30, 10, 40, 20}, true, false},
        {{50, 10, 60, 20}, true, true},
    };
    EXPECT_TRUE(PointOverControl(controls, {50, 10}, false));
    EXPECT_TRUE(PointOverControl(controls, {60, 20}, false));
    EXPECT_FALSE(PointOverControl(controls, {61, 20}, false));
    EXPECT_FALSE(PointOverControl(controls, {15, 15}, true));  // invisible
    EXPECT_FALSE(PointOverControl(controls, {35, 15}, false));
    EXPECT_TRUE(PointOverControl(controls, {35, 15}, true));
    EXPECT_FALSE(PointOverControl({}, {0, 0}, true));
}

TEST(AppBarGeometry, ZOrderAndTaskbarButtonChoices) {
    EXPECT_EQ(ChooseZOrder(false, false), ZOrder::NotTopmost);
    EXPECT_EQ(ChooseZOrder(false, true), ZOrder::NotTopmost);
    EXPECT_EQ(ChooseZOrder(true, false), ZOrder::Topmost);
    EXPECT_EQ(ChooseZOrder(true, true), ZOrder::Bottom);

    for (int32_t edge = EdgeLeft; edge <= EdgeFloat; ++edge) {
        EXPECT_EQ(TaskbarButtonChange(TaskbarAlways, edge), StyleChange::Set);
        EXPECT_EQ(TaskbarButtonChange(TaskbarNever, edge), StyleChange::Clear);
        EXPECT_EQ(TaskbarButtonChange(7, edge), StyleChange::Leave);
    }
    EXPECT_EQ(TaskbarButtonChange(TaskbarWhenFloating, EdgeFloat), StyleChange::Set);
    EXPECT_EQ(TaskbarButtonChange(TaskbarWhenFloating, EdgeTop), StyleChange::Clear);
    EXPECT_EQ(TaskbarButtonChange(TaskbarWhenFloating, EdgeNone), StyleChange::Leave);
}

// The auto-hide check spares a cursor within twice the double-click distance, lines
// included.
TEST(AppBarGeometry, CursorAwayFromBar) {
    const Rect bar{0, -78, 1280, 2};
    const Size dbl{4, 4};
    EXPECT_FALSE(CursorAwayFromBar({640, 1}, bar, dbl));
    EXPECT_FALSE(CursorAwayFromBar({640, 10}, bar, dbl));
    EXPECT_TRUE(CursorAwayFromBar({640, 11}, bar, dbl));
    EXPECT_FALSE(CursorAwayFromBar({1288, 5}, bar, dbl));
    EXPECT_TRUE(CursorAwayFromBar({1289, 5}, bar, dbl));
}

TEST(AppBarGeometry, UnpackPointMasksTheSignBits) {
    EXPECT_EQ(UnpackPoint(0x00500020u), (Point{0x20, 0x50}));
    EXPECT_EQ(UnpackPoint(0xFFFFFFFEu), (Point{0x7FFE, 0x7FFF}));  // (-2, -1) packed
}

}  // namespace
}  // namespace appbar
