#include "script/folder_rules.h"

namespace stepwise {

std::string ScriptFilePath(const std::string& setupFolder, const std::string& name) {
    if (setupFolder.size() == 3)
        return setupFolder + name;
    return setupFolder + "\\" + name;
}

std::string WindowsDiskOf(const std::string& windowsFolder) {
    return windowsFolder.substr(0, 2);
}

std::string TempFolderFrom(const std::string& tempPath, const std::string& windowsFolder) {
    std::string folder = tempPath.empty() ? windowsFolder + "\\temp\\" : tempPath;
    if (folder.back() != '\\')
        folder += '\\';
    return folder;
}

std::string ReplaceAll(const std::string& text,
                       const std::string& token,
                       const std::string& replacement) {
    if (token.empty())
        return text;
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(token, from)) != std::string::npos;
         from = at + token.size()) {
        out.append(text, from, at - from);
        out += replacement;
    }
    out.append(text, from, std::string::npos);
    return out;
}

std::string DefaultInstallFolderFrom(const std::string& appInfo5, const FolderTokens& tokens) {
    std::string folder = appInfo5;
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    folder = ReplaceAll(folder, "<Program Files>", tokens.programFiles);
    folder = ReplaceAll(folder, "<Windows Directory>", tokens.windowsFolder);
    folder = ReplaceAll(folder, "<Shared DLLs>", tokens.systemFolder);
    folder = ReplaceAll(folder, "<Common Files Directory>", tokens.commonFiles);
    folder = ReplaceAll(folder, "<Windows Disk>", tokens.windowsDisk);
    return folder;
}

}  // namespace stepwise
