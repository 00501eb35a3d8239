// The plain-text record of an unattended installation: every action the installation takes
// on the machine, its outcome, and every item that could not be installed. The installation
// reaches the machine through LoggingInstallSystem, which writes a line per effect and passes
// the call on; its page texts arrive through LoggingProgress.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "install/install_system.h"
#include "install/installation.h"
#include "wizard/installation_sequence.h"

namespace stepwise {

class ActionLog {
  public:
    using Sink = std::function<void(const std::string& line)>;
    explicit ActionLog(Sink sink) : sink_(std::move(sink)) {}

    void Note(const std::string& text);
    // "FAILED: <text>"; counted.
    void Failure(const std::string& text);
    int failures() const;

  private:
    mutable std::mutex mutex_;
    Sink sink_;
    int failures_ = 0;
};

class LoggingInstallSystem : public InstallSystem {
  public:
    LoggingInstallSystem(InstallSystem& inner, ActionLog& log) : inner_(inner), log_(log) {}

    bool CreateFolder(const std::string& path) override;
    bool FileExists(const std::string& path) override { return inner_.FileExists(path); }
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
    // An unattended installation opens no window: the folder is only named in the log.
    void OpenFolder(const std::string& path) override;

  private:
    bool Outcome(const std::string& action, bool done);

    InstallSystem& inner_;
    ActionLog& log_;
};

// The progress page's status texts, each once when it changes; the bar is not logged.
class LoggingProgress : public InstallationProgress {
  public:
    explicit LoggingProgress(ActionLog& log) : log_(log) {}
    void SetStatus(const std::string& text) override;
    void SetCurrentFile(const std::string&) override {}
    void SetBar(int, int) override {}

  private:
    ActionLog& log_;
    std::string status_;
};

// Fetches a FILES download entry during an unattended installation.
class UnattendedDownloads {
  public:
    virtual ~UnattendedDownloads() = default;
    // Puts the file into entry.folder and names it in `path`; false with `error` set when it
    // could not.
    virtual bool Fetch(const DownloadEntry& entry, std::string* path, std::string* error) = 0;
};

// The installation's download step for an unattended run: fetches each queued entry in turn
// and logs it; a failed entry is a failure of the run (counted in `failures`) and the next
// one follows. The files fetched are returned, so install.log lists them.
DownloadFetcher UnattendedFetcher(UnattendedDownloads& downloads, ActionLog& log, int* failures);

// Logs each item the installation could not install; returns how many there were.
int RecordInstallationEnd(const Installation& installation, ActionLog& log);

}  // namespace stepwise
