// Where the bar's child areas go, in twips (1/1440 inch), from the window's size. The
// positions of children are relative to their container, as the areas nest:
//   window > picNetstats > { picTitleBar > { picTicker, lblNetstatConnections },
//                            picActiveIcons, picControlBox > { imgIcon, cmdSettings } }
//   window > cmdExit (above the control box, at the top right)
#pragma once

#include "display/twips.h"

namespace portlight {

struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct BarLayout {
    TwipRect picNetstats;
    TwipRect picTitleBar;
    TwipRect picTicker;
    TwipRect lblNetstatConnections;
    TwipRect picActiveIcons;
    TwipRect picControlBox;
    TwipRect imgIcon;
    TwipRect cmdSettings;
    TwipRect cmdExit;
};

// Fixed sizes of the design.
constexpr int kNetstatsHeightTwips = 1080;
constexpr int kControlBoxWidthTwips = 2100;
constexpr int kTitleBarHeightTwips = 300;
constexpr int kConnectionsLabelWidthTwips = 1200;
constexpr int kIconStripTopTwips = 360;
constexpr int kIconStripHeightTwips = 660;  // a 420-twip icon over its 225-twip count button
constexpr int kExitButtonSizeTwips = 300;

BarLayout LayOutBar(int windowWidthTwips);

// The docked bar's thickness in pixels at 96 DPI, the docking object's default.
constexpr int kDockedHeightPixelsAt96Dpi = 80;

// The docked bar's least thickness at `dpi`: the connection area and 100 twips.
int DockedMinHeightPixels(int dpi);
// The docked bar's thickness at `dpi`: 80 pixels at 96 DPI grown with the display's scale,
// and never below the least thickness, so the twip-based areas (which grow with the scale
// too) stay inside the bar.
int DockedHeightPixels(int dpi);

}  // namespace portlight
