#include "silent/action_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "install/fake_install_system.h"
#include "script/fake_profile.h"

namespace stepwise {
namespace {

class UnattendedRun : public ::testing::Test {
  protected:
    void SetUp() override {
        script.Set("APPINFO", "1", "Acme");
        script.Set("FILES", "TOTAL", "3");
        AddFile(0, "acme.exe", "<Install Dir>");
        AddFile(1, "http://example.test/extra.zip", "<Install Dir>\\extra");
        AddFile(2, "help.chm", "<Install Dir>\\doc");
        script.Set("FOLDER", "TOTAL", "1");
        script.Set("FOLDER", "A0", "Acme");
        script.Set("FOLDER", "B0", "Programs Menu Folder");
        script.Set("FOLDER", "D0", "acme.exe");
        system.files["C:\\Temp\\wizuninst.exe"] = {"uninstaller", std::nullopt};
        system.files["C:\\Setup\\data.tag"] = {"script", std::nullopt};
    }
    void AddFile(int j, const std::string& name, const std::string& on) {
        std::string n = std::to_string(j);
        script.Set("FILES", "PR" + n, name);
        script.Set("FILES", "ON" + n, on);
        script.Set("FILES", "PA" + n, name);
        system.files["C:\\Temp\\F" + n + "_" + name] = {name, std::nullopt};
    }
    int Run() {
        InstallationInput in;
        in.script = &script;
        in.tokens.installFolder = in.tokens.defaultInstallFolder = "C:\\Apps\\Acme";
        in.shortcuts.programs = "C:\\Menu\\Programs";
        in.tempFolder = "C:\\Temp\\";
        in.systemFolder = "C:\\Windows\\System32";
        in.dataTagPath = "C:\\Setup\\data.tag";
        LoggingInstallSystem logging(system, log);
        LoggingProgress progress(log);
        Installation installation(std::move(in), logging, progress, [] { return false; });
        int downloadFailures = 0;
        installation.SetDownloadFetcher(UnattendedFetcher(downloads, log, &downloadFailures));
        EXPECT_TRUE(installation.Run());
        return downloadFailures + RecordInstallationEnd(installation, log);
    }
    bool Logged(const std::string& line) const {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    FakeProfile script;
    FakeInstallSystem system;
    std::vector<std::string> lines;
    ActionLog log{[this](const std::string& line) { lines.push_back(line); }};
    // Answers from a list of outcomes, in order; an address not listed fails.
    struct ScriptedDownloads : UnattendedDownloads {
        bool Fetch(const DownloadEntry& entry, std::string* path, std::string* error) override {
            asked.push_back(entry.address);
            if (arriving.count(entry.address) == 0) {
                *error = "connection refused";
                return false;
            }
            *path = entry.folder + "\\" + arriving[entry.address];
            return true;
        }
        std::map<std::string, std::string> arriving;  // address -> file name
        std::vector<std::string> asked;
    } downloads;
};

// Every effect on the machine has its line; a download that fails is a failure of the run;
// the program group is named, not opened.
TEST_F(UnattendedRun, LogsEveryActionAndTheDownloadFailure) {
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(log.failures(), 1);
    EXPECT_TRUE(Logged("create folder \"C:\\Apps\\Acme\""));
    EXPECT_TRUE(Logged("copy \"C:\\Temp\\F0_acme.exe\" to \"C:\\Apps\\Acme\\acme.exe\""));
    EXPECT_TRUE(Logged("copy \"C:\\Temp\\F2_help.chm\" to \"C:\\Apps\\Acme\\doc\\help.chm\""));
    EXPECT_TRUE(
        Logged("create shortcut \"C:\\Menu\\Programs\\Acme\\Acme.lnk\" to "
               "\"C:\\Apps\\Acme\\acme.exe\""));
    EXPECT_TRUE(
        Logged("FAILED: download http://example.test/extra.zip into "
               "\"C:\\Apps\\Acme\\extra\": connection refused"));
    EXPECT_TRUE(Logged("Copying Files..."));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Copying Files..."), 1);  // once
    EXPECT_TRUE(std::none_of(system.journal.begin(), system.journal.end(),
                             [](const std::string& j) { return j.rfind("open ", 0) == 0; }));
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("not opening", 0) == 0; }));
    EXPECT_TRUE(system.files.count("C:\\Apps\\Acme\\acme.exe"));  // passed on, not swallowed
}

// A download that arrives is logged with the file it wrote, and the run counts no failure.
TEST_F(UnattendedRun, FetchedDownloadIsLoggedAndNotAFailure) {
    downloads.arriving["http://example.test/extra.zip"] = "extra.zip";
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(log.failures(), 0);
    EXPECT_EQ(downloads.asked, std::vector<std::string>{"http://example.test/extra.zip"});
    EXPECT_TRUE(
        Logged("downloaded http://example.test/extra.zip to \"C:\\Apps\\Acme\\extra\\extra.zip\""));
}

// A copy the machine refuses is logged where it happens and counted as a failed item.
TEST_F(UnattendedRun, RefusedCopyIsAFailure) {
    system.failingCopies.insert("C:\\Apps\\Acme\\doc\\help.chm");
    EXPECT_EQ(Run(), 2);
    EXPECT_TRUE(
        Logged("copy \"C:\\Temp\\F2_help.chm\" to \"C:\\Apps\\Acme\\doc\\help.chm\" (refused)"));
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
        return l.rfind("FAILED: not installed: ", 0) == 0 && l.find("help.chm") != l.npos;
    }));
}

}  // namespace
}  // namespace stepwise
