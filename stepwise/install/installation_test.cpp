#include "install/installation.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "install/fake_install_system.h"
#include "script/fake_profile.h"

namespace stepwise {
namespace {

constexpr char kInstall[] = "C:\\Program Files\\Acme";
constexpr char kLog[] = "C:\\Program Files\\Acme\\install.log";
constexpr char kSystem[] = "C:\\WINDOWS\\SYSTEM";

class RecordingProgress : public InstallationProgress {
  public:
    void SetStatus(const std::string& text) override { statuses.push_back(text); }
    void SetCurrentFile(const std::string& text) override { currentFiles.push_back(text); }
    void SetBar(int position, int range) override { bars.emplace_back(position, range); }
    std::vector<std::string> statuses, currentFiles;
    std::vector<std::pair<int, int>> bars;
};

class InstallationRun : public ::testing::Test {
  protected:
    void SetUp() override {
        script.Set("APPINFO", "1", "Acme");
        script.Set("APPINFO", "3", "1.2");
        script.Set("APPINFO", "4", "Kestro");
        script.Set("FILES", "TOTAL", "4");
        AddFile(0, "Acme.EXE", "<Program Files>\\Acme");
        AddFile(1, "shared.dll", "<Shared DLLs>");
        AddFile(2, "help.chm", "<Install Dir>\\doc");
        AddFile(3, "local.dll", "<Install Dir>");
        system.files["C:\\Temp\\wizuninst.exe"] = {"uninstaller", std::nullopt};
        system.files["C:\\Setup\\data.tag"] = {"script", std::nullopt};
    }
    void AddFile(int j, const std::string& name, const std::string& on) {
        std::string n = std::to_string(j);
        script.Set("FILES", "PR" + n, name);
        script.Set("FILES", "ON" + n, on);
        system.files["C:\\Temp\\F" + n + "_" + name] = {name, std::nullopt};
    }
    InstallationInput Input() {
        InstallationInput in;
        in.script = &script;
        in.tokens[DestinationKind::ProgramFiles] = "C:\\Program Files";
        in.tokens[DestinationKind::SharedDlls] = kSystem;
        in.tokens.installFolder = in.tokens.defaultInstallFolder = kInstall;
        in.shortcuts = {"C:\\Menu\\Programs", "C:\\Menu",    "C:\\Desk",
                        "C:\\Menu\\Startup",  "C:\\AppData", "C:\\Fav"};
        in.tempFolder = "C:\\Temp\\";
        in.systemFolder = kSystem;
        in.dataTagPath = "C:\\Setup\\data.tag";
        return in;
    }
    bool Run(InstallationInput in) {
        Installation installation(std::move(in), system, progress,
                                  [this] { return stopAfter-- == 0; });
        if (fetcher)
            installation.SetDownloadFetcher(fetcher);
        bool ended = installation.Run();
        failures = installation.failures();
        downloads = installation.downloads();
        return ended;
    }
    bool Journal(const std::string& line) const {
        return std::find(system.journal.begin(), system.journal.end(), line) !=
               system.journal.end();
    }

