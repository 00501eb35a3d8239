#include "install/folder_tokens.h"

#include <gtest/gtest.h>

namespace stepwise {
namespace {

TokenFolders Folders() {
    TokenFolders f;
    const char* paths[] = {"C:\\Program Files",
                           "C:\\WINDOWS\\SYSTEM",
                           "C:",
                           "C:\\Program Files\\Common Files",
                           "C:\\WINDOWS",
                           "C:\\Fav",
                           "C:\\Docs",
                           "C:\\Pics",
                           "C:\\Music",
                           "C:\\SendTo",
                           "C:\\WINDOWS\\Fonts",
                           "unused"};
    for (int k = 1; k <= kDestinationKinds; ++k)
        f[static_cast<DestinationKind>(k)] = paths[k - 1];
    f.installFolder = f.defaultInstallFolder = "C:\\Program Files\\Acme";
    return f;
}

// Every kind, spelt as a token and as a bare name, gives its folder and its number.
TEST(ExpandTokens, EachKindAsTokenAndBareName) {
    TokenFolders f = Folders();
    for (int k = 1; k <= kDestinationKinds; ++k) {
        auto kind = static_cast<DestinationKind>(k);
        std::string folder = kind == DestinationKind::InstallDir ? f.installFolder : f[kind];
        std::string name = KindName(kind);
        Expansion token = ExpandTokens("<" + name + ">\\Sub\\", f);
        EXPECT_EQ(token.text, folder + "\\Sub") << name;
        EXPECT_EQ(token.kind, kind) << name;
        Expansion bare = ExpandTokens(name + "\\Sub", f);
        EXPECT_EQ(bare.text, folder + "\\Sub") << name;
        EXPECT_EQ(bare.kind, kind) << name;
    }
}

// A value without any token keeps its text and has no kind: nothing is installed from it.
TEST(ExpandTokens, TokenlessValueHasNoKind) {
    Expansion e = ExpandTokens("D:\\Elsewhere\\", Folders());
    EXPECT_EQ(e.text, "D:\\Elsewhere");
    EXPECT_EQ(e.kind, DestinationKind::None);
}

// The last bare name found in table order wins, and with a "<" only tokens are replaced.
TEST(ExpandTokens, LastFoundKindWinsAndTokensOnlyWithAngle) {
    TokenFolders f = Folders();
    Expansion e = ExpandTokens("<Install Dir>\\Fonts Folder", f);
    EXPECT_EQ(e.kind, DestinationKind::InstallDir);
    EXPECT_EQ(e.text, "C:\\Program Files\\Acme\\Fonts Folder");
    Expansion both = ExpandTokens("<Fonts Folder>\\Program Files", f);
    EXPECT_EQ(both.kind, DestinationKind::Fonts);
    EXPECT_EQ(both.text, "C:\\WINDOWS\\Fonts\\Program Files");
}

// After the user chose another folder, a spelt-out default folder follows the choice.
TEST(ExpandTokens, DefaultFolderFollowsTheChosenFolder) {
    TokenFolders f = Folders();
    f.installFolder = "D:\\Tools\\Acme";
    EXPECT_EQ(ExpandTokens("C:\\Program Files\\Acme\\data", f).text, "D:\\Tools\\Acme\\data");
    EXPECT_EQ(ExpandTokens("<Install Dir>", f).text, "D:\\Tools\\Acme");
    // Without a change the default folder text stays as it is: a bare name inside a
    // spelt-out path is not a token.
    EXPECT_EQ(ExpandTokens("C:\\Program Files\\Acme", Folders()).text, "C:\\Program Files\\Acme");
}

}  // namespace
}  // namespace stepwise
