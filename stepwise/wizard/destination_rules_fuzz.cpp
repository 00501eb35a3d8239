// Feeds arbitrary text through the destination rules: a typed path (the browser's edit box)
// and an uninstall command (the registry of a previous installation).
#include <cstddef>
#include <cstdint>
#include <string>

#include "wizard/destination_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    using namespace stepwise;

    if (DisplayedFolder(text).size() > kDisplayedFolderLength + 3)
        __builtin_trap();

    if (IsValidTypedFolder(text)) {
        // A valid path is built from its levels: the last level is the path itself.
        auto levels = FolderLevels(text);
        if (text.size() > 3 && (levels.empty() || levels.back() != text))
            __builtin_trap();
        if (!HasDriveLetter(text))
            __builtin_trap();
    }

    std::string folder = FolderFromUninstallString(text);
    if (folder.find('"') != std::string::npos || folder.size() > text.size())
        __builtin_trap();
    return 0;
}
