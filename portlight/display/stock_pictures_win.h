// The four stock pictures of the strip, drawn with GDI at start-up so that no image files
// have to ship: an application window (picDefault), a gear (picSystem), a padlock
// (picProtected) and a question mark (picUnKnown).
#pragma once

#include "capture/icon_grouping.h"
#include "display/process_icon_win.h"

namespace portlight {

// Edge of a stock picture in pixels: the size of picLarge.
inline constexpr int kPictureSize = 32;

struct StockPictures {
    explicit StockPictures(COLORREF background);
    IconCanvas picDefault;
    IconCanvas picSystem;
    IconCanvas picProtected;
    IconCanvas picUnKnown;

    // The stock picture for a slot picture kind; null for kProcessIcon.
    const IconCanvas* ForSlot(SlotPicture picture) const;
};

}  // namespace portlight
