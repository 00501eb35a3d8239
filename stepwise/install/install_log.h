// InstalledFileList and install.log: every path the installation writes and every folder it
// handles, in order, with the rules that keep System-folder DLLs out of the log.
#pragma once

#include <string>
#include <vector>

#include "install/install_system.h"

namespace stepwise {

class InstallLog {
  public:
    // `logPath` is InstallFolder + "\install.log"; `systemFolder` is compared in lower case.
    InstallLog(InstallSystem& system, std::string logPath, const std::string& systemFolder);

    // Stores the path and writes a LOG line with the next number, unless it is a DLL in the
    // System folder: then no line is written and the next path takes the same position.
    void RecordFile(const std::string& path);
    // Stores the path and advances the count without a LOG line (the uninstaller's own copy).
    void RecordUnwritten(const std::string& path);
    // Writes a DIR line with the next folder number.
    void RecordFolder(const std::string& folder);
    // Any other value of the log (UNINSTALL, CAMINHO, RTYPE, REGISTRY).
    void Write(const std::string& section, const std::string& key, const std::string& value);

    // InstalledFileList: position i holds the last path stored there.
    const std::vector<std::string>& installedFiles() const { return installed_; }
    int count() const { return count_; }
    const std::string& path() const { return logPath_; }

  private:
    void Store(const std::string& path);

    InstallSystem& system_;
    std::string logPath_;
    std::string systemFolderLower_;
    std::vector<std::string> installed_;
    int count_ = 0;
    int folders_ = 0;
};

std::string LowerCase(std::string text);

}  // namespace stepwise
