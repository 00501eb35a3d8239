#include "install/folder_tokens.h"

#include "script/folder_rules.h"

namespace stepwise {

namespace {

constexpr std::array<const char*, kDestinationKinds> kNames = {
    "Program Files",     "Shared DLLs",      "Windows Disk",     "Common Files Directory",
    "Windows Directory", "Favorites Folder", "Documents Folder", "My Pictures Folder",
    "My Music Folder",   "Send To Folder",   "Fonts Folder",     "Install Dir",
};

DestinationKind KindAt(int index) {
    return static_cast<DestinationKind>(index + 1);
}

}  // namespace

const char* KindName(DestinationKind kind) {
    int n = static_cast<int>(kind);
    return n >= 1 && n <= kDestinationKinds ? kNames[n - 1] : "";
}

Expansion ExpandTokens(const std::string& text, const TokenFolders& folders) {
    Expansion result;
    result.text = text;
    if (!result.text.empty() && result.text.back() == '\\')
        result.text.pop_back();

    for (int i = 0; i < kDestinationKinds; ++i) {
        if (result.text.find(kNames[i]) != std::string::npos)
            result.kind = KindAt(i);
    }

    const bool bare = result.text.find('<') == std::string::npos;
    for (int i = 0; i < kDestinationKinds; ++i) {
        DestinationKind kind = KindAt(i);
        const std::string& folder =
            kind == DestinationKind::InstallDir ? folders.installFolder : folders[kind];
        if (!bare) {
            result.text = ReplaceAll(result.text, "<" + std::string(kNames[i]) + ">", folder);
        } else if (result.text.rfind(kNames[i], 0) == 0) {
            // A bare name stands for its folder only at the front of the value: replaced
            // anywhere, a spelt-out "C:\Program Files\Acme" would become
            // "C:\C:\Program Files\Acme".
            result.text = folder + result.text.substr(std::string(kNames[i]).size());
        }
    }

    if (folders.installFolder != folders.defaultInstallFolder &&
        !folders.defaultInstallFolder.empty())
        result.text = ReplaceAll(result.text, folders.defaultInstallFolder, folders.installFolder);
    return result;
}

}  // namespace stepwise
