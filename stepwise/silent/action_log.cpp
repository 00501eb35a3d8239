#include "silent/action_log.h"

namespace stepwise {

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

}  // namespace

void ActionLog::Note(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    sink_(text);
}

void ActionLog::Failure(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++failures_;
    sink_("FAILED: " + text);
}

int ActionLog::failures() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failures_;
}

bool LoggingInstallSystem::Outcome(const std::string& action, bool done) {
    // A refused call is not yet a failed item: the installation decides (an existing folder,
    // a kept newer file); its failures are logged at the end.
    log_.Note(action + (done ? "" : " (refused)"));
    return done;
}

bool LoggingInstallSystem::CreateFolder(const std::string& path) {
    return Outcome("create folder " + Quoted(path), inner_.CreateFolder(path));
}

bool LoggingInstallSystem::CopyTo(const std::string& from, const std::string& to, bool replace) {
    return Outcome(
        std::string(replace ? "copy (replacing) " : "copy ") + Quoted(from) + " to " + Quoted(to),
        inner_.CopyTo(from, to, replace));
}

std::optional<std::string> LoggingInstallSystem::FileVersion(const std::string& path) {
    std::optional<std::string> version = inner_.FileVersion(path);
    log_.Note("version of " + Quoted(path) + ": " + (version ? *version : "none"));
    return version;
}

bool LoggingInstallSystem::Register(const std::string& path) {
    return Outcome("register " + Quoted(path) + " with regsvr32", inner_.Register(path));
}

bool LoggingInstallSystem::WriteProfileValue(const std::string& file,
                                             const std::string& section,
                                             const std::string& key,
                                             const std::string& value) {
    return Outcome("write [" + section + "] " + key + "=" + value + " in " + Quoted(file),
                   inner_.WriteProfileValue(file, section, key, value));
}

bool LoggingInstallSystem::SetEnvironmentValue(EnvironmentScope scope,
                                               const std::string& name,
                                               const std::string& value) {
    return Outcome(std::string("set ") + (scope == EnvironmentScope::System ? "system" : "user") +
                       " environment value " + name + "=" + value,
                   inner_.SetEnvironmentValue(scope, name, value));
}

void LoggingInstallSystem::AnnounceEnvironment() {
    log_.Note("announce the environment change");
    inner_.AnnounceEnvironment();
}

bool LoggingInstallSystem::WriteMachineValues(
    const std::string& key,
    const std::vector<std::pair<std::string, std::string>>& values) {
    std::string names;
    for (const auto& [name, value] : values)
        names += " " + name + "=" + Quoted(value);
    return Outcome("write HKEY_LOCAL_MACHINE\\" + key + ":" + names,
                   inner_.WriteMachineValues(key, values));
}

bool LoggingInstallSystem::CreateShellLink(const ShellLink& link) {
    std::string text = "create shortcut " + Quoted(link.path) + " to " + Quoted(link.target);
    if (!link.arguments.empty())
        text += " " + link.arguments;
    return Outcome(text, inner_.CreateShellLink(link));
}

bool LoggingInstallSystem::CreateInternetShortcut(const std::string& path,
                                                  const std::string& address) {
    return Outcome("create Internet shortcut " + Quoted(path) + " to " + address,
                   inner_.CreateInternetShortcut(path, address));
}

void LoggingInstallSystem::OpenFolder(const std::string& path) {
    log_.Note("not opening " + Quoted(path) + " (unattended)");
}

void LoggingProgress::SetStatus(const std::string& text) {
    if (text == status_)
        return;
    status_ = text;
    log_.Note(text);
}

DownloadFetcher UnattendedFetcher(UnattendedDownloads& downloads, ActionLog& log, int* failures) {
    return [&downloads, &log, failures](const DownloadBatch& batch) {
        std::vector<std::string> fetched;
        for (const DownloadEntry& entry : batch.entries) {
            std::string path;
            std::string error;
            if (downloads.Fetch(entry, &path, &error)) {
                log.Note("downloaded " + entry.address + " to " + Quoted(path));
                fetched.push_back(path);
            } else {
                log.Failure("download " + entry.address + " into " + Quoted(entry.folder) + ": " +
                            error);
                ++*failures;
            }
        }
        return fetched;
    };
}

int RecordInstallationEnd(const Installation& installation, ActionLog& log) {
    int failures = 0;
    for (const std::string& item : installation.failures()) {
        log.Failure("not installed: " + item);
        ++failures;
    }
    return failures;
}

}  // namespace stepwise
