#include "display/icon_slots.h"

namespace portlight {

int IconSlotCountFor(int containerTwips, int imageTwips) {
    int pitch = imageTwips + kSlotGapTwips;
    if (pitch <= 0 || containerTwips <= 0)
        return 0;
    return containerTwips / pitch;
}

int SlotLeftTwips(int slotIndex, int imageTwips) {
    return slotIndex * (imageTwips + kSlotGapTwips);
}

}  // namespace portlight
