#include "display/icon_menu.h"

namespace portlight {

namespace {

bool IsSystemOrProtected(const ConnectionRow& row) {
    return row[kColCategory] == kCategorySystem || row[kColCategory] == kCategoryProtected;
}

void FillProcessEntry(IconMenu& menu, const ConnectionRow& row) {
    std::string pid = TrimSpaces(row[kColPid]);
    for (const IconMenuEntry& entry : menu.mnuNetstatTermProcess)
        if (TrimSpaces(entry.caption) == pid)
            return;
    for (IconMenuEntry& entry : menu.mnuNetstatTermProcess) {
        if (!entry.caption.empty())
            continue;
        entry.caption = pid;
        entry.tag = pid;
        entry.visible = true;
        entry.enabled = !IsSystemOrProtected(row);
        menu.mnuNetstatTermProcessAll.visible = true;
        return;
    }
}

bool IsIpv6Row(const ConnectionRow& row) {
    return row[kColLocalAddress].find(':') != std::string::npos ||
           row[kColLocalAddress].find('[') != std::string::npos;
}

int FilledProcessEntries(const IconMenu& menu) {
    int filled = 0;
    for (const IconMenuEntry& entry : menu.mnuNetstatTermProcess)
        filled += entry.caption.empty() ? 0 : 1;
    return filled;
}

}  // namespace

std::string ConnectionMenuCaption(const ConnectionRow& row) {
    return "R:(" + row[kColRemoteAddress] + " : " + row[kColRemotePort] + ") L:(" +
           row[kColLocalAddress] + " : " + row[kColLocalPort] + ")";
}

std::optional<IconMenu> BuildIconMenu(int slotIndex,
                                      const IconSlot& slot,
                                      const ConnectionTable& table,
                                      bool snapshotRunning) {
    if (slot.count == 0 || snapshotRunning)
        return std::nullopt;

    IconMenu menu;
    menu.mnuNetstatConnection = {slot.hoverText, "", true, true};
    menu.mnuNetstatInfo = {"Show Info", std::to_string(slotIndex), true, true};
    menu.mnuNetstatTermConn = {"Terminate Connection", "", true, true};
    menu.mnuNetstatTermProcesses = {"Terminate Process", "", true, true};
    const std::string count = std::to_string(slot.count);
    menu.mnuNetstatTermConnAll = {"Terminate All", count, true, true};
    menu.mnuNetstatTermProcessAll = {"Terminate All", count, true, true};

    // The row list is the source of truth for the slot's rows; the count caption only
    // bounds how many of them are examined.
    std::vector<int> rows = RowsOfRowList(slot.rowList);
    if (rows.size() > static_cast<size_t>(slot.count))
        rows.resize(static_cast<size_t>(slot.count));

    for (int row : rows) {
        if (FilledProcessEntries(menu) >= kMenuListEntries)
            break;
        FillProcessEntry(menu, table.rows[row]);
    }

    const bool unknownSlot = ContainsNoCase(slot.hoverText, "UnKnown File");
    bool lastRowProtected = false;
    for (size_t k = 0; k < rows.size() && k < kMenuListEntries; ++k) {
        const ConnectionRow& row = table.rows[rows[k]];
        IconMenuEntry& entry = menu.mnuNetstatTermConnections[k];
        entry.caption = ConnectionMenuCaption(row);
        entry.tag = std::to_string(rows[k]);
        entry.visible = true;
        // SetTcpEntry works on the IPv4 table only: an IPv6 connection cannot be ended.
        entry.enabled = row[kColProtocol] != "UDP" && !IsIpv6Row(row);
        if (!unknownSlot)
            menu.mnuNetstatTermProcesses.tag = row[kColPid];
        lastRowProtected = IsSystemOrProtected(row);
    }
    menu.mnuNetstatTermProcesses.enabled = !unknownSlot && !lastRowProtected;
    return menu;
}

}  // namespace portlight
