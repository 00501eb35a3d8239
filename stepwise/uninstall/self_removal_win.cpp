#include "uninstall/self_removal_win.h"

#include <windows.h>

#include <string>
#include <vector>

#include "common/win32/handles_win.h"
#include "uninstall/self_removal.h"
#include "uninstall/uninstall_machine_win.h"

namespace stepwise {
namespace {

std::string ModulePath() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return (length == 0 || length >= MAX_PATH) ? std::string() : std::string(path, length);
}

std::vector<std::string> SystemFolders() {
    std::vector<std::string> folders;
    char buffer[MAX_PATH] = {};
    UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        folders.push_back(CanonicalPath(std::string(buffer, length)));
    length = GetSystemWow64DirectoryA(buffer, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        folders.push_back(CanonicalPath(std::string(buffer, length)));
    return folders;
}

std::string CommandInterpreter() {
    char path[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA("ComSpec", path, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return std::string(path, length);
    UINT system = GetSystemDirectoryA(path, MAX_PATH);
    return (system > 0 && system < MAX_PATH) ? std::string(path, system) + "\\cmd.exe"
                                             : std::string("cmd.exe");
}

bool WriteNewFile(const std::string& path, const std::string& text) {
    win32::KernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// Starts the batch hidden, at idle priority so its retries never compete with the ending
// program, in the temporary folder so it keeps no other folder in use.
bool StartHidden(const std::string& script, const std::string& folder) {
    // cmd drops the outer pair of quotes after /c, leaving the quoted script path.
    std::string command = "\"" + CommandInterpreter() + "\" /d /c \"\"" + script + "\"\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW | IDLE_PRIORITY_CLASS, nullptr, folder.c_str(), &startup,
                        &started))
        return false;
    win32::KernelHandle process(started.hProcess);
    win32::KernelHandle thread(started.hThread);
    return true;
}

}  // namespace

void RemoveOwnCopyAfterExit() {
    std::string program = ModulePath();
    if (program.empty() || !IsInstalledCopy(CanonicalPath(program), SystemFolders()))
        return;
    if (SharedWithOtherProducts(CanonicalPath(program), InstalledUninstallStrings()))
        return;

    char temp[MAX_PATH] = {};
    DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length > 0 && length < MAX_PATH) {
        std::string folder(temp, length);
        std::string script = folder + "wizuninst-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(GetTickCount()) + ".bat";
        auto text = SelfRemovalScript(program, script);
        if (text && WriteNewFile(script, *text)) {
            if (StartHidden(script, folder))
                return;
            DeleteFileA(script.c_str());
        }
    }
    // Without a batch, the copy goes at the next restart (when the rights allow it).
    MoveFileExA(program.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace stepwise
