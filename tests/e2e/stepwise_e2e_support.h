// Helpers for the Stepwise scenarios: a setup folder with data.tag and cabinets, the
// installer's message boxes, and checks on what lands in its temporary folder.
#pragma once

#include <windows.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "e2e.h"

namespace stepwise_e2e {

using namespace std::chrono_literals;

std::string StepwiseExe();
std::string TempPath();  // GetTempPathA, with its trailing backslash
// A name no earlier run has used, so payload files of different runs never mix.
std::string UniqueName(const std::string& stem, const std::string& extension);

// Runs a Windows program and waits for it; returns its exit code (-1 on time-out).
long RunAndWait(const std::string& exe, const std::string& args, const std::string& folder);
// Makes a cabinet with our writer from files of `folder`, stored under the names given;
// `options` go before the cabinet name.
void MakeCabinet(const std::string& cabinet,
                 const std::string& folder,
                 const std::vector<std::string>& names,
                 const std::string& options = "");

// Writes a file with the given local modification time and attributes.
void WriteStampedFile(const std::string& path,
                      const std::string& content,
                      const SYSTEMTIME& localTime,
                      DWORD attributes);
// The file's last-write time in local time, to the second.
SYSTEMTIME LocalWriteTime(const std::string& path);
bool SameSecond(const SYSTEMTIME& a, const SYSTEMTIME& b);
// Waits until no uninstaller helper batch ("wizuninst-*.bat") is left in the temporary
// folder: cut off by the end of the Wine session, one would stay and mislead later runs.
bool WaitUninstallerHelpersGone(std::chrono::milliseconds limit);
// Removes a file even when it is read-only.
void RemoveFile(const std::string& path);

// A message box of process `pid` showing `text`; nullptr when none appears in time.
HWND WaitMessageBox(DWORD pid, const std::string& text, std::chrono::milliseconds limit);
// Clicks a button of a dialog (IDOK, IDCANCEL) through its notification.
void ClickButton(HWND dialog, int id);
HWND WaitPreparingWindow(DWORD pid, std::chrono::milliseconds limit);
// Waits for the program to end after a script that configures no wizard page: the wizard
// says "No dialogs configured!", which is answered. Returns the exit code (-1 on time-out).
long WaitEndWithoutPages(e2e::Process& process, std::chrono::milliseconds limit);

// The running explorer.exe processes, by id.
std::set<DWORD> ExplorerProcesses();
// Ends the shell windows an installation opened on its program group: the explorer.exe
// processes not in `before`. Left running, they would hold the test's output open after it
// ends.
void EndNewExplorers(const std::set<DWORD>& before);
// Lines indented one to a line, for a failure message.
std::string Join(const std::vector<std::string>& lines);

// A 24-bit bottom-up bitmap file of one colour, for the pictures a setup folder carries.
std::string BitmapFile(int width, int height, BYTE red, BYTE green, BYTE blue);

}  // namespace stepwise_e2e
