// Geometry of the icon strip, in twips: how many slots fit and where each one sits.
#pragma once

namespace portlight {

// Slot 0 as designed: image 420 x 420 at (0, 0), count button 420 x 225 below it.
inline constexpr int kSlotImageTwips = 420;
inline constexpr int kSlotButtonHeightTwips = 225;
// Gap between two slots.
inline constexpr int kSlotGapTwips = 25;

// Highest slot index that fits a container `containerTwips` wide (IconSlotCount): the integer
// part of container / (image width + gap), never below 0 (slot 0 always exists).
int IconSlotCountFor(int containerTwips, int imageTwips = kSlotImageTwips);

// Left edge of slot i: i x (image width + gap).
int SlotLeftTwips(int slotIndex, int imageTwips = kSlotImageTwips);

}  // namespace portlight
