#include "script/folder_rules.h"

#include <gtest/gtest.h>

namespace stepwise {
namespace {

FolderTokens SampleTokens() {
    return {"C:\\windows", "C:", "C:\\windows\\system32", "C:\\Program Files",
            "C:\\Program Files\\Common Files"};
}

// Script files sit directly in a drive root and after one backslash anywhere else.
TEST(FolderRules, ScriptFilePathAvoidsDoubledBackslashAtRoot) {
    EXPECT_EQ(ScriptFilePath("A:\\", "data.tag"), "A:\\data.tag");
    EXPECT_EQ(ScriptFilePath("C:\\setup", "data.tag"), "C:\\setup\\data.tag");
    EXPECT_EQ(ScriptFilePath("C:\\ab", "file1.cab"), "C:\\ab\\file1.cab");
    // Only a three-character folder counts as a root.
    EXPECT_EQ(ScriptFilePath("\\\\srv\\share", "language.tag"), "\\\\srv\\share\\language.tag");
}

// The temporary folder always ends in exactly one backslash; an empty answer falls back.
TEST(FolderRules, TempFolderFallbackAndTrailingBackslash) {
    EXPECT_EQ(TempFolderFrom("C:\\users\\root\\Temp\\", "C:\\windows"), "C:\\users\\root\\Temp\\");
    EXPECT_EQ(TempFolderFrom("D:\\tmp", "C:\\windows"), "D:\\tmp\\");
    EXPECT_EQ(TempFolderFrom("", "C:\\windows"), "C:\\windows\\temp\\");
    EXPECT_EQ(WindowsDiskOf("C:\\windows"), "C:");
}

// APPINFO "5": one trailing backslash goes, then every token becomes its folder.
TEST(FolderRules, DefaultInstallFolderTokens) {
    FolderTokens t = SampleTokens();
    EXPECT_EQ(DefaultInstallFolderFrom("<Program Files>\\Acme\\", t), "C:\\Program Files\\Acme");
    EXPECT_EQ(DefaultInstallFolderFrom("<Windows Directory>\\Acme", t), "C:\\windows\\Acme");
    EXPECT_EQ(DefaultInstallFolderFrom("<Shared DLLs>", t), "C:\\windows\\system32");
    EXPECT_EQ(DefaultInstallFolderFrom("<Common Files Directory>\\Acme", t),
              "C:\\Program Files\\Common Files\\Acme");
    EXPECT_EQ(DefaultInstallFolderFrom("<Windows Disk>\\Acme", t), "C:\\Acme");
    // Only one backslash is removed; a token standing twice is replaced twice.
    EXPECT_EQ(DefaultInstallFolderFrom("D:\\Acme\\\\", t), "D:\\Acme\\");
    EXPECT_EQ(DefaultInstallFolderFrom("<Windows Disk>\\<Windows Disk>", t), "C:\\C:");
    // Tokens are case-sensitive and unknown ones stay as they are.
    EXPECT_EQ(DefaultInstallFolderFrom("<program files>\\<Other>", t), "<program files>\\<Other>");
    EXPECT_EQ(DefaultInstallFolderFrom("", t), "");
    EXPECT_EQ(DefaultInstallFolderFrom("\\", t), "");
}

// A replacement that contains its own token is not expanded again.
TEST(FolderRules, ReplaceAllDoesNotRescan) {
    EXPECT_EQ(ReplaceAll("aXbX", "X", "XX"), "aXXbXX");
    EXPECT_EQ(ReplaceAll("abc", "", "Z"), "abc");
    EXPECT_EQ(ReplaceAll("********x", "********", "Acme"), "Acmex");
}

}  // namespace
}  // namespace stepwise
