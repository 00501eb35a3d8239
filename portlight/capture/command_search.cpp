#include "capture/command_search.h"

#include <algorithm>
#include <cctype>

#include "capture/text_split.h"

namespace portlight {

namespace {

bool IsAbsoluteFolder(std::string_view folder) {
    bool drive = folder.size() >= 3 && std::isalpha(static_cast<unsigned char>(folder[0])) &&
                 folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/');
    bool unc = folder.size() >= 3 && folder[0] == '\\' && folder[1] == '\\';
    return drive || unc;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string WithoutTrailingSlash(std::string folder) {
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return folder;
}

}  // namespace

std::string ProgramToken(std::string_view commandLine) {
    size_t start = commandLine.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return {};
    if (commandLine[start] == '"') {
        size_t end = commandLine.find('"', start + 1);
        return std::string(commandLine.substr(
            start + 1, end == std::string_view::npos ? std::string_view::npos : end - start - 1));
    }
    size_t end = commandLine.find_first_of(" \t", start);
    return std::string(commandLine.substr(
        start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

bool HasFolder(std::string_view program) {
    return program.find_first_of("\\/:") != std::string_view::npos;
}

std::vector<std::string> CommandSearchFolders(const std::string& programFolder,
                                              const std::string& systemFolder,
                                              const std::string& windowsFolder,
                                              std::string_view pathVariable) {
    std::vector<std::string> folders;
    std::vector<std::string> seen;
    auto add = [&](std::string_view candidate) {
        std::string folder = WithoutTrailingSlash(TrimSpaces(candidate));
        // A quoted PATH entry is one folder, quotes and all; the quotes are not part of it.
        if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"')
            folder = WithoutTrailingSlash(folder.substr(1, folder.size() - 2));
        if (!IsAbsoluteFolder(folder))
            return;
        std::string key = Lower(folder);
        if (std::find(seen.begin(), seen.end(), key) != seen.end())
            return;
        seen.push_back(key);
        folders.push_back(folder);
    };
    add(programFolder);
    add(systemFolder);
    add(windowsFolder);
    size_t start = 0;
    while (start <= pathVariable.size()) {
        size_t end = pathVariable.find(';', start);
        if (end == std::string_view::npos)
            end = pathVariable.size();
        add(pathVariable.substr(start, end - start));
        start = end + 1;
    }
    return folders;
}

std::string ExecutableFileName(std::string_view program) {
    size_t slash = program.find_last_of("\\/");
    size_t dot = program.find_last_of('.');
    bool hasExtension =
        dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
    return std::string(program) + (hasExtension ? "" : ".exe");
}

}  // namespace portlight
