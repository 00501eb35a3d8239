#include "display/icon_menu_win.h"

namespace portlight {

namespace {

void Append(HMENU menu, const IconMenuEntry& entry, UINT id) {
    if (!entry.visible)
        return;
    UINT flags = MF_STRING | (entry.enabled ? MF_ENABLED : MF_GRAYED);
    AppendMenuA(menu, flags, id, entry.caption.c_str());
}

HMENU CreateListMenu(const std::array<IconMenuEntry, kMenuListEntries>& entries,
                     UINT base,
                     const IconMenuEntry& all,
                     UINT allId) {
    HMENU menu = CreatePopupMenu();
    for (int k = 0; k < kMenuListEntries; ++k)
        Append(menu, entries[k], base + static_cast<UINT>(k));
    if (all.visible) {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        Append(menu, all, allId);
    }
    return menu;
}

void AppendSubmenu(HMENU menu, const IconMenuEntry& entry, HMENU submenu) {
    UINT flags = MF_POPUP | (entry.enabled ? MF_ENABLED : MF_GRAYED);
    AppendMenuA(menu, flags, reinterpret_cast<UINT_PTR>(submenu), entry.caption.c_str());
}

}  // namespace

win32::Menu CreateIconMenu(const IconMenu& model) {
    win32::Menu owner(CreatePopupMenu());
    HMENU menu = owner.get();
    Append(menu, model.mnuNetstatConnection, kCmdNetstatConnection);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    Append(menu, model.mnuNetstatInfo, kCmdNetstatInfo);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendSubmenu(menu, model.mnuNetstatTermConn,
                  CreateListMenu(model.mnuNetstatTermConnections, kCmdNetstatTermConnectionsBase,
                                 model.mnuNetstatTermConnAll, kCmdNetstatTermConnAll));
    AppendSubmenu(menu, model.mnuNetstatTermProcesses,
                  CreateListMenu(model.mnuNetstatTermProcess, kCmdNetstatTermProcessBase,
                                 model.mnuNetstatTermProcessAll, kCmdNetstatTermProcessAll));
    return owner;
}

const IconMenuEntry* EntryOfCommand(const IconMenu& model, UINT command) {
    switch (command) {
        case kCmdNetstatConnection:
            return &model.mnuNetstatConnection;
        case kCmdNetstatInfo:
            return &model.mnuNetstatInfo;
        case kCmdNetstatTermConnAll:
            return &model.mnuNetstatTermConnAll;
        case kCmdNetstatTermProcessAll:
            return &model.mnuNetstatTermProcessAll;
        default:
            break;
    }
    if (command >= kCmdNetstatTermConnectionsBase &&
        command < kCmdNetstatTermConnectionsBase + kMenuListEntries)
        return &model.mnuNetstatTermConnections[command - kCmdNetstatTermConnectionsBase];
    if (command >= kCmdNetstatTermProcessBase &&
        command < kCmdNetstatTermProcessBase + kMenuListEntries)
        return &model.mnuNetstatTermProcess[command - kCmdNetstatTermProcessBase];
    return nullptr;
}

}  // namespace portlight
