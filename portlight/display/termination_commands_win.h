// The terminate commands of the icon menu and the details window, wired to the system.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "display/termination.h"
#include "display/termination_win.h"

namespace portlight {

// The terminate command an icon-menu command id stands for, with the entry's index.
std::optional<std::pair<TerminateCommand, int>> TerminateCommandOf(UINT command);

class TerminationCommands {
  public:
    // `table` is the bar's last completed snapshot; `startSnapshot` is cmdNetstats.
    TerminationCommands(const ConnectionTable& table, std::function<void()> startSnapshot)
        : termination_(table, system_, std::move(startSnapshot)) {}

    // A command of the icon menu `menu`; anything but a terminate entry is ignored.
    void OnIconMenuCommand(const IconMenu& menu, UINT command);
    // "Terminate" in the details window with its termination target.
    void OnDetailsTerminate(const std::string& target) {
        termination_.TerminateFromDetails(target);
    }

  private:
    Win32TerminationSystem system_;  // before termination_, which refers to it
    Termination termination_;
};

}  // namespace portlight
