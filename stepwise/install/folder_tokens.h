// Folder tokens of the installation actions: the twelve destination kinds, their bare names
// and "<...>" tokens, and the expansion of a script value into a folder path.
#pragma once

#include <array>
#include <string>

namespace stepwise {

// Destination kinds, numbered as the setup script's sections are listed; 0 means none.
enum class DestinationKind {
    None = 0,
    ProgramFiles = 1,
    SharedDlls = 2,
    WindowsDisk = 3,
    CommonFiles = 4,
    WindowsDirectory = 5,
    Favorites = 6,
    Documents = 7,
    MyPictures = 8,
    MyMusic = 9,
    SendTo = 10,
    Fonts = 11,
    InstallDir = 12,
};

constexpr int kDestinationKinds = 12;

// The bare name of a kind, which is also the name of its section in data.tag ("" for None).
const char* KindName(DestinationKind kind);

// The folder each kind stands for, index 0 for kind 1.
struct TokenFolders {
    std::array<std::string, kDestinationKinds> folders;
    std::string installFolder;
    std::string defaultInstallFolder;

    std::string& operator[](DestinationKind kind) { return folders[static_cast<int>(kind) - 1]; }
    const std::string& operator[](DestinationKind kind) const {
        return folders[static_cast<int>(kind) - 1];
    }
};

struct Expansion {
    std::string text;
    DestinationKind kind = DestinationKind::None;
};

// Expands a script value: one trailing backslash removed; the kind is the last of the
// twelve bare names found (in table order); without any "<" a bare name at the front of the
// text is replaced, otherwise every token; then the spelt-out default folder follows the
// chosen one.
Expansion ExpandTokens(const std::string& text, const TokenFolders& folders);

}  // namespace stepwise
