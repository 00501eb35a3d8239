// Geometry of the details window frmNetstatsInfo: every control's design position in twips,
// and the proportional layout that scales the positions recorded at load with the window's
// client size.
#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace portlight {

enum class DetailsControl : int {
    picNetstatsInfo,
    lstNetstatsInfo,
    lblNetstatsInfo,
    cmdNetstatsRefresh,
    cmdNetstatsTerminate,
    cmdNetstatsWhoIs,
    cmdNetstatsPing,
    cmdNetstatsTrace,
    cmdNetstatsCopy,
    cmdExitNetstatInfo,
};
inline constexpr int kDetailsControlCount = 10;

struct LayoutRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool operator==(const LayoutRect&) const = default;
};

struct DetailsDesign {
    DetailsControl control;
    LayoutRect twips;
    std::string_view caption;
    std::string_view toolTip;
    bool keepHeight = false;  // drop-down lists keep their own height
};

// The design client area: the container picNetstatsInfo that holds everything.
inline constexpr int kDetailsDesignWidthTwips = 7335;
inline constexpr int kDetailsDesignHeightTwips = 5055;

// Every control at its design position, in DetailsControl order.
const std::array<DetailsDesign, kDetailsControlCount>& DetailsDesignTable();

// The layout memory: each control's rectangle and the client size, in pixels, as recorded
// when the window is loaded.
struct LayoutMemory {
    std::vector<LayoutRect> controls;
    std::vector<bool> keepHeight;
    int clientWidth = 0;
    int clientHeight = 0;
};

// Design twips at the screen's real resolution.
int TwipsToPixelsAt(int twips, int dpi);
LayoutMemory DesignLayoutInPixels(int dpiX, int dpiY);

// Proportional layout for a new client size: each left and width scaled by
// current width / design width, each top and height by current height / design height
// (heights of keepHeight controls untouched). Nothing (nullopt) when the window is
// minimised or the recorded client size is empty.
std::optional<std::vector<LayoutRect>> ScaleLayout(const LayoutMemory& memory,
                                                   int clientWidth,
                                                   int clientHeight,
                                                   bool minimised);

// The horizontal scroll range of the list: the pixel width of the long sample line in the
// list's font, plus 20 pixels.
inline constexpr char kLongSampleLine[] =
    "Very long string, that might require a horisontal scroll bar on the ListBox control in "
    "order to be able to view it.";
inline constexpr int kHorizontalExtentMargin = 20;

}  // namespace portlight
