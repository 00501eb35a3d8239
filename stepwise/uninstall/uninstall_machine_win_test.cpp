#include "uninstall/uninstall_machine_win.h"

#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace stepwise {
namespace {

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// The protection rests on the shell naming the machine's folders: a folder the shell spells
// in capitals, with a trailing backslash or in its short form must still be kept.
TEST(UninstallMachine, TheShellsFoldersAreKeptInEverySpelling) {
    MachineFolders machine = ReadMachineFolders();
    ASSERT_FALSE(machine.windows.empty());
    ASSERT_FALSE(machine.system.empty());
    ASSERT_EQ(machine.programs.size(), 2u);
    for (const auto& folder : machine.standard)
        EXPECT_EQ(folder, CanonicalPath(folder)) << "not in canonical form";

    InstallLog log;
    for (int csidl :
         {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILES_COMMON, CSIDL_WINDOWS, CSIDL_SYSTEM,
          CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_STARTMENU, CSIDL_DESKTOPDIRECTORY,
          CSIDL_FAVORITES, CSIDL_APPDATA, CSIDL_PERSONAL, CSIDL_PROFILE, CSIDL_FONTS}) {
        std::string folder = ShellFolder(csidl);
        ASSERT_FALSE(folder.empty()) << csidl;
        CharUpperBuffA(folder.data(), static_cast<DWORD>(folder.size()));
        log.folders.push_back(CanonicalPath(folder + "\\"));
        char shortName[MAX_PATH] = {};
        if (GetShortPathNameA(folder.c_str(), shortName, MAX_PATH))
            log.paths.push_back(CanonicalPath(std::string(shortName) + "\\"));
    }
    RemovalPlan plan = PlanRemoval(log, machine, "");
    EXPECT_TRUE(plan.folders.empty()) << plan.folders.front();
    EXPECT_TRUE(plan.groups.empty()) << plan.groups.front();
    EXPECT_EQ(plan.kept.size(), log.folders.size() + log.paths.size());
}

TEST(UninstallMachine, CanonicalPathKeepsTheFolderMark) {
    std::string windows = ShellFolder(CSIDL_WINDOWS);
    std::string canonical = CanonicalPath(windows + "\\");
    EXPECT_EQ(canonical.back(), '\\');
    EXPECT_TRUE(std::none_of(canonical.begin(), canonical.end(), [](char c) {
        return c >= 'A' && c <= 'Z';
    })) << canonical;
    EXPECT_EQ(CanonicalPath("C:\\No Such Folder\\X.TXT"), "c:\\no such folder\\x.txt");
}

}  // namespace
}  // namespace stepwise
