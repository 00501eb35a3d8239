#include "app/bar_layout.h"

namespace portlight {

BarLayout LayOutBar(int windowWidth) {
    BarLayout l;
    l.picNetstats = {1, 1, windowWidth - 120, kNetstatsHeightTwips};
    l.picControlBox = {l.picNetstats.width - kControlBoxWidthTwips, 0, kControlBoxWidthTwips,
                       kNetstatsHeightTwips};
    l.picActiveIcons = {30, kIconStripTopTwips, l.picNetstats.width - l.picControlBox.width - 50,
                        kIconStripHeightTwips};
    l.picTitleBar = {30, 30, l.picActiveIcons.width, kTitleBarHeightTwips};
    l.lblNetstatConnections = {l.picTitleBar.width - kConnectionsLabelWidthTwips, 0,
                               kConnectionsLabelWidthTwips, kTitleBarHeightTwips};
    l.picTicker = {0, 0, l.picTitleBar.width - l.lblNetstatConnections.width - 30,
                   kTitleBarHeightTwips};
    l.imgIcon = {60, 60, 480, 480};
    l.cmdSettings = {600, 60, 900, 330};
    l.cmdExit = {windowWidth - kExitButtonSizeTwips - 160, 40, kExitButtonSizeTwips,
                 kExitButtonSizeTwips};
    return l;
}

int DockedMinHeightPixels(int dpi) {
    return TwipsToPixels(kNetstatsHeightTwips + 100, dpi);
}

int DockedHeightPixels(int dpi) {
    int scaled =
        dpi > 0 ? (kDockedHeightPixelsAt96Dpi * dpi + 48) / 96 : kDockedHeightPixelsAt96Dpi;
    int least = DockedMinHeightPixels(dpi);
    return scaled > least ? scaled : least;
}

}  // namespace portlight
