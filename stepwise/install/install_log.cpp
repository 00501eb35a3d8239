#include "install/install_log.h"

#include <cctype>

namespace stepwise {

std::string LowerCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

InstallLog::InstallLog(InstallSystem& system, std::string logPath, const std::string& systemFolder)
    : system_(system), logPath_(std::move(logPath)), systemFolderLower_(LowerCase(systemFolder)) {}

void InstallLog::Store(const std::string& path) {
    if (static_cast<std::size_t>(count_) < installed_.size())
        installed_[count_] = path;
    else
        installed_.push_back(path);
}

void InstallLog::RecordFile(const std::string& path) {
    Store(path);
    std::string lower = LowerCase(path);
    if (lower.find(".dll") != std::string::npos && !systemFolderLower_.empty() &&
        lower.find(systemFolderLower_) != std::string::npos)
        return;
    Write("LOG", std::to_string(count_), lower);
    ++count_;
}

void InstallLog::RecordUnwritten(const std::string& path) {
    Store(path);
    ++count_;
}

void InstallLog::RecordFolder(const std::string& folder) {
    Write("DIR", std::to_string(folders_), folder);
    ++folders_;
}

void InstallLog::Write(const std::string& section,
                       const std::string& key,
                       const std::string& value) {
    system_.WriteProfileValue(logPath_, section, key, value);
}

}  // namespace stepwise
