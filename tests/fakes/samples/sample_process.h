// Starting the sample programs from Win32 and end-to-end tests: they are built beside the
// test executables. Header-only test support.
#pragma once

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <string>

#include "common/win32/handles_win.h"

namespace samples {

// Full path of a file beside the running executable.
inline std::string BesideThisProgram(const std::string& name) {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

// A started sample program, ended and released by the destructor.
class SampleProcess {
  public:
    // Starts the program and waits until its module list can be read, so a process lookup
    // finds its executable. A start Wine refuses (a new process that fails to come up, as
    // seen at the start of a fresh session) is tried again within the same bound.
    explicit SampleProcess(const std::string& exePath,
                           const std::string& args = "",
                           DWORD limitMilliseconds = kStartLimitMilliseconds)
        : path_(exePath) {
        std::string commandLine = "\"" + exePath + "\"" + (args.empty() ? "" : " " + args);
        const DWORD begin = GetTickCount();
        for (;;) {
            STARTUPINFOA startup = {};
            startup.cb = sizeof startup;
            std::string line = commandLine;  // CreateProcessA may write to it
            if (CreateProcessA(exePath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &info_))
                break;
            info_ = {};
            error_ = GetLastError();
            if (error_ == ERROR_FILE_NOT_FOUND || error_ == ERROR_PATH_NOT_FOUND ||
                GetTickCount() - begin >= limitMilliseconds)
                return;
            // Left in the test's output, so a refused start is seen even when a retry works.
            std::fprintf(stderr, "sample %s refused to start (error %lu), starting it again\n",
                         exePath.c_str(), static_cast<unsigned long>(error_));
            Sleep(kPollMilliseconds);
        }
        error_ = 0;
        loaded_ = WaitUntilLoaded(begin, limitMilliseconds);
    }
    ~SampleProcess() {
        if (!info_.hProcess)
            return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 1);
            WaitForSingleObject(info_.hProcess, 5000);
        }
        win32::KernelHandle thread(info_.hThread);
        win32::KernelHandle process(info_.hProcess);
    }
    SampleProcess(const SampleProcess&) = delete;
    SampleProcess& operator=(const SampleProcess&) = delete;

    DWORD pid() const { return info_.dwProcessId; }
    const std::string& path() const { return path_; }
    bool started() const { return info_.hProcess != nullptr; }
    // Started, loaded and still running: what a test needs before the bar looks it up.
    bool ready() const { return started() && loaded_; }
    // What went wrong for a sample that is not ready, for a test's failure message.
    std::string Problem() const {
        if (!started())
            return path_ + " did not start, error " + std::to_string(error_);
        if (!loaded_)
            return path_ + " (PID " + std::to_string(pid()) + ") ended or never finished loading";
        return "";
    }
    // Waits for the program to end on its own; true when it did.
    bool WaitForExit(DWORD milliseconds) {
        return info_.hProcess && WaitForSingleObject(info_.hProcess, milliseconds) == WAIT_OBJECT_0;
    }

  private:
    // The module list of a new process can be read only once the loader has set it up.
    bool WaitUntilLoaded(DWORD begin, DWORD limitMilliseconds) {
        for (;;) {
            HMODULE module = nullptr;
            DWORD needed = 0;
            if (EnumProcessModules(info_.hProcess, &module, sizeof module, &needed) && module)
                return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
            if (WaitForSingleObject(info_.hProcess, 0) != WAIT_TIMEOUT ||
                GetTickCount() - begin >= limitMilliseconds)
                return false;
            Sleep(kPollMilliseconds);
        }
    }

    // Generous: a loaded machine starting its first Wine processes takes seconds.
    static constexpr DWORD kStartLimitMilliseconds = 20000;
    static constexpr DWORD kPollMilliseconds = 20;

    std::string path_;
    PROCESS_INFORMATION info_ = {};
    DWORD error_ = 0;
    bool loaded_ = false;
};

}  // namespace samples
