// The icon menu mnuNetstats as data: which entries a right-button press on a slot shows,
// their captions, tags and whether they are enabled. The Win32 side turns it into a pop-up.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "capture/connection_table.h"
#include "capture/icon_grouping.h"

namespace portlight {

inline constexpr int kMenuListEntries = 10;

struct IconMenuEntry {
    std::string caption;
    std::string tag;
    bool visible = false;
    bool enabled = true;
};

struct IconMenu {
    IconMenuEntry mnuNetstatConnection;  // caption = the slot's hover text; does nothing
    IconMenuEntry mnuNetstatInfo;        // "Show Info", tag = slot index
    IconMenuEntry mnuNetstatTermConn;    // "Terminate Connection" submenu
    std::array<IconMenuEntry, kMenuListEntries> mnuNetstatTermConnections;
    IconMenuEntry mnuNetstatTermConnAll;    // tag = the slot's connection count
    IconMenuEntry mnuNetstatTermProcesses;  // "Terminate Process" submenu, tag = a PID
    std::array<IconMenuEntry, kMenuListEntries> mnuNetstatTermProcess;
    IconMenuEntry mnuNetstatTermProcessAll;  // tag = the slot's connection count
};

// The caption that links a connection entry to the connection it ends:
// "R:(" remote address " : " remote port ") L:(" local address " : " local port ")".
std::string ConnectionMenuCaption(const ConnectionRow& row);

// ShowIconMenu's decision and contents for slot `slotIndex`. Nothing opens (nullopt) while a
// snapshot runs or for a slot whose count is 0.
std::optional<IconMenu> BuildIconMenu(int slotIndex,
                                      const IconSlot& slot,
                                      const ConnectionTable& table,
                                      bool snapshotRunning);

}  // namespace portlight
