#include "display/details_layout.h"

#include <cmath>

namespace portlight {

namespace {

constexpr int kTwipsPerInch = 1440;
// The small buttons stand in one row at the top, above the list.
constexpr int kButtonTop = 0;
constexpr int kButtonHeight = 255;

int Scale(int value, double factor) {
    return static_cast<int>(std::lround(value * factor));
}

}  // namespace

const std::array<DetailsDesign, kDetailsControlCount>& DetailsDesignTable() {
    using C = DetailsControl;
    static const std::array<DetailsDesign, kDetailsControlCount> table = {{
        {C::picNetstatsInfo, {0, 0, 7335, 5055}, "", ""},
        {C::lstNetstatsInfo, {0, 240, 7275, 4740}, "", ""},
        // The status label fills the row left of the buttons.
        {C::lblNetstatsInfo, {60, 15, 3360, 225}, "", ""},
        {C::cmdNetstatsRefresh,
         {3480, kButtonTop, 1095, kButtonHeight},
         "Refresh",
         "Refresh the shown content"},
        {C::cmdNetstatsTerminate,
         {4560, kButtonTop, 1095, kButtonHeight},
         "Terminate",
         "Terminate the selected process"},
        {C::cmdNetstatsWhoIs, {5640, kButtonTop, 255, kButtonHeight}, "W", "Whois this IP Address"},
        {C::cmdNetstatsPing, {5880, kButtonTop, 255, kButtonHeight}, "P", "Ping this IP Address"},
        {C::cmdNetstatsTrace,
         {6120, kButtonTop, 255, kButtonHeight},
         "T",
         "Trace Route this IP Address"},
        {C::cmdNetstatsCopy, {6360, kButtonTop, 620, kButtonHeight}, "Copy", "Copy to ClipBoard"},
        {C::cmdExitNetstatInfo,
         {7000, kButtonTop, 255, kButtonHeight},
         "X",
         "Exit Stats Information"},
    }};
    return table;
}

int TwipsToPixelsAt(int twips, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

LayoutMemory DesignLayoutInPixels(int dpiX, int dpiY) {
    LayoutMemory memory;
    for (const DetailsDesign& d : DetailsDesignTable()) {
        memory.controls.push_back(
            {TwipsToPixelsAt(d.twips.left, dpiX), TwipsToPixelsAt(d.twips.top, dpiY),
             TwipsToPixelsAt(d.twips.width, dpiX), TwipsToPixelsAt(d.twips.height, dpiY)});
        memory.keepHeight.push_back(d.keepHeight);
    }
    memory.clientWidth = TwipsToPixelsAt(kDetailsDesignWidthTwips, dpiX);
    memory.clientHeight = TwipsToPixelsAt(kDetailsDesignHeightTwips, dpiY);
    return memory;
}

std::optional<std::vector<LayoutRect>> ScaleLayout(const LayoutMemory& memory,
                                                   int clientWidth,
                                                   int clientHeight,
                                                   bool minimised) {
    if (minimised || memory.clientWidth <= 0 || memory.clientHeight <= 0)
        return std::nullopt;
    const double x = static_cast<double>(clientWidth) / memory.clientWidth;
    const double y = static_cast<double>(clientHeight) / memory.clientHeight;
    std::vector<LayoutRect> scaled;
    for (size_t i = 0; i < memory.controls.size(); ++i) {
        const LayoutRect& d = memory.controls[i];
        const bool keep = i < memory.keepHeight.size() && memory.keepHeight[i];
        scaled.push_back({Scale(d.left, x), Scale(d.top, y), Scale(d.width, x),
                          keep ? d.height : Scale(d.height, y)});
    }
    return scaled;
}

}  // namespace portlight
