// Helpers for end-to-end scenarios that run the real programs under Wine: a fresh program
// folder per test, process start and stop, waiting for windows, host commands (xdotool,
// ImageMagick) and screenshots. Windows only.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "common/win32/handles_win.h"

namespace e2e {

// Folder of the running test executable (build/windows/bin), with a trailing backslash.
std::string BinFolder();

// A new empty folder under the Wine temp folder, removed again by the destructor.
class TempFolder {
  public:
    explicit TempFolder(const std::string& prefix);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }  // no trailing backslash
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

void CopyFileOrFail(const std::string& from, const std::string& to);
void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);  // empty when missing
bool FileExists(const std::string& path);
// The text in lower case, as the ANSI code page has it (paths compared without case).
std::string Lower(std::string text);

// A started program; the destructor ends it (WM_CLOSE to its windows, then TerminateProcess).
class Process {
  public:
    Process() = default;
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    ~Process();
    static Process Start(const std::string& exe,
                         const std::string& args,
                         const std::string& workingFolder);
    DWORD id() const { return pid_; }
    HANDLE handle() const { return process_.get(); }
    bool running() const;
    // Waits for the process to end; returns its exit code, or -1 on time-out.
    long Wait(std::chrono::milliseconds limit);
    void Kill();

  private:
    win32::KernelHandle process_;
    DWORD pid_ = 0;
};

// Polls `condition` every 50 ms until it holds or `limit` passes.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit);

// Top-level window of process `pid` whose class (or, when class is empty, title) matches.
HWND FindTopWindow(DWORD pid, const std::string& className, const std::string& title = "");
// The visible top-level windows of process `pid` whose class matches (letter case ignored),
// in z-order; "#32768" finds open menus, "#32770" dialogs and message boxes.
std::vector<HWND> VisibleTopWindows(DWORD pid, const std::string& className);
HWND WaitTopWindow(DWORD pid,
                   const std::string& className,
                   const std::string& title,
                   std::chrono::milliseconds limit);
// Any visible top-level window (of any process) with exactly this title.
HWND WaitWindowByTitle(const std::string& title, std::chrono::milliseconds limit);
std::string WindowText(HWND window);
// The text of a dialog's control.
std::string ItemText(HWND dialog, int id);

// The lines of a list box in another process. The W form is used: across
// processes Wine answers the ANSI form of LB_GETTEXT with the UTF-16 bytes unconverted (twice
// the bytes LB_GETTEXTLEN allows for), so "Sample..." read as "S". The text is turned back
// into the ANSI code page the program wrote it in.
std::vector<std::string> ListBoxLines(HWND list);
std::vector<HWND> ChildWindows(HWND parent);
RECT WindowRect(HWND window);

// Runs a Linux command line through /bin/sh (Wine starts Unix programs directly) and
// waits for it; returns its exit code, or -1 when it could not be started or ran past
// `limit`.
int RunHost(const std::string& shellCommand,
            std::chrono::milliseconds limit = std::chrono::seconds(20));

// The Unix path of a Windows path (Wine's own mapping).
std::string UnixPath(const std::string& windowsPath);

// Saves a PNG of the whole virtual screen to build/screens/<name>.png, and waits for it.
void Screenshot(const std::string& name);

}  // namespace e2e
