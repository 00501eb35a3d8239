// The rules of the details window frmNetstatsInfo that do not need a window: what a selected
// line enables and what Copy takes from it, which slot the refresh command reports on, what
// the one-second timer does, and when a requested report runs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "capture/icon_grouping.h"

namespace portlight {

// Content marker kept with cmdNetstatsRefresh while the window shows the connection list;
// otherwise it holds the hover text of the reported slot.
inline constexpr char kListOfConnections[] = "List of Connections";
inline constexpr char kResolvingHosts[] = "Resolving Hosts";

// List selection: Terminate is enabled for a "Process ID" line whose category is neither
// "System" nor "Protected" (compared as written), and its target is the text after the
// line's first colon, e.g. "1234 >> [Normal]".
struct SelectionOutcome {
    bool terminateEnabled = false;
    std::string terminationTarget;
};
SelectionOutcome SelectLine(std::string_view line);

// What Copy puts on the clipboard: the text after the selected line's first colon, trimmed;
// empty text with no line selected. The W, P and T buttons take the same text as address.
std::string CopyText(const std::string* selectedLine);

// The refresh command's slot search over slots 0..100: the index of the first slot whose
// hover text equals `marker`, stopping at the first slot with an empty hover text; -1 when
// the program is no longer on the bar.
int SlotOfMarker(const std::vector<IconSlot>& slots, std::string_view marker);

// The one-second timer, only while DetailsActive: an empty list is refilled by the refresh
// command and Terminate and Copy are disabled; otherwise Copy is enabled.
struct TimerAction {
    bool refresh = false;
    bool disableTerminate = false;
    bool disableCopy = false;
    bool enableCopy = false;
};
TimerAction TimerTickAction(bool detailsActive, bool listEmpty);

// ReportedSlot / ReportPending: a report requested while a snapshot runs waits for the main
// timer to find the snapshot finished.
struct ReportRequest {
    int ReportedSlot = 0;
    bool ReportPending = false;

    // RefreshNetstatsInfoBox: true when the report of ReportedSlot should be shown now.
    bool Refresh(bool snapshotBusy) {
        ReportPending = snapshotBusy;
        return !snapshotBusy;
    }
};

}  // namespace portlight
