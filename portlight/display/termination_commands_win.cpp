#include "display/termination_commands_win.h"

#include "display/icon_menu_win.h"

namespace portlight {

std::optional<std::pair<TerminateCommand, int>> TerminateCommandOf(UINT command) {
    if (command == kCmdNetstatTermConnAll)
        return std::make_pair(TerminateCommand::kConnectionAll, 0);
    if (command == kCmdNetstatTermProcessAll)
        return std::make_pair(TerminateCommand::kProcessAll, 0);
    if (command >= kCmdNetstatTermConnectionsBase &&
        command < kCmdNetstatTermConnectionsBase + kMenuListEntries)
        return std::make_pair(TerminateCommand::kConnection,
                              static_cast<int>(command - kCmdNetstatTermConnectionsBase));
    if (command >= kCmdNetstatTermProcessBase &&
        command < kCmdNetstatTermProcessBase + kMenuListEntries)
        return std::make_pair(TerminateCommand::kProcess,
                              static_cast<int>(command - kCmdNetstatTermProcessBase));
    return std::nullopt;
}

void TerminationCommands::OnIconMenuCommand(const IconMenu& menu, UINT command) {
    if (auto which = TerminateCommandOf(command))
        termination_.RunMenuCommand(menu, which->first, which->second);
}

}  // namespace portlight