    FakeProfile script;
    FakeInstallSystem system;
    RecordingProgress progress;
    int stopAfter = -1;  // never
    std::vector<std::string> failures;
    std::vector<DownloadEntry> downloads;
    DownloadFetcher fetcher;
};

// The whole log of a sample script, line by line: DIR levels of the installation folder then
// destinations then the program group; LOG keys 0, 1, 2 for the files (the System DLL has
// none), 3 left to the uninstaller, then shortcuts, the group, data.tag and the INI file;
// then UNINSTALL, CAMINHO, RTYPE and REGISTRY.
TEST_F(InstallationRun, InstallLogLineByLine) {
    script.Set("FOLDER", "TOTAL", "2");
    script.Set("FOLDER", "A0", "Acme");
    script.Set("FOLDER", "B0", "Programs Menu Folder");
    script.Set("FOLDER", "D0", "bin\\acme.exe");
    script.Set("FOLDER", "A1", "Uninstall Acme");
    script.Set("FOLDER", "B1", "Programs Menu Folder");
    script.Set("FOLDER", "D1", "wizuninst.exe");
    script.Set("INI", "TOTAL", "1");
    script.Set("INI", "N10", "Paths");
    script.Set("INI", "N20", "Home");
    script.Set("INI", "N30", "<Install Dir>");
    script.Set("INI", "N40", "acme.ini");
    script.Set("INI", "N50", "<Windows Directory>");
    InstallationInput in = Input();
    in.tokens[DestinationKind::WindowsDirectory] = "C:\\WINDOWS";
    // The log's first lines name folders above the installation folder: they land only
    // when the installation folder exists before they are written.
    system.profilesNeedFolder = true;
    system.folders.insert("C:\\WINDOWS");
    ASSERT_TRUE(Run(in));

    std::vector<std::string> expected = {
        "[DIR]",
        "0=C:\\Program Files\\",
        "1=C:\\Program Files\\Acme\\",
        "2=C:\\WINDOWS\\",
        "3=C:\\WINDOWS\\SYSTEM\\",
        "4=C:\\Program Files\\Acme\\doc\\",
        "5=C:\\Menu\\Programs\\Acme\\",
        "[LOG]",
        "0=c:\\program files\\acme\\acme.exe",
        "1=c:\\program files\\acme\\doc\\help.chm",
        "2=c:\\program files\\acme\\local.dll",
        "4=c:\\menu\\programs\\acme\\acme.lnk",
        "5=c:\\menu\\programs\\acme\\uninstall acme.lnk",
        "6=c:\\menu\\programs\\acme\\",
        "7=c:\\program files\\acme\\data.tag",
        "8=c:\\windows\\acme.ini",
        "[UNINSTALL]",
        "PATH=SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme",
        "[CAMINHO]",
        "PATH1=",
        "PATH2=",
        "PATH3=",
        "PATH4=",
        "[RTYPE]",
        "VELMIRA=NAO",
        "[REGISTRY]",
        "PATH=Software\\Kestro\\Acme",
    };
    EXPECT_EQ(system.ProfileLines(kLog), expected);
    EXPECT_TRUE(failures.empty());

    // The uninstall entry, the product values, the INI entry and the two links.
    EXPECT_TRUE(
        Journal("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme "
                "UninstallString=C:\\WINDOWS\\SYSTEM\\wizuninst.exe "
                "\"C:\\Program Files\\Acme\\install.log\""));
    EXPECT_TRUE(
        Journal("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme "
                "DisplayName=Acme"));
    EXPECT_TRUE(Journal("HKLM\\Software\\Kestro\\Acme PATH=C:\\Program Files\\Acme"));
    EXPECT_TRUE(Journal("HKLM\\Software\\Kestro\\Acme VERSION=1.2"));
    EXPECT_FALSE(Journal("HKLM\\Software\\Kestro\\Acme NAME="));  // empty user name not written
    EXPECT_EQ(system.ProfileLines("C:\\WINDOWS\\acme.ini"),
              (std::vector<std::string>{"[Paths]", "Home=C:\\Program Files\\Acme"}));
    ASSERT_EQ(system.links.size(), 2u);
    EXPECT_EQ(system.links[0].target, "C:\\Program Files\\Acme\\Acme.EXE");
    EXPECT_EQ(system.links[1].target, "C:\\WINDOWS\\SYSTEM\\wizuninst.exe");
    EXPECT_EQ(system.links[1].arguments, "\"C:\\Program Files\\Acme\\install.log\"");
    EXPECT_TRUE(Journal("open C:\\Menu\\Programs\\Acme"));
    EXPECT_EQ(system.files.at("C:\\WINDOWS\\SYSTEM\\shared.dll").content, "shared.dll");
    EXPECT_EQ(progress.bars.back(), std::make_pair(4, 4));
    EXPECT_EQ(progress.statuses.back(), "Copying Files...");
}

// Shortcuts: show states, working folder tokens, a Favorites Internet shortcut, Quick Launch,
// and an entry whose target was not installed makes nothing.
TEST_F(InstallationRun, ShortcutKinds) {
    script.Set("FOLDER", "TOTAL", "4");
    script.Set("FOLDER", "A0", "Acme");
    script.Set("FOLDER", "B0", "Desktop Folder");
    script.Set("FOLDER", "C0", "Maximized");
    script.Set("FOLDER", "D0", "ACME.exe");
    script.Set("FOLDER", "E0", "<Install Dir>\\doc");
    script.Set("FOLDER", "A1", "Help");
    script.Set("FOLDER", "B1", "Favorites Folder");
    script.Set("FOLDER", "D1", "help.chm");
    script.Set("FOLDER", "A2", "Quick");
    script.Set("FOLDER", "B2", "Active Desktop Folder");
    script.Set("FOLDER", "C2", "Minimized");
    script.Set("FOLDER", "D2", "acme.exe");
    script.Set("FOLDER", "A3", "Missing");
    script.Set("FOLDER", "B3", "Desktop Folder");
    script.Set("FOLDER", "D3", "missing.exe");
    ASSERT_TRUE(Run(Input()));
    ASSERT_EQ(system.links.size(), 2u);
    EXPECT_EQ(system.links[0].path, "C:\\Desk\\Acme.lnk");
    EXPECT_EQ(system.links[0].showCommand, 3);
    EXPECT_EQ(system.links[0].workingFolder, "C:\\Program Files\\Acme\\doc");
    EXPECT_EQ(system.links[1].path,
              "C:\\AppData\\Microsoft\\Internet Explorer\\Quick Launch\\Quick.lnk");
    EXPECT_EQ(system.links[1].showCommand, 6);
    EXPECT_TRUE(Journal("url C:\\Fav\\Help.url -> C:\\Program Files\\Acme\\doc\\help.chm"));
    EXPECT_FALSE(Journal("link C:\\Desk\\Missing.lnk"));
}

// Preview mode copies nothing and makes no final steps, yet writes the environment and
// announces it.
TEST_F(InstallationRun, PreviewWritesOnlyEnvironment) {
    script.Set("ENVIR", "TOTAL", "3");
    script.Set("ENVIR", "A0", "ACME_HOME");
    script.Set("ENVIR", "B0", "<Install Dir>\\");
    script.Set("ENVIR", "C0", "User");
    script.Set("ENVIR", "A1", "ACME_ALL");
    script.Set("ENVIR", "B1", "x");
    script.Set("ENVIR", "C1", "System");
    script.Set("ENVIR", "A2", "IGNORED");
    script.Set("ENVIR", "C2", "user");
    InstallationInput in = Input();
    in.previewMode = true;
    ASSERT_TRUE(Run(in));
    EXPECT_TRUE(Journal("user env ACME_HOME=C:\\Program Files\\Acme"));
    EXPECT_TRUE(Journal("system env ACME_ALL=x"));
    EXPECT_FALSE(Journal("user env IGNORED="));
    EXPECT_TRUE(Journal("announce environment"));
    EXPECT_FALSE(system.FileExists("C:\\Program Files\\Acme\\Acme.EXE"));
    for (const std::string& line : system.journal)
        EXPECT_EQ(line.find("HKLM"), std::string::npos) << line;
    EXPECT_EQ(system.ProfileLines(kLog), (std::vector<std::string>{"[DIR]", "0=C:\\Program Files\\",
                                                                   "1=C:\\Program Files\\Acme\\"}));
}

// With a download entry the environment is still written (and, without a fetcher, the final
// steps follow the local copies); the entry is queued with its folder.
TEST_F(InstallationRun, DownloadEntryQueuedAndEnvironmentWritten) {
    script.Set("FILES", "TOTAL", "5");
    script.Set("FILES", "PR4", "http://example.com/extra.zip");
    script.Set("FILES", "PA4", "http://example.com/extra.zip");
    script.Set("FILES", "ON4", "<Install Dir>\\extra\\");
    script.Set("ENVIR", "TOTAL", "1");
    script.Set("ENVIR", "A0", "ACME");
    script.Set("ENVIR", "B0", "1");
    script.Set("ENVIR", "C0", "User");
    ASSERT_TRUE(Run(Input()));
    ASSERT_EQ(downloads.size(), 1u);
    EXPECT_EQ(downloads[0].address, "http://example.com/extra.zip");
    EXPECT_EQ(downloads[0].folder, "C:\\Program Files\\Acme\\extra");
    EXPECT_TRUE(Journal("user env ACME=1"));
    EXPECT_EQ(progress.bars.front(), std::make_pair(0, 5));
    EXPECT_EQ(progress.bars[1], std::make_pair(0, 6));
}

// The fetcher gets the queued entries after the copies and before the final steps; the
// files it wrote are logged like copied ones (so the uninstaller removes them), the skipped
// one is not.
TEST_F(InstallationRun, FetchedDownloadsAreLoggedBeforeTheFinalSteps) {
    script.Set("FILES", "TOTAL", "6");
    script.Set("FILES", "PR4", "http://example.com/a/extra.zip");
    script.Set("FILES", "PA4", "http://example.com/a/extra.zip");
    script.Set("FILES", "ON4", "<Install Dir>");
    script.Set("FILES", "PR5", "http://example.com/gone.bin");
    script.Set("FILES", "PA5", "http://example.com/gone.bin");
    script.Set("FILES", "ON5", "<Install Dir>");
    DownloadBatch seen;
    bool finalStepsBefore = true;
    fetcher = [&](const DownloadBatch& batch) {
        seen = batch;
        finalStepsBefore = !system.profiles[kLog].empty() &&
                           std::any_of(system.profiles[kLog].begin(), system.profiles[kLog].end(),
                                       [](const auto& s) { return s.first == "UNINSTALL"; });
        return std::vector<std::string>{"C:\\Program Files\\Acme\\extra.zip"};
    };
    ASSERT_TRUE(Run(Input()));
    ASSERT_EQ(seen.entries.size(), 2u);
    EXPECT_EQ(seen.entries[1].address, "http://example.com/gone.bin");
    EXPECT_EQ(seen.entries[1].folder, kInstall);
    EXPECT_EQ(seen.barRange, 8) << "six entries plus two downloads";
    EXPECT_EQ(seen.barPosition, 5) << "the bar's place after the last entry of the list";
    EXPECT_FALSE(finalStepsBefore);
    const auto& log = system.profiles[kLog];
    auto logSection =
        std::find_if(log.begin(), log.end(), [](const auto& s) { return s.first == "LOG"; });
    ASSERT_NE(logSection, log.end());
    std::vector<std::string> logged;
    for (const auto& line : logSection->second)
        logged.push_back(line.second);
    EXPECT_NE(std::find(logged.begin(), logged.end(), "c:\\program files\\acme\\extra.zip"),
              logged.end());
    EXPECT_EQ(std::find(logged.begin(), logged.end(), "c:\\program files\\acme\\gone.bin"),
              logged.end());
    // The uninstall entry and the rest of the final steps still follow.
    EXPECT_TRUE(
        std::any_of(log.begin(), log.end(), [](const auto& s) { return s.first == "UNINSTALL"; }));
}

// Shared DLL and overwrite rules on existing files, and failures collected while every path
// is still recorded.
TEST_F(InstallationRun, OverwriteRulesAndCollectedFailures) {
    script.Set("Shared DLLs", "3", "Always Overwrite");
    system.files["C:\\Temp\\F1_shared.dll"].version = "4.9.9";
    system.files["C:\\WINDOWS\\SYSTEM\\shared.dll"] = {"old", std::string("4.0.1")};
    system.files["C:\\Program Files\\Acme\\Acme.EXE"] = {"old exe", std::nullopt};
    system.failingCopies.insert("C:\\Program Files\\Acme\\doc\\help.chm");
    ASSERT_TRUE(Run(Input()));
    EXPECT_EQ(system.files["C:\\WINDOWS\\SYSTEM\\shared.dll"].content, "old");  // 4.9.9 < 5? no: 4
    EXPECT_EQ(system.files["C:\\Program Files\\Acme\\Acme.EXE"].content, "old exe");
    EXPECT_EQ(failures, std::vector<std::string>{"C:\\Program Files\\Acme\\doc\\help.chm"});
    auto lines = system.ProfileLines(kLog);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "1=c:\\program files\\acme\\doc\\help.chm"),
              lines.end());

