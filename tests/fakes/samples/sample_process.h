// Starting the sample programs from Win32 and end-to-end tests: they are built beside the
// test executables. Header-only test support.
#pragma once

#include <windows.h>

#include <psapi.h>

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
    explicit SampleProcess(const std::string& exePath, const std::string& args = "")
        : path_(exePath) {
        std::string commandLine = "\"" + exePath + "\"" + (args.empty() ? "" : " " + args);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &info_))
            info_ = {};
        else
            WaitUntilLoaded();
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
    // Waits for the program to end on its own; true when it did.
    bool WaitForExit(DWORD milliseconds) {
        return info_.hProcess && WaitForSingleObject(info_.hProcess, milliseconds) == WAIT_OBJECT_0;
    }

  private:
    // The module list of a new process can be read only once the loader has set it up.
    void WaitUntilLoaded() {
        for (int attempt = 0; attempt < 100; ++attempt) {
            HMODULE module = nullptr;
            DWORD needed = 0;
            if (EnumProcessModules(info_.hProcess, &module, sizeof module, &needed) && module)
                return;
            Sleep(20);
        }
    }

    std::string path_;
    PROCESS_INFORMATION info_ = {};
};

}  // namespace samples
