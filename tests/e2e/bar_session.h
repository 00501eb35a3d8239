// A running portlight.exe in a fresh program folder with the fake netstat beside it.
#pragma once

#include <string>
#include <vector>

#include "e2e.h"

namespace e2e {

// One call the fake netstat saw: when (GetTickCount) and with which arguments.
struct NetstatCall {
    unsigned long tick = 0;
    std::string arguments;
};

// The fake's listing: a header like netstat's and the given lines, each ending in CR LF.
std::string NetstatListing(const std::vector<std::string>& lines);

class BarSession {
  public:
    explicit BarSession(const std::string& name);
    ~BarSession();

    // Files in the program folder, written before Start.
    void WriteSettings(const std::string& mainSectionLines);
    void SetListing(const std::string& listing);
    void SetNetstatSleep(unsigned milliseconds);

    // Starts portlight.exe and waits for the bar window; fails the test when it does not
    // appear.
    void Start();
    Process& process() { return process_; }
    HWND bar() const { return bar_; }
    HWND Control(int id) const { return GetDlgItem(FindParentOf(id), id); }

    // Sends a settings-menu command (app/commands.h) or clicks a button by id.
    void RunCommand(int command);
    void Click(int controlId);

    std::vector<NetstatCall> Calls() const;
    bool WaitForCalls(size_t count, unsigned milliseconds) const;
    std::string Settings() const;
    std::string Path(const std::string& name) const { return folder_ / name; }

  private:
    HWND FindParentOf(int id) const;

    TempFolder folder_;
    Process process_;
    HWND bar_ = nullptr;
};

}  // namespace e2e
