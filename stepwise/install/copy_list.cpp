#include "install/copy_list.h"

#include <algorithm>
#include <cstdlib>

namespace stepwise {

bool Selection::Selects(const std::string& name) const {
    if (!names)
        return true;
    return std::find(names->begin(), names->end(), name) != names->end();
}

int ReadCount(const ProfileSource& script, const std::string& section) {
    std::string text = script.Read(section, "TOTAL", kCountBuffer);
    return std::max(0, std::atoi(text.c_str()));
}

Selection SelectionFor(int setupType,
                       const ProfileSource& script,
                       const std::vector<std::string>& customSelection) {
    Selection selection;
    if (setupType == 133) {
        std::vector<std::string> names;
        int total = ReadCount(script, "SETUPTYPE");
        for (int i = 0; i < total; ++i)
            names.push_back(script.Read("SETUPTYPE", "A" + std::to_string(i), kValueBuffer));
        selection.names = std::move(names);
    } else if (setupType == 255) {
        selection.names = customSelection;
    }
    return selection;
}

bool IsDownloadName(const std::string& name) {
    return name.rfind("http", 0) == 0 || name.rfind("ftp", 0) == 0;
}

int CountDownloadEntries(const ProfileSource& script) {
    int total = ReadCount(script, "FILES");
    int count = 0;
    for (int j = 0; j < total; ++j) {
        if (IsDownloadName(script.Read("FILES", "PR" + std::to_string(j), kPathBuffer)))
            ++count;
    }
    return count;
}

std::vector<CopyEntry> BuildCopyList(const ProfileSource& script,
                                     const std::string& tempFolder,
                                     const TokenFolders& folders,
                                     const Selection& selection) {
    std::vector<CopyEntry> list;
    int total = ReadCount(script, "FILES");
    for (int j = 0; j < total && list.size() < kMaxCopyEntries; ++j) {
        std::string n = std::to_string(j);
        CopyEntry entry;
        entry.index = j;
        entry.name = script.Read("FILES", "PR" + n, kPathBuffer);
        entry.address = script.Read("FILES", "PA" + n, kPathBuffer);
        std::string on = script.Read("FILES", "ON" + n, kPathBuffer);
        if (!selection.Selects(entry.name))
            continue;
        entry.source = tempFolder + "F" + n + "_" + entry.name;
        if (entry.source.find("http") != std::string::npos ||
            entry.source.find("ftp") != std::string::npos)
            entry.source = entry.address;
        Expansion expanded = ExpandTokens(on, folders);
        entry.destination = expanded.text + "\\" + entry.name;
        entry.kind = expanded.kind;
        list.push_back(std::move(entry));
    }
    return list;
}

std::vector<std::string> FolderLevels::NewLevelsFor(const std::string& path) {
    std::vector<std::string> levels;
    std::size_t last = path.rfind('\\');
    if (last == std::string::npos)
        return levels;
    std::string folder = path.substr(0, last);
    std::size_t components = 0;
    std::size_t from = 0;
    while (components < kMaxPathComponents) {
        std::size_t at = folder.find('\\', from);
        std::string prefix = at == std::string::npos ? folder : folder.substr(0, at);
        ++components;
        if (prefix.size() > 3 && !handled_.count(prefix) && handled_.size() < kMaxCreatedFolders) {
            handled_.insert(prefix);
            levels.push_back(prefix);
        }
        if (at == std::string::npos)
            break;
        from = at + 1;
    }
    return levels;
}

}  // namespace stepwise
