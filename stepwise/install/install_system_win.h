// The installation's system calls on Windows: files and folders, version resources,
// regsvr32, private-profile files, the registry, the environment and shell shortcuts.
#pragma once

#include <windows.h>

#include "install/install_system.h"

namespace stepwise {

class WindowsInstallSystem : public InstallSystem {
  public:
    bool CreateFolder(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    bool CopyTo(const std::string& from, const std::string& to, bool replace) override;
    std::optional<std::string> FileVersion(const std::string& path) override;
    bool Register(const std::string& path) override;
    bool WriteProfileValue(const std::string& file,
                           const std::string& section,
                           const std::string& key,
                           const std::string& value) override;
    bool SetEnvironmentValue(EnvironmentScope scope,
                             const std::string& name,
                             const std::string& value) override;
    void AnnounceEnvironment() override;
    bool WriteMachineValues(
        const std::string& key,
        const std::vector<std::pair<std::string, std::string>>& values) override;
    bool CreateShellLink(const ShellLink& link) override;
    bool CreateInternetShortcut(const std::string& path, const std::string& address) override;
    void OpenFolder(const std::string& path) override;
};

// The FileVersion string of a file's version resource as the installer reads it: the
// language and code page of "\VarFileInfo\Translation" when it holds exactly one pair,
// otherwise the user's default language with code page 04B0; at most 250 characters.
std::optional<std::string> ReadFileVersionString(const std::string& path);

// Opens every level of `key` under `root`, creating the ones that cannot be opened.
bool OpenOrCreateKey(HKEY root, const std::string& key, HKEY* result);

}  // namespace stepwise
