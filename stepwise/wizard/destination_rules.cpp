#include "wizard/destination_rules.h"

#include <cctype>

namespace stepwise {

namespace {

bool IsLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool ValidComponent(const std::string& part) {
    if (part.empty())
        return false;
    auto edge = [](char c) { return c == '\t' || c == ' ' || c == '.'; };
    if (edge(part.front()) || edge(part.back()))
        return false;
    return part.find_first_of("\"*/:<>?\\|") == std::string::npos;
}

}  // namespace

std::string DisplayedFolder(const std::string& folder) {
    if (folder.size() <= kDisplayedFolderLength)
        return folder;
    return folder.substr(0, kDisplayedFolderLength) + "...";
}

std::string FolderFromUninstallString(const std::string& uninstallString) {
    std::size_t blank = uninstallString.find(' ');
    if (blank == std::string::npos)
        return "";
    std::string argument;
    for (char c : uninstallString.substr(blank + 1)) {
        if (c != '"')
            argument += c;
    }
    std::size_t slash = argument.find_last_of('\\');
    if (slash == std::string::npos)
        return "";
    return argument.substr(0, slash);
}

bool IsValidTypedFolder(const std::string& path) {
    if (path.size() < 3 || !IsLetter(path[0]) || path[1] != ':' || path[2] != '\\')
        return false;
    std::size_t start = 3;
    if (start == path.size())
        return true;  // the bare root
    for (;;) {
        std::size_t end = path.find('\\', start);
        std::string part = path.substr(start, end == std::string::npos ? end : end - start);
        if (!ValidComponent(part))
            return false;
        if (end == std::string::npos)
            return true;
        start = end + 1;
    }
}

std::vector<std::string> FolderLevels(const std::string& path) {
    std::vector<std::string> levels;
    std::size_t from = path.size() >= 3 && path[1] == ':' ? 3 : 0;
    for (std::size_t i = from; i <= path.size(); ++i) {
        if ((i == path.size() || path[i] == '\\') && i > from && path[i - 1] != '\\')
            levels.push_back(path.substr(0, i));
    }
    return levels;
}

bool HasDriveLetter(const std::string& path) {
    return path.size() >= 2 && IsLetter(path[0]) && path[1] == ':';
}

std::string InvalidFolderMessage(const std::string& path) {
    return "The folder:\n\n" + path + "\n\nis invalid. Please reenter.";
}

std::string MissingFolderQuestion(const std::string& path) {
    return "The folder:\n\n" + path + "\n\ndoes not exist. Do you want the folder to be created?";
}

std::string UncreatableFolderMessage(const std::string& path) {
    return "The folder:\n\n" + path + "\n\ncan not be created. Please double check.";
}

}  // namespace stepwise
