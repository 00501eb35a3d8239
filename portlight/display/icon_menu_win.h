// mnuNetstats as a Win32 pop-up menu built from the IconMenu model.
#pragma once

#include <windows.h>

#include "common/win32/handles_win.h"
#include "display/icon_menu.h"

namespace portlight {

// Command ids of the icon menu's entries. The ten connection and process entries take
// consecutive ids from their base.
enum IconMenuCommand : UINT {
    kCmdNetstatConnection = 0x5100,
    kCmdNetstatInfo,
    kCmdNetstatTermConnAll,
    kCmdNetstatTermProcessAll,
    kCmdNetstatTermConnectionsBase = 0x5110,
    kCmdNetstatTermProcessBase = 0x5120,
};

// The pop-up in the order of mnuNetstats: the hover text, "Show Info", "Terminate
// Connection" and "Terminate Process" with their entries. Hidden entries are left out;
// disabled ones are greyed.
win32::Menu CreateIconMenu(const IconMenu& model);

// The model entry a command id stands for, or null.
const IconMenuEntry* EntryOfCommand(const IconMenu& model, UINT command);

}  // namespace portlight
