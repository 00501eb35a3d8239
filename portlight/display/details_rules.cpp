#include "display/details_rules.h"

#include "capture/text_split.h"

namespace portlight {

namespace {

// The refresh command looks at slots 0 to 100 only.
constexpr size_t kRefreshSearchSlots = 101;

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

}  // namespace

SelectionOutcome SelectLine(std::string_view line) {
    SelectionOutcome outcome;
    if (Contains(line, "Process ID") && !Contains(line, "System") && !Contains(line, "Protected")) {
        outcome.terminateEnabled = true;
        outcome.terminationTarget = TextAfter(line, ":");
    }
    return outcome;
}

std::string CopyText(const std::string* selectedLine) {
    if (!selectedLine)
        return {};
    return TrimSpaces(TextAfter(*selectedLine, ":"));
}

int SlotOfMarker(const std::vector<IconSlot>& slots, std::string_view marker) {
    for (size_t i = 0; i < slots.size() && i < kRefreshSearchSlots; ++i) {
        if (slots[i].hoverText.empty())
            return -1;
        if (slots[i].hoverText == marker)
            return static_cast<int>(i);
    }
    return -1;
}

TimerAction TimerTickAction(bool detailsActive, bool listEmpty) {
    TimerAction action;
    if (!detailsActive)
        return action;
    if (listEmpty) {
        action.refresh = true;
        action.disableTerminate = true;
        action.disableCopy = true;
    } else {
        action.enableCopy = true;
    }
    return action;
}

}  // namespace portlight
