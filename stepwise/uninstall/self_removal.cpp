#include "uninstall/self_removal.h"

#include <algorithm>

#include "uninstall/removal_plan.h"

namespace stepwise {
namespace {

bool SafeForBatch(const std::string& path) {
    return !path.empty() && path.find_first_of("%\"\r\n") == std::string::npos;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; });
    return text;
}

}  // namespace

std::optional<std::string> SelfRemovalScript(const std::string& program,
                                             const std::string& script) {
    if (!SafeForBatch(program) || !SafeForBatch(script))
        return std::nullopt;
    std::string text;
    text += "@echo off\r\n";
    text += "set tries=0\r\n";
    text += ":retry\r\n";
    text += "del /f /q \"" + program + "\" >nul 2>&1\r\n";
    text += "if not exist \"" + program + "\" goto done\r\n";
    text += "set /a tries+=1\r\n";
    text += "if %tries% lss " + std::to_string(kSelfDeleteTries) + " goto retry\r\n";
    text += ":done\r\n";
    text += "del /f /q \"" + script + "\" >nul 2>&1\r\n";
    return text;
}

bool IsInstalledCopy(const std::string& program, const std::vector<std::string>& systemFolders) {
    std::string normal = NormalFolderPath(program);
    if (normal.empty())
        return false;
    std::string folder = normal.substr(0, normal.rfind('\\'));
    return std::any_of(systemFolders.begin(), systemFolders.end(), [&](const std::string& s) {
        return !s.empty() && NormalFolderPath(s) == folder;
    });
}

bool SharedWithOtherProducts(const std::string& program,
                             const std::vector<std::string>& uninstallStrings) {
    std::string normal = NormalFolderPath(program);
    for (const auto& command : uninstallStrings) {
        // The command's program: up to the first blank, or inside leading quotes.
        std::string lower = Lower(command);
        std::size_t start = lower.find_first_not_of(" \t");
        if (start == std::string::npos)
            continue;
        std::string exe;
        if (lower[start] == '"') {
            std::size_t close = lower.find('"', start + 1);
            exe = lower.substr(start + 1, close == std::string::npos ? close : close - start - 1);
        } else {
            std::size_t blank = lower.find_first_of(" \t", start);
            exe = lower.substr(start, blank == std::string::npos ? blank : blank - start);
        }
        if (!exe.empty() && NormalFolderPath(exe) == normal)
            return true;
    }
    return false;
}

}  // namespace stepwise
