// The folder set and the script access against Wine's registry, environment, shell folders
// and private-profile files.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "script/folder_set_win.h"
#include "script/profile_win.h"

namespace stepwise {
namespace {

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Windows folder, disk and TempFolder come from the system and name real folders.
TEST(FolderSetWin, BaseFolders) {
    FolderSet folders;
    ResolveBaseFolders(folders);
    ASSERT_GE(folders.windowsFolder.size(), 3u);
    EXPECT_TRUE(IsFolder(folders.windowsFolder));
    EXPECT_EQ(folders.windowsDisk, folders.windowsFolder.substr(0, 2));
    EXPECT_EQ(folders.windowsDisk[1], ':');
    ASSERT_FALSE(folders.tempFolder.empty());
    EXPECT_EQ(folders.tempFolder.back(), '\\');
    EXPECT_TRUE(IsFolder(folders.tempFolder));
}

// Program Files and Common Files are the registry's values; Program Files exists.
TEST(FolderSetWin, ProgramFoldersFromRegistry) {
    FolderSet folders;
    ResolveProgramFolders(folders);
    EXPECT_TRUE(IsFolder(folders.systemFolder));
    EXPECT_TRUE(IsFolder(folders.programFiles)) << folders.programFiles;
    EXPECT_EQ(folders.programFiles, CurrentVersionValue("ProgramFilesDir"));
    EXPECT_EQ(folders.commonFiles, CurrentVersionValue("CommonFilesDir"));
    EXPECT_EQ(folders.programFiles.substr(0, 2), "C:");
    EXPECT_EQ(CurrentVersionValue("NoSuchValueHere"), "");
}

// The six shell folders resolve to folders on disk (Wine creates them in the prefix).
TEST(FolderSetWin, ShellFolders) {
    FolderSet folders;
    ResolveShellFolders(folders);
    for (const std::string* folder :
         {&folders.favorites, &folders.commonDocuments, &folders.myPictures, &folders.myMusic,
          &folders.sendTo, &folders.fonts}) {
        EXPECT_FALSE(folder->empty());
        EXPECT_TRUE(IsFolder(*folder)) << *folder;
    }
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_STRCASEEQ(folders.fonts.c_str(), (std::string(windows) + "\\Fonts").c_str());
}

// Values are read from the file at each call, keys ignore case, long values are cut and
// a missing key or file reads as "".
TEST(FolderSetWin, PrivateProfileReadsAtPointOfUse) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string path = std::string(temp) + "stepwise-profile-test.tag";
    {
        std::ofstream out(path, std::ios::trunc);
        out << "[APPINFO]\r\n1=Acme\r\nLong=" << std::string(300, 'x') << "\r\n";
    }
    PrivateProfileFile file(path);
    EXPECT_EQ(file.Read("APPINFO", "1", kValueBuffer), "Acme");
    EXPECT_EQ(file.Read("appinfo", "1", kValueBuffer), "Acme");
    EXPECT_EQ(file.Read("APPINFO", "Long", kValueBuffer).size(), kValueBuffer - 1);
    EXPECT_EQ(file.Read("APPINFO", "Absent", kValueBuffer), "");
    {
        std::ofstream out(path, std::ios::trunc);
        out << "[APPINFO]\r\n1=Changed\r\n";
    }
    EXPECT_EQ(file.Read("APPINFO", "1", kValueBuffer), "Changed");
    DeleteFileA(path.c_str());
    EXPECT_EQ(file.Read("APPINFO", "1", kValueBuffer), "");
    EXPECT_FALSE(FileExists(path));
}

}  // namespace
}  // namespace stepwise
