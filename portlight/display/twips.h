// Twips (1/1440 inch), the unit the bar's layout is designed in, and pixels at a screen's
// dots per inch. The one conversion for every part of the bar.
#pragma once

namespace portlight {

inline constexpr int kTwipsPerInch = 1440;

// Twips to pixels at `dpi` dots per inch, rounded to the nearest pixel (halves away from
// zero, as MulDiv rounds).
int TwipsToPixels(int twips, int dpi);
// Pixels to whole twips (truncated); 15 twips per pixel when `dpi` is not positive.
int PixelsToTwips(int pixels, int dpi);

}  // namespace portlight
