#include "uninstall/removal_plan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace stepwise {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

MachineFolders Machine() {
    MachineFolders machine;
    machine.windows = "C:\\WINDOWS";
    machine.system = {"C:\\WINDOWS\\system32", "C:\\WINDOWS\\SysWOW64"};
    machine.programs = {
        "C:\\Users\\Ada\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs",
        "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"};
    machine.standard = {
        "C:\\Program Files",
        "C:\\Program Files\\Common Files",
        "C:\\Users\\Ada\\Desktop\\",
        "C:\\Users\\Ada\\Favorites",
        "C:\\Users\\Ada\\AppData\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch",
        "C:\\Users\\Ada\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu",
    };
    return machine;
}

std::vector<KeepReason> Reasons(const RemovalPlan& plan) {
    std::vector<KeepReason> reasons;
    for (const auto& kept : plan.kept)
        reasons.push_back(kept.reason);
    return reasons;
}

TEST(RemovalPlan, TypicalInstallation) {
    // DIR starts with the levels of the installation folder, Program Files included, then the
    // destination folders and the program group; LOG skips the uninstaller's key 3.
    InstallLog log;
    log.folders = {
        "C:\\",
        "C:\\Program Files\\",
        "C:\\Program Files\\Acme\\",
        "C:\\Program Files\\Acme\\Data\\",
        "C:\\Program Files\\Acme\\Data\\Maps\\",
        "C:\\Users\\Ada\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Acme\\"};
    log.paths = {
        "c:\\program files\\acme\\acme.exe",
        "c:\\program files\\acme\\data\\maps\\world.map",
        "c:\\windows\\system32\\acmecore.dll",
        "c:\\users\\ada\\appdata\\roaming\\microsoft\\windows\\start menu\\programs\\acme\\"
        "acme.lnk",
        "c:\\users\\ada\\desktop\\acme.lnk",
        "c:\\program files\\acme\\data.tag",
        "c:\\users\\ada\\appdata\\roaming\\microsoft\\windows\\start menu\\programs\\acme\\"};
    log.uninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme";
    log.productKey = "Software\\Corvane\\Acme";

    RemovalPlan plan = PlanRemoval(log, Machine(), "C:\\Program Files\\Acme\\install.log");
    const std::string group =
        "c:\\users\\ada\\appdata\\roaming\\microsoft\\windows\\start menu\\programs\\acme";
    EXPECT_THAT(plan.files, ElementsAre("c:\\program files\\acme\\acme.exe",
                                        "c:\\program files\\acme\\data\\maps\\world.map",
                                        group + "\\acme.lnk", "c:\\users\\ada\\desktop\\acme.lnk",
                                        "c:\\program files\\acme\\data.tag"));
    EXPECT_THAT(plan.groups, ElementsAre(group));
    EXPECT_EQ(plan.productKey, "Software\\Corvane\\Acme");
    EXPECT_THAT(plan.emptyParentKeys, ElementsAre("Software\\Corvane"));
    EXPECT_EQ(plan.uninstallKey, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme");
    EXPECT_EQ(plan.logFile, "c:\\program files\\acme\\install.log");
    // Deepest first; the root and Program Files kept; the group, logged in DIR as well, once.
    EXPECT_THAT(plan.folders,
                ElementsAre("c:\\program files\\acme\\data\\maps", "c:\\program files\\acme\\data",
                            "c:\\program files\\acme"));
    EXPECT_THAT(Reasons(plan), ElementsAre(KeepReason::SystemDll, KeepReason::StandardFolder,
                                           KeepReason::StandardFolder));
}

TEST(RemovalPlan, DeepestFoldersFirstWhateverTheLoggedOrder) {
    InstallLog log;
    log.folders = {"c:\\a\\",    "c:\\a\\b\\c\\", "c:\\x\\",
                   "c:\\a\\b\\", "c:\\x\\y\\",    "c:\\a\\b\\c\\d\\"};
    RemovalPlan plan = PlanRemoval(log, Machine(), "");
    EXPECT_THAT(plan.folders, ElementsAre("c:\\a\\b\\c\\d", "c:\\a\\b\\c", "c:\\x\\y", "c:\\a\\b",
                                          "c:\\x", "c:\\a"));
}

TEST(RemovalPlan, NeverAStandardFolderADriveRootOrAFolderAboveOne) {
    // Spelled in every way a log could: other letter case, forward slashes, doubled or missing
    // backslashes, "." and "..", as DIR folders and as LOG folder entries.
    InstallLog log;
    log.folders = {"c:\\",
                   "D:",
                   "C:\\PROGRAM FILES",
                   "c:/program files/common files/",
                   "c:\\\\windows\\\\system32\\\\",
                   "c:\\windows\\syswow64\\.\\",
                   "c:\\users\\",
                   "c:\\users\\ada\\",
                   "c:\\users\\ada\\desktop\\",
                   "c:\\users\\ada\\appdata\\",
                   "c:\\users\\ada\\appdata\\roaming\\microsoft\\internet explorer\\quick launch\\",
                   "c:\\users\\ada\\appdata\\roaming\\microsoft\\windows\\start menu\\programs\\",
                   "c:\\programdata\\microsoft\\windows\\start menu\\programs\\",
                   "c:\\program files\\acme\\..\\",
                   "c:\\program files\\acme\\..\\..\\..\\"};
    log.paths = {"c:\\users\\ada\\desktop\\", "c:\\program files\\", "c:\\windows",
                 "c:\\users\\ada\\favorites\\",
                 "c:\\users\\ada\\appdata\\roaming\\microsoft\\windows\\start menu\\"};
    RemovalPlan plan = PlanRemoval(log, Machine(), "");
    EXPECT_THAT(plan.folders, IsEmpty());
    EXPECT_THAT(plan.groups, IsEmpty());
    EXPECT_THAT(plan.files, IsEmpty());
    EXPECT_EQ(plan.kept.size(), log.folders.size() + log.paths.size());
    // LOG entries come first; the last one, a level above Programs, is a standard folder too.
    const KeptItem& lastLogged = plan.kept[log.paths.size() - 1];
    EXPECT_EQ(lastLogged.reason, KeepReason::StandardFolder);
    EXPECT_EQ(lastLogged.item, log.paths.back());
}

TEST(RemovalPlan, SharedFilesOfTheSystemAndWindowsFoldersStay) {
    InstallLog log;
    log.paths = {"c:\\windows\\system32\\acme.dll",           // shared DLL
                 "C:\\WINDOWS\\SYSWOW64\\ACME32.DLL",         // its WOW64 twin, other letter case
                 "c:\\windows\\system32\\acme.dll.manifest",  // the installer's ".dll" rule
                 "c:\\windows\\win.ini",  // INI entries written into shared files
                 "c:\\windows\\system32\\control.ini",
                 "c:\\boot.ini",
                 "c:\\windows\\acme.ini",               // the product's own INI file goes
                 "c:\\program files\\acme\\win.ini",    // and so does one in its folder
                 "c:\\windows\\system32\\acmectl.ocx",  // controls are logged, so they go
                 "c:\\program files\\acme\\acme.dll",   // a DLL in the product folder goes
                 "c:\\windows\\acme.txt"};
    RemovalPlan plan = PlanRemoval(log, Machine(), "");
    EXPECT_THAT(plan.files,
                ElementsAre("c:\\windows\\acme.ini", "c:\\program files\\acme\\win.ini",
                            "c:\\windows\\system32\\acmectl.ocx",
                            "c:\\program files\\acme\\acme.dll", "c:\\windows\\acme.txt"));
    EXPECT_THAT(Reasons(plan),
                ElementsAre(KeepReason::SystemDll, KeepReason::SystemDll, KeepReason::SystemDll,
                            KeepReason::SharedIni, KeepReason::SharedIni, KeepReason::SharedIni));
}

TEST(RemovalPlan, OnlyTheProgramGroupGoesWithItsContents) {
    // A logged folder entry right inside a "Programs" folder is the group; any other logged
    // folder entry goes only when empty, like a DIR folder.
    InstallLog log;
    log.paths = {"c:\\programdata\\microsoft\\windows\\start menu\\programs\\acme\\",
                 "c:\\programdata\\microsoft\\windows\\start menu\\programs\\acme\\tools\\",
                 "c:\\program files\\acme\\",
                 "c:\\programdata\\microsoft\\windows\\start menu\\programs\\acme\\"};
    RemovalPlan plan = PlanRemoval(log, Machine(), "");
    EXPECT_THAT(plan.groups,
                ElementsAre("c:\\programdata\\microsoft\\windows\\start menu\\programs\\acme"));
    EXPECT_THAT(
        plan.folders,
        ElementsAre("c:\\programdata\\microsoft\\windows\\start menu\\programs\\acme\\tools",
                    "c:\\program files\\acme"));
    EXPECT_THAT(plan.files, IsEmpty());
}

TEST(RemovalPlan, PathsThatAreNotFullPathsStay) {
    InstallLog log;
    log.paths = {
        "acme.exe",     "\\acme\\acme.exe", "c:acme.exe",        "\\\\server\\share\\acme.exe",
        "1:\\acme.exe", "c:\\..\\acme.exe", "c:\\acme\\acme.exe"};
    log.folders = {"acme\\", "c:\\..\\"};
    RemovalPlan plan = PlanRemoval(log, Machine(), "install.log");
    EXPECT_THAT(plan.files, ElementsAre("c:\\acme\\acme.exe"));
    EXPECT_THAT(plan.folders, IsEmpty());
    EXPECT_EQ(plan.logFile, "");
    EXPECT_EQ(plan.kept.size(), 8u);
    for (const auto& kept : plan.kept)
        EXPECT_EQ(kept.reason, KeepReason::NotFullPath) << kept.item;
}

TEST(RemovalPlan, RemovesOnlyKeysTheInstallerCanHaveMadeForOneProduct) {
    auto keys = [](const std::string& product, const std::string& uninstall) {
        InstallLog log;
        log.productKey = product;
        log.uninstallKey = uninstall;
        return PlanRemoval(log, Machine(), "");
    };
    RemovalPlan plan =
        keys("Software\\Acme", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme\\");
    EXPECT_EQ(plan.productKey, "Software\\Acme");
    EXPECT_THAT(plan.emptyParentKeys, IsEmpty());
    EXPECT_EQ(plan.uninstallKey, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme");

    // A company called Microsoft: its product goes, the shared key above it stays.
    plan = keys("\\Software\\\\Microsoft\\Acme", "");
    EXPECT_EQ(plan.productKey, "Software\\Microsoft\\Acme");
    EXPECT_THAT(plan.emptyParentKeys, IsEmpty());

    for (const char* unsafe : {"Software", "Software\\", "SOFTWARE\\Microsoft", "Software\\Classes",
                               "Software\\Wow6432Node", "SYSTEM\\CurrentControlSet", "Acme",
                               "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"}) {
        plan = keys(unsafe, unsafe);
        EXPECT_EQ(plan.productKey, "") << unsafe;
        EXPECT_EQ(plan.uninstallKey, "") << unsafe;
        EXPECT_THAT(Reasons(plan), ElementsAre(KeepReason::UnsafeKey, KeepReason::UnsafeKey))
            << unsafe;
    }
}

TEST(RemovalPlan, TheLogGoesOnlyWhenItIsCalledInstallLog) {
    InstallLog log;
    log.paths = {"c:\\acme\\a.exe"};
    EXPECT_EQ(PlanRemoval(log, Machine(), "C:\\Acme\\INSTALL.LOG").logFile,
              "c:\\acme\\install.log");
    EXPECT_EQ(PlanRemoval(log, Machine(), "C:\\WINDOWS\\win.ini").logFile, "");
    // Listed in LOG as well: removed once, as the last file.
    log.paths.push_back("c:\\acme\\install.log");
    RemovalPlan plan = PlanRemoval(log, Machine(), "c:\\acme\\install.log");
    EXPECT_THAT(plan.files, ElementsAre("c:\\acme\\a.exe", "c:\\acme\\install.log"));
    EXPECT_EQ(plan.logFile, "");
}

TEST(RemovalPlan, NormalFolderPath) {
    EXPECT_EQ(NormalFolderPath("C:\\Program Files\\"), "c:\\program files");
    EXPECT_EQ(NormalFolderPath("c:/a//b/./c/../d"), "c:\\a\\b\\d");
    EXPECT_EQ(NormalFolderPath("C:"), "c:");
    EXPECT_EQ(NormalFolderPath("C:\\"), "c:");
    EXPECT_EQ(NormalFolderPath("c:\\a\\..\\.."), "");
    EXPECT_EQ(NormalFolderPath(""), "");
    EXPECT_EQ(PathDepth("c:"), 0);
    EXPECT_EQ(PathDepth("c:\\a\\b"), 2);
    EXPECT_TRUE(IsInside("c:\\a\\b", "c:\\a"));
    EXPECT_FALSE(IsInside("c:\\ab", "c:\\a"));
    EXPECT_FALSE(IsInside("c:\\a", "c:\\a"));
}

}  // namespace
}  // namespace stepwise
