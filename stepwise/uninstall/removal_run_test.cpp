#include "uninstall/removal_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

namespace stepwise {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

// A machine of files, folders and keys in memory that records the order of every call.
class FakeMachine : public RemovalTarget {
  public:
    std::set<std::string> files, folders, keys;
    std::set<std::string> inUse;          // files a running program holds open
    std::set<std::string> keyWithValues;  // keys that hold values
    std::vector<std::string> calls;

    RemoveOutcome RemoveFile(const std::string& path) override {
        calls.push_back("file " + path);
        if (inUse.count(path))
            return RemoveOutcome::InUse;
        return files.erase(path) ? RemoveOutcome::Removed : RemoveOutcome::Missing;
    }
    RemoveOutcome DeleteTree(const std::string& folder,
                             std::vector<std::pair<std::string, RemoveOutcome>>& stuck) override {
        calls.push_back("tree " + folder);
        if (!folders.count(folder))
            return RemoveOutcome::Missing;
        for (auto it = files.begin(); it != files.end();) {
            if (it->rfind(folder + "\\", 0) == 0 && inUse.count(*it)) {
                stuck.push_back({*it, RemoveOutcome::InUse});
                ++it;
            } else if (it->rfind(folder + "\\", 0) == 0) {
                it = files.erase(it);
            } else {
                ++it;
            }
        }
        if (!stuck.empty())
            return RemoveOutcome::NotEmpty;
        folders.erase(folder);
        return RemoveOutcome::Removed;
    }
    RemoveOutcome RemoveEmptyFolder(const std::string& folder) override {
        calls.push_back("folder " + folder);
        if (!folders.count(folder))
            return RemoveOutcome::Missing;
        for (const auto& inside : files)
            if (inside.rfind(folder + "\\", 0) == 0)
                return RemoveOutcome::NotEmpty;
        for (const auto& inside : folders)
            if (inside.rfind(folder + "\\", 0) == 0)
                return RemoveOutcome::NotEmpty;
        folders.erase(folder);
        return RemoveOutcome::Removed;
    }
    RemoveOutcome DeleteKeyTree(const std::string& key) override {
        calls.push_back("key " + key);
        std::erase_if(keys, [&](const std::string& k) { return k.rfind(key + "\\", 0) == 0; });
        return keys.erase(key) ? RemoveOutcome::Removed : RemoveOutcome::Missing;
    }
    RemoveOutcome DeleteKeyIfEmpty(const std::string& key) override {
        calls.push_back("empty key " + key);
        if (!keys.count(key))
            return RemoveOutcome::Missing;
        if (keyWithValues.count(key))
            return RemoveOutcome::NotEmpty;
        for (const auto& other : keys)
            if (other.rfind(key + "\\", 0) == 0)
                return RemoveOutcome::NotEmpty;
        keys.erase(key);
        return RemoveOutcome::Removed;
    }
};

RemovalPlan AcmePlan() {
    RemovalPlan plan;
    plan.files = {"c:\\acme\\acme.exe", "c:\\acme\\data\\world.map", "c:\\desk\\acme.lnk"};
    plan.groups = {"c:\\programs\\acme"};
    plan.productKey = "Software\\Corvane\\Acme";
    plan.emptyParentKeys = {"Software\\Corvane"};
    plan.uninstallKey = "SOFTWARE\\Uninstall\\Acme";
    plan.logFile = "c:\\acme\\install.log";
    plan.folders = {"c:\\acme\\data", "c:\\acme"};
    plan.kept = {{"c:\\windows\\system32\\acme.dll", KeepReason::SystemDll}};
    return plan;
}

FakeMachine AcmeMachine() {
    FakeMachine machine;
    machine.files = {"c:\\acme\\acme.exe",           "c:\\acme\\data\\world.map",
                     "c:\\desk\\acme.lnk",           "c:\\acme\\install.log",
                     "c:\\programs\\acme\\acme.lnk", "c:\\programs\\acme\\uninstall acme.lnk"};
    machine.folders = {"c:\\acme", "c:\\acme\\data", "c:\\programs\\acme"};
    machine.keys = {"Software\\Corvane\\Acme", "Software\\Corvane\\Acme\\Options",
                    "Software\\Corvane", "SOFTWARE\\Uninstall\\Acme"};
    return machine;
}

TEST(RemovalRun, RemovesEverythingInOrderWhenNothingIsInUse) {
    FakeMachine machine = AcmeMachine();
    RemovalReport report = RunRemoval(AcmePlan(), machine);
    EXPECT_THAT(machine.calls,
                ElementsAre("file c:\\acme\\acme.exe", "file c:\\acme\\data\\world.map",
                            "file c:\\desk\\acme.lnk", "tree c:\\programs\\acme",
                            "key Software\\Corvane\\Acme", "empty key Software\\Corvane",
                            "key SOFTWARE\\Uninstall\\Acme", "file c:\\acme\\install.log",
                            "folder c:\\acme\\data", "folder c:\\acme"));
    EXPECT_THAT(machine.files, IsEmpty());
    EXPECT_THAT(machine.folders, IsEmpty());
    EXPECT_THAT(machine.keys, IsEmpty());
    EXPECT_TRUE(report.complete());
    EXPECT_FALSE(report.uninstallEntryKept);
    EXPECT_EQ(ExitCodeFor(report), kExitRemoved);
    EXPECT_EQ(report.removed.size(), 9u);  // the emptied parent key is not announced
}

TEST(RemovalRun, AFileInUseIsReportedAndKeepsTheUninstallEntry) {
    FakeMachine machine = AcmeMachine();
    machine.inUse = {"c:\\acme\\acme.exe", "c:\\programs\\acme\\acme.lnk"};
    RemovalReport report = RunRemoval(AcmePlan(), machine);

    ASSERT_EQ(report.failed.size(), 2u);
    EXPECT_EQ(report.failed[0].item, "c:\\acme\\acme.exe");
    EXPECT_EQ(report.failed[0].outcome, RemoveOutcome::InUse);
    EXPECT_EQ(report.failed[1].item, "c:\\programs\\acme\\acme.lnk");
    EXPECT_EQ(ExitCodeFor(report), kExitPartly);
    EXPECT_TRUE(report.uninstallEntryKept);
    // Everything else went; the uninstall key and the log stay for a second run.
    EXPECT_THAT(machine.files, ElementsAre("c:\\acme\\acme.exe", "c:\\acme\\install.log",
                                           "c:\\programs\\acme\\acme.lnk"));
    EXPECT_THAT(machine.keys, ElementsAre("SOFTWARE\\Uninstall\\Acme"));
    EXPECT_THAT(machine.folders, ElementsAre("c:\\acme", "c:\\programs\\acme"));
    EXPECT_THAT(report.leftFolders, ElementsAre("c:\\acme\\"));

    std::string summary = SummaryText(report, "Acme");
    EXPECT_THAT(summary, HasSubstr("Acme could not be removed completely."));
    EXPECT_THAT(summary, HasSubstr("c:\\acme\\acme.exe (in use)"));
    EXPECT_THAT(summary, HasSubstr("c:\\programs\\acme\\acme.lnk (in use)"));
    EXPECT_THAT(summary, HasSubstr("Removed (4):\n    c:\\acme\\data\\world.map\n"));
    EXPECT_THAT(summary, HasSubstr("run the uninstallation again"));
}

TEST(RemovalRun, ItemsAlreadyGoneCountAsRemovedAndOtherProductsKeepTheirParentKey) {
    FakeMachine machine;
    machine.keys = {"Software\\Corvane\\Acme", "Software\\Corvane\\Other",
                    "SOFTWARE\\Uninstall\\Acme"};
    RemovalReport report = RunRemoval(AcmePlan(), machine);
    EXPECT_TRUE(report.complete());
    EXPECT_THAT(report.removed, ElementsAre("HKEY_LOCAL_MACHINE\\Software\\Corvane\\Acme",
                                            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Uninstall\\Acme"));
    EXPECT_THAT(machine.keys, ElementsAre("Software\\Corvane\\Other"));
}

TEST(RemovalRun, SummaryTellsWhatWentWhatStaysAndCutsLongLists) {
    RemovalReport report;
    for (int i = 0; i < 20; ++i)
        report.removed.push_back("c:\\acme\\file" + std::to_string(i) + ".txt");
    report.leftFolders = {"c:\\acme\\"};
    report.kept = {{"c:\\windows\\system32\\a.dll", KeepReason::SystemDll},
                   {"c:\\windows\\win.ini", KeepReason::SharedIni},
                   {"c:\\program files\\", KeepReason::StandardFolder}};
    std::string summary = SummaryText(report, "Acme");
    EXPECT_THAT(summary, HasSubstr("Acme was removed from your computer."));
    EXPECT_THAT(summary, HasSubstr("Removed (20):"));
    EXPECT_THAT(summary, HasSubstr("file14.txt\n    ... and 5 more\n"));
    EXPECT_THAT(summary, Not(HasSubstr("file15.txt")));
    EXPECT_THAT(summary, HasSubstr("still hold other files:\n    c:\\acme\\\n"));
    EXPECT_THAT(summary, HasSubstr("Shared system files kept for other programs: 2."));
    EXPECT_THAT(summary, Not(HasSubstr("Could not")));
    EXPECT_THAT(SummaryText({}, ""), HasSubstr("the program was removed"));
}

TEST(RemovalRun, ProductNameComesFromTheUninstallKey) {
    InstallLog log;
    log.uninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme Mail\\";
    EXPECT_EQ(ProductNameFrom(log), "Acme Mail");
    EXPECT_EQ(ProductNameFrom(InstallLog{}), "");
    EXPECT_THAT(ConfirmationText("Acme Mail"), HasSubstr("remove Acme Mail and all"));
    EXPECT_THAT(ConfirmationText("Acme Mail"), Not(HasSubstr("damaged")));
    EXPECT_THAT(ConfirmationText("Acme Mail", 2), HasSubstr("damaged (2 unreadable lines)"));
}

}  // namespace
}  // namespace stepwise
