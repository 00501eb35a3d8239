// The docking rules as pure functions of their inputs: where a docked or auto-hidden bar
// goes, the frames of a slide, which edge a point proposes, the sizing grid, the hit-test
// mapping and the size limits. TAppBar feeds them from the window system.
#pragma once

#include <cstdint>
#include <span>

#include "appbar/appbar_record.h"
#include "appbar/appbar_types.h"

namespace appbar {

// The primary screen's metrics, read at the time of use.
struct ScreenMetrics {
    Size screen;       // SM_CXSCREEN, SM_CYSCREEN
    Size border;       // SM_CXBORDER, SM_CYBORDER
    Size doubleClick;  // SM_CXDOUBLECLK, SM_CYDOUBLECLK
    Size scrollBar;    // SM_CXVSCROLL, SM_CYHSCROLL
};

// Right and bottom lines count as inside, as the docking rules test points.
bool ContainsInclusive(const Rect& r, Point p);
Rect Inflate(const Rect& r, int32_t dx, int32_t dy);

// A point packed into a message's 32 bits; each word's top bit is masked off, so
// coordinates are never negative.
Point UnpackPoint(uint32_t packed);

// Cuts the space available on `edge` down to the bar's thickness. Edges 4 and 5 leave it.
Rect CutToThickness(Rect available, int32_t edge, int32_t dockedWidth, int32_t dockedHeight);

// The bar's rectangle moved to its shown or hidden auto-hide position on `edge` (0-3),
// keeping its size. Hidden, it leaves a strip of twice the border width on screen.
Rect AutoHidePosition(const Rect& bar, int32_t edge, bool shown, Size screen, Size border);

// One frame of a slide from `from` to `to`, `elapsed` of `duration` milliseconds in.
// Products come first, quotients truncate toward zero.
Rect SlideFrame(const Rect& from, const Rect& to, int64_t elapsed, int64_t duration);

// The nearest allowed edge for a point; the screen's diagonals split it into four
// triangles and a point on a diagonal goes to left or right. `workArea` is the desktop
// work area, shrunk by the scroll-bar sizes before the floating test.
int32_t EdgeFromPoint(int32_t mask,
                      Point p,
                      const ScreenMetrics& m,
                      const Rect& workArea,
                      int32_t storedEdge);

// Floating rectangle under the cursor when a drag leaves the docked state: centred
// horizontally on the cursor, its top at the cursor.
Rect FloatUnderCursor(const Rect& floatRect, Point cursor);

// Nearest grid point for a dragged length; step 0 leaves the proposal.
int32_t SnapToGrid(int32_t proposed, int32_t base, int32_t step);

// WM_SIZING: snaps the proposal to the grid and rebuilds it around the side opposite to
// the dragged one.
Rect SizeToGrid(const Rect& proposed, int32_t side, Size base, int32_t horzStep, int32_t vertStep);

inline bool IsSizingBorder(int32_t hit) {
    return hit >= ht::Left && hit <= ht::BottomRight;
}

// Hit-test code of a sizing border of a floating bar, by the directions that may be sized.
int32_t MapFloatingBorder(int32_t hit, int32_t horzStep, int32_t vertStep);

// Hit-test code of a sizing border of a docked bar: only the side facing the screen's
// interior sizes, and only when its direction has a step. `client` is the point in
// client coordinates, `clientSize` the client area's size.
int32_t MapDockedBorder(int32_t hit,
                        int32_t edge,
                        int32_t horzStep,
                        int32_t vertStep,
                        Point client,
                        Size clientSize);

struct TrackLimits {
    Size minTrack;
    Size maxTrack;
};

// WM_GETMINMAXINFO tracking limits for a floating (edge 5) or docked bar.
TrackLimits SizeLimits(const AppBarRecord& r, int32_t edge, Size screen);

// A control of the host window in client pixels.
struct ControlBox {
    Rect rect;
    bool visible = true;
    bool enabled = true;
};

bool PointOverControl(std::span<const ControlBox> controls, Point client, bool acceptDisabled);

enum class ZOrder { NotTopmost, Topmost, Bottom };

// Topmost when asked, but beneath everything while a full-screen application is open.
ZOrder ChooseZOrder(bool alwaysOnTop, bool fullScreenAppOpen);

enum class StyleChange { Set, Clear, Leave };

// WS_EX_APPWINDOW by TaskbarButton and edge.
StyleChange TaskbarButtonChange(int32_t taskbarButton, int32_t edge);

// Whether the auto-hide timer may hide the bar: the cursor is farther than twice the
// double-click distance from the bar's window.
bool CursorAwayFromBar(Point cursor, const Rect& window, Size doubleClick);

}  // namespace appbar
