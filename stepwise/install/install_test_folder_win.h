// A scratch folder for the installation's Win32 tests, removed with everything in it, and
// the sample components built beside the tests.
#pragma once

#include <windows.h>

#include <tlhelp32.h>

#include <string>
#include <vector>

#include "common/win32/handles_win.h"

namespace stepwise {

class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& stem) {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + stem + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(GetTickCount());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { Remove(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

    static void Remove(const std::string& path) {
        WIN32_FIND_DATAA found;
        win32::FindHandle find(FindFirstFileA((path + "\\*").c_str(), &found));
        if (find) {
            do {
                std::string name = found.cFileName;
                if (name == "." || name == "..")
                    continue;
                std::string child = path + "\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    Remove(child);
                } else {
                    SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileA(child.c_str());
                }
            } while (FindNextFileA(find.get(), &found));
        }
        find.reset();
        RemoveDirectoryA(path.c_str());
    }

  private:
    std::string path_;
};

// Folder of the running test, where the sample components are built.
inline std::string TestBinFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\') + 1);
}

inline std::string SampleComponent(const std::string& tag) {
    return TestBinFolder() + "install-sample-" + tag + ".dll";
}

inline std::string ReadFileText(const std::string& path) {
    win32::KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    if (!file)
        return "";
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    return text;
}

// The non-empty lines of a text file, without line ends.
inline std::vector<std::string> NonEmptyLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            if (!line.empty())
                lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// Polls until `condition` holds or about `limitMs` pass; for effects of other processes.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD limitMs) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > limitMs)
            return condition();
        Sleep(50);
    }
    return true;
}

// Waits (up to about `limitMs`) until no process runs under one of the given program names:
// programs the tested calls start and do not wait for (regsvr32, and Wine's menu builder after
// a shell link is saved) would otherwise outlive the test and hold its output open.
inline void WaitForProgramsToEnd(const std::vector<std::string>& names, DWORD limitMs) {
    WaitUntil(
        [&] {
            win32::KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
            PROCESSENTRY32 entry = {};
            entry.dwSize = sizeof entry;
            for (BOOL more = Process32First(snapshot.get(), &entry); more;
                 more = Process32Next(snapshot.get(), &entry)) {
                for (const std::string& name : names)
                    if (lstrcmpiA(entry.szExeFile, name.c_str()) == 0)
                        return false;
            }
            return true;
        },
        limitMs);
}

}  // namespace stepwise
