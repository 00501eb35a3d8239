// The installer's start-up sequence, from launch to the end of the machine checks.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "script/background_window_win.h"
#include "script/installer_context.h"
#include "script/profile_win.h"

namespace stepwise {

class InstallerApp {
  public:
    explicit InstallerApp(HINSTANCE instance) : instance_(instance) {}

    // Runs start-up; false when the program should end (a message has been shown where the
    // failure has one). The program ends with exit code 0 either way.
    bool Start();

    const InstallerContext& context() const { return context_; }
    InstallerContext& context() { return context_; }

    // Folders, the script and the installation folder; false when the program cannot go on,
    // after telling `report` why (the wizard shows a message box).
    bool ResolveFoldersAndScript(const std::function<void(const std::string&)>& report);

  private:
    bool RunChecks();

    HINSTANCE instance_;
    InstallerContext context_;
    std::unique_ptr<PrivateProfileFile> script_;
    std::unique_ptr<PrivateProfileFile> language_;
    // Lives until the program ends; the wizard is shown above it.
    std::unique_ptr<BackgroundWindow> background_;
};

}  // namespace stepwise
