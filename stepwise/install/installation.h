// The installation sequence the progress page runs: the installation folder, the copy list
// under each kind's rules, environment variables, then the final steps (uninstaller copy,
// shortcuts, uninstall entry, log sections, script copy, INI entries, registry values).
// Everything written is recorded in install.log; failures of copies, registrations and
// shortcuts are collected for the user instead of being lost.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "install/copy_list.h"
#include "install/folder_tokens.h"
#include "install/install_log.h"
#include "install/install_system.h"
#include "script/profile_source.h"
#include "wizard/installation_sequence.h"

namespace stepwise {

// The Start-menu and shell folders shortcuts go to.
struct ShortcutFolders {
    std::string programs;   // Start menu Programs
    std::string startMenu;  // Start menu
    std::string desktop;
    std::string startup;
    std::string appData;  // holds the Quick Launch bar
    std::string favorites;
};

struct InstallationInput {
    const ProfileSource* script = nullptr;  // data.tag
    TokenFolders tokens;                    // with InstallFolder and DefaultInstallFolder
    ShortcutFolders shortcuts;
    std::string tempFolder;  // ends with a backslash
    std::string systemFolder;
    std::string dataTagPath;
    bool previewMode = false;
    int setupType = 0;
    std::vector<std::string> customSelection;
    std::string userName;
    std::string company;
};

// A FILES entry fetched over the network; queued during the copy and handed on after it.
struct DownloadEntry {
    std::string address;
    std::string folder;  // destination folder, without trailing backslash
};

// The queued downloads as the installation hands them on, with the main bar's place: the
// fetcher advances the bar by one per entry from `barPosition` within `barRange`.
struct DownloadBatch {
    std::vector<DownloadEntry> entries;
    int barPosition = 0;
    int barRange = 0;
};
// Fetches a batch after the local copies, blocking until every entry is fetched or skipped;
// returns the paths of the files it wrote.
using DownloadFetcher = std::function<std::vector<std::string>(const DownloadBatch&)>;

class Installation {
  public:
    // `shouldStop` is asked between steps; it may block while the user is asked whether to
    // cancel, and returns true when the installation must end where it is.
    Installation(InstallationInput input,
                 InstallSystem& system,
                 InstallationProgress& progress,
                 std::function<bool()> shouldStop);

    // Runs the sequence to its end (or to the stop); false when it was stopped.
    bool Run();
    // Without a fetcher the queued downloads are only kept (downloads()).
    void SetDownloadFetcher(DownloadFetcher fetcher) { fetcher_ = std::move(fetcher); }

    // Items that could not be installed, one text each, in the order met.
    const std::vector<std::string>& failures() const { return failures_; }
    const std::vector<DownloadEntry>& downloads() const { return downloads_; }
    const InstallLog& log() const { return log_; }

  private:
    std::string Read(const std::string& section, const std::string& key, std::size_t size) const;
    std::string Expand(const std::string& text) const;
    void CreateFolderLevels(const std::string& path);
    bool CopyFiles();
    void CopyEntryFiles(const CopyEntry& entry);
    void WriteEnvironment();
    void FetchDownloads();
    void FinalSteps();
    void CreateShortcuts();
    void CreateShortcut(int i, const std::string& group);
    void WriteIniEntries();
    void WriteRegistryValues();
    void Fail(const std::string& item);

    InstallationInput input_;
    InstallSystem& system_;
    InstallationProgress& progress_;
    std::function<bool()> shouldStop_;
    InstallLog log_;
    FolderLevels levels_;
    int total_ = 0;
    int range_ = 0;
    std::vector<DownloadEntry> downloads_;
    DownloadFetcher fetcher_;
    int copied_ = 0;
    std::vector<std::string> failures_;
};

// The uninstall entry's key under HKEY_LOCAL_MACHINE.
std::string UninstallKey(const std::string& appName);
// "<System folder>\wizuninst.exe "<InstallFolder>\install.log"".
std::string UninstallCommand(const std::string& systemFolder, const std::string& installFolder);
// The product key: Software, the company when there is one, and the name.
std::string ProductKey(const std::string& company, const std::string& appName);
// The file-name part of a path (after the last backslash or slash).
std::string FileNameOf(const std::string& path);

}  // namespace stepwise
