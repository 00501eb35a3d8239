// An in-memory InstallSystem for logic tests: files with optional versions, profile files
// kept as sections in order of first write (as WritePrivateProfileStringA keeps them), and a
// journal of every other effect.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "install/install_system.h"

namespace stepwise {

class FakeInstallSystem : public InstallSystem {
  public:
    struct File {
        std::string content;
        std::optional<std::string> version;
    };
    using Section = std::vector<std::pair<std::string, std::string>>;
    using Profile = std::vector<std::pair<std::string, Section>>;

    std::map<std::string, File> files;
    std::set<std::string> folders;
    std::map<std::string, Profile> profiles;
    std::vector<std::string> journal;  // registrations, environment, registry, shortcuts
    std::vector<ShellLink> links;
    std::set<std::string> failingCopies;  // destinations whose copy fails
    // When set, a profile file is written only into a folder created before (or listed in
    // `folders`), as the real call fails for a missing folder.
    bool profilesNeedFolder = false;

    bool CreateFolder(const std::string& path) override {
        folders.insert(path);
        journal.push_back("folder " + path);
        return true;
    }
    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    bool CopyTo(const std::string& from, const std::string& to, bool replace) override {
        journal.push_back("copy " + to + (replace ? " replace" : ""));
        auto source = files.find(from);
        if (source == files.end() || failingCopies.count(to) || (!replace && files.count(to)))
            return false;
        files[to] = source->second;
        return true;
    }
    std::optional<std::string> FileVersion(const std::string& path) override {
        auto found = files.find(path);
        return found == files.end() ? std::nullopt : found->second.version;
    }
    bool Register(const std::string& path) override {
        journal.push_back("register " + path);
        return true;
    }
    bool WriteProfileValue(const std::string& file,
                           const std::string& section,
                           const std::string& key,
                           const std::string& value) override {
        if (profilesNeedFolder && !folders.count(file.substr(0, file.rfind('\\'))))
            return false;
        Profile& profile = profiles[file];
        Section* target = nullptr;
        for (auto& s : profile) {
            if (s.first == section)
                target = &s.second;
        }
        if (!target) {
            profile.push_back({section, {}});
            target = &profile.back().second;
        }
        for (auto& entry : *target) {
            if (entry.first == key) {
                entry.second = value;
                return true;
            }
        }
        target->push_back({key, value});
        return true;
    }
    bool SetEnvironmentValue(EnvironmentScope scope,
                             const std::string& name,
                             const std::string& value) override {
        journal.push_back(std::string(scope == EnvironmentScope::User ? "user" : "system") +
                          " env " + name + "=" + value);
        return true;
    }
    void AnnounceEnvironment() override { journal.push_back("announce environment"); }
    bool WriteMachineValues(
        const std::string& key,
        const std::vector<std::pair<std::string, std::string>>& values) override {
        for (const auto& [name, value] : values)
            journal.push_back("HKLM\\" + key + " " + name + "=" + value);
        return true;
    }
    bool CreateShellLink(const ShellLink& link) override {
        links.push_back(link);
        journal.push_back("link " + link.path);
        return true;
    }
    bool CreateInternetShortcut(const std::string& path, const std::string& address) override {
        journal.push_back("url " + path + " -> " + address);
        return true;
    }
    void OpenFolder(const std::string& path) override { journal.push_back("open " + path); }

    // A profile file as text: "[section]" lines and "key=value" lines.
    std::vector<std::string> ProfileLines(const std::string& file) const {
        std::vector<std::string> lines;
        auto found = profiles.find(file);
        if (found == profiles.end())
            return lines;
        for (const auto& [section, entries] : found->second) {
            lines.push_back("[" + section + "]");
            for (const auto& [key, value] : entries)
                lines.push_back(key + "=" + value);
        }
        return lines;
    }
};

}  // namespace stepwise
