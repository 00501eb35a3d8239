#include "wizard/folder_browser_win.h"

#include <gtest/gtest.h>

#include "common/win32/handles_win.h"

#include <string>

namespace stepwise {
namespace {

std::string NewTempName() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "stepwise-levels-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(GetTickCount());
}

// Every missing level is created, an existing one is kept, and a level that is a file stops
// the creation with a failure.
TEST(CreateFolderLevels, CreatesEveryMissingLevel) {
    std::string root = NewTempName();
    std::string deep = root + "\\a b\\c\\d";
    ASSERT_TRUE(CreateFolderLevels(deep));
    DWORD attributes = GetFileAttributesA(deep.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(CreateFolderLevels(deep));

    std::string file = root + "\\file";
    ASSERT_TRUE(win32::KernelHandle(
        CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)));
    EXPECT_FALSE(CreateFolderLevels(file + "\\below"));

    DeleteFileA(file.c_str());
    RemoveDirectoryA(deep.c_str());
    RemoveDirectoryA((root + "\\a b\\c").c_str());
    RemoveDirectoryA((root + "\\a b").c_str());
    RemoveDirectoryA(root.c_str());
}

}  // namespace
}  // namespace stepwise
