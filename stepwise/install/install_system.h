// What the installation actions ask of Windows, one call per effect, so the sequence and its
// records can be tested with an in-memory fake and the Win32 side stays thin.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace stepwise {

enum class EnvironmentScope { User, System };

struct ShellLink {
    std::string path;  // the .lnk file
    std::string target;
    std::string arguments;
    int showCommand = 0;  // 0 leaves the link's default
    std::string workingFolder;
};

class InstallSystem {
  public:
    virtual ~InstallSystem() = default;

    // CreateDirectoryA; true when the folder exists afterwards.
    virtual bool CreateFolder(const std::string& path) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    // CopyFileA; with `replace` false an existing destination stays and the copy fails.
    virtual bool CopyTo(const std::string& from, const std::string& to, bool replace) = 0;
    // The FileVersion string of the file's version resource; nullopt without one.
    virtual std::optional<std::string> FileVersion(const std::string& path) = 0;
    // Starts "regsvr32.exe /s" on the file without waiting; false when it could not start.
    virtual bool Register(const std::string& path) = 0;
    // WritePrivateProfileStringA.
    virtual bool WriteProfileValue(const std::string& file,
                                   const std::string& section,
                                   const std::string& key,
                                   const std::string& value) = 0;
    virtual bool SetEnvironmentValue(EnvironmentScope scope,
                                     const std::string& name,
                                     const std::string& value) = 0;
    // Tells running programs that the environment changed.
    virtual void AnnounceEnvironment() = 0;
    // Opens or creates every level of `key` under HKEY_LOCAL_MACHINE and writes the string
    // values.
    virtual bool WriteMachineValues(
        const std::string& key,
        const std::vector<std::pair<std::string, std::string>>& values) = 0;
    virtual bool CreateShellLink(const ShellLink& link) = 0;
    virtual bool CreateInternetShortcut(const std::string& path, const std::string& address) = 0;
    // Opens a folder in a shell window.
    virtual void OpenFolder(const std::string& path) = 0;
};

}  // namespace stepwise