    system.files["C:\\Temp\\F1_shared.dll"].version = "5.0.0";
    system.failingCopies.clear();
    ASSERT_TRUE(Run(Input()));
    EXPECT_EQ(system.files["C:\\WINDOWS\\SYSTEM\\shared.dll"].content, "shared.dll");
}

// A missing uninstaller in the payload is reported; the log keeps its key unwritten.
TEST_F(InstallationRun, MissingUninstallerIsReported) {
    system.files.erase("C:\\Temp\\wizuninst.exe");
    ASSERT_TRUE(Run(Input()));
    EXPECT_EQ(failures, std::vector<std::string>{"C:\\WINDOWS\\SYSTEM\\wizuninst.exe"});
    auto lines = system.ProfileLines(kLog);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "4=c:\\program files\\acme\\data.tag"),
              lines.end());
}

// A stop between copies ends the sequence there: what was copied is recorded, nothing of
// the final steps happens.
TEST_F(InstallationRun, StopEndsBetweenCopies) {
    stopAfter = 2;  // two entries copied, the third asks to stop
    EXPECT_FALSE(Run(Input()));
    auto lines = system.ProfileLines(kLog);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "0=c:\\program files\\acme\\acme.exe"),
              lines.end());
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "[UNINSTALL]"), lines.end());
    EXPECT_FALSE(system.FileExists("C:\\Program Files\\Acme\\doc\\help.chm"));
}

TEST(InstallationTexts, KeysAndCommand) {
    EXPECT_EQ(UninstallCommand("C:\\WINDOWS\\SYSTEM", "C:\\Program Files\\Acme"),
              "C:\\WINDOWS\\SYSTEM\\wizuninst.exe \"C:\\Program Files\\Acme\\install.log\"");
    EXPECT_EQ(ProductKey("", "Acme"), "Software\\Acme");
    EXPECT_EQ(FileNameOf("bin\\x/y.exe"), "y.exe");
}

}  // namespace
}  // namespace stepwise
