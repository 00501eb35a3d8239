#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/fake_profile.h"
#include "wizard/destination_rules.h"
#include "wizard/finish_actions.h"
#include "wizard/page_texts.h"

namespace stepwise {
namespace {

using Strings = std::vector<std::string>;

// A folder of 60 characters shows whole; 70 characters show the first 60 and "...".
TEST(DestinationRules, SixtyCharacterDisplay) {
    std::string sixty = "C:\\" + std::string(57, 'a');
    EXPECT_EQ(DisplayedFolder(sixty), sixty);
    std::string seventy = "C:\\Program Files\\" + std::string(53, 'b');
    ASSERT_EQ(seventy.size(), 70u);
    EXPECT_EQ(DisplayedFolder(seventy), seventy.substr(0, 60) + "...");
    EXPECT_EQ(DisplayedFolder(""), "");
}

// The previous installation's folder is the log path's folder in the uninstall command.
TEST(DestinationRules, FolderFromUninstallString) {
    EXPECT_EQ(FolderFromUninstallString(
                  "C:\\WINDOWS\\wizuninst.exe \"C:\\Program Files\\Acme\\install.log\""),
              "C:\\Program Files\\Acme");
    EXPECT_EQ(FolderFromUninstallString("wizuninst.exe C:\\Acme\\install.log"), "C:\\Acme");
    EXPECT_EQ(FolderFromUninstallString("wizuninst.exe"), "");
    EXPECT_EQ(FolderFromUninstallString("wizuninst.exe \"install.log\""), "");
    EXPECT_EQ(FolderFromUninstallString(""), "");
}

// Typed paths: drive roots, trailing dots and blanks, reserved characters, empty parts.
TEST(DestinationRules, TypedFolderValidation) {
    for (const char* good : {"C:\\", "c:\\Acme", "D:\\Program Files\\Acme 2", "Z:\\a.b\\c"})
        EXPECT_TRUE(IsValidTypedFolder(good)) << good;
    for (const char* bad : {"",
                            "C:",
                            "C:/",
                            "1:\\a",
                            "\\\\server\\share",
                            "C:\\Acme.",
                            "C:\\Acme ",
                            "C:\\ Acme",
                            "C:\\.Acme",
                            "C:\\Acme\t",
                            "C:\\Ac*me",
                            "C:\\A<b",
                            "C:\\A>b",
                            "C:\\A?b",
                            "C:\\A|b",
                            "C:\\A\"b",
                            "C:\\A:b",
                            "C:\\A/b",
                            "C:\\\\Acme",
                            "C:\\Acme\\",
                            "C:\\Acme\\\\x",
                            "C:\\..",
                            "C:\\a\\.\\b"})
        EXPECT_FALSE(IsValidTypedFolder(bad)) << bad;
}

// Missing levels are created root-down; the drive letter test enables OK for a selection.
TEST(DestinationRules, LevelsAndDriveLetter) {
    EXPECT_EQ(FolderLevels("C:\\a\\b c\\d"), (Strings{"C:\\a", "C:\\a\\b c", "C:\\a\\b c\\d"}));
    EXPECT_EQ(FolderLevels("C:\\"), Strings{});
    EXPECT_TRUE(HasDriveLetter("C:\\x"));
    EXPECT_FALSE(HasDriveLetter("\\\\server\\share"));
    EXPECT_FALSE(HasDriveLetter(""));
    EXPECT_EQ(MissingFolderQuestion("C:\\x"),
              "The folder:\n\nC:\\x\n\ndoes not exist. Do you want the folder to be created?");
    EXPECT_EQ(InvalidFolderMessage("C:\\x."),
              "The folder:\n\nC:\\x.\n\nis invalid. Please reenter.");
    EXPECT_EQ(UncreatableFolderMessage("C:\\x"),
              "The folder:\n\nC:\\x\n\ncan not be created. Please double check.");
}

TEST(PageTexts, StartCopyingSummary) {
    SummaryValues values{"Acme", "C:\\Program Files\\Acme", "Ada", "Analytical", "Acme Tools"};
    EXPECT_EQ(StartCopyingSummary(values),
              "\r\nSetup will install Acme in the directory:\r\n>  C:\\Program Files\\Acme\r\n"
              "\r\nUser Information:\r\n>  Ada\r\n>  Analytical\r\n\r\nProgram Folder:\r\n"
              ">  Acme Tools\r\n");
}

// One row per FILES entry; unticking the second of three keeps the first and the third.
TEST(PageTexts, ComponentsAndSelection) {
    FakeProfile script;
    script.Set("FILES", "TOTAL", "3");
    script.Set("FILES", "PR0", "core.dll");
    script.Set("FILES", "PR2", "help.chm");
    Strings names = ComponentNames(script);
    EXPECT_EQ(names, (Strings{"core.dll", "", "help.chm"}));
    script.Set("FILES", "PR1", "tools.exe");
    names = ComponentNames(script);
    std::vector<ComponentRow> rows{{names[0], true}, {names[1], false}, {names[2], true}};
    EXPECT_EQ(CustomSelection(rows), (Strings{"core.dll", "help.chm"}));
    EXPECT_TRUE(ComponentNames(FakeProfile()).empty());
}

TEST(PageTexts, ProgramFolderEntries) {
    for (const char* listed : {"Accessories", "Games", "Startup", "lnk tools", "x.pifs"})
        EXPECT_TRUE(IsProgramFolderEntry(listed)) << listed;
    for (const char* left : {".", "..", "", "Notepad.lnk", "DOS.PIF", "a.LNK", "lnk"})
        EXPECT_FALSE(IsProgramFolderEntry(left)) << left;
}

// Finish: the Part's order, the readme twice with its box on and COMPLETE5 = 1, only the
// file name of APPINFO "2", and the restart question when COMPLETE2 is zero or absent.
TEST(FinishActions, OpenOrderAndRestart) {
    FakeProfile script;
    script.Set("APPINFO", "2", "bin\\acme.exe");
    script.Set("DIALOG", "COMPLETE2", "1");
    script.Set("DIALOG", "COMPLETE5", "1");
    FinishPlan plan = PlanFinish(script, "C:\\Acme", true, false);
    EXPECT_FALSE(plan.askRestart);
    EXPECT_EQ(plan.opens, (Strings{"C:\\Acme\\readme.txt", "C:\\Acme\\readme.txt"}));

    script.Set("DIALOG", "COMPLETE6", "1");
    plan = PlanFinish(script, "C:\\Acme", true, true);
    EXPECT_EQ(plan.opens, (Strings{"C:\\Acme\\readme.txt", "C:\\Acme\\acme.exe",
                                   "C:\\Acme\\readme.txt", "C:\\Acme\\acme.exe"}));

    script.Set("DIALOG", "COMPLETE5", "2");
    script.Set("DIALOG", "COMPLETE6", "0");
    plan = PlanFinish(script, "C:\\Acme", false, true);
    EXPECT_EQ(plan.opens, Strings{"C:\\Acme\\acme.exe"});

    FakeProfile noProgram;
    noProgram.Set("DIALOG", "COMPLETE2", "1");
    EXPECT_TRUE(PlanFinish(noProgram, "C:\\Acme", false, true).opens.empty());

    FakeProfile restart;
    EXPECT_TRUE(PlanFinish(restart, "C:\\Acme", true, true).askRestart);
    EXPECT_TRUE(PlanFinish(restart, "C:\\Acme", true, true).opens.empty());
    restart.Set("DIALOG", "COMPLETE2", "0");
    EXPECT_TRUE(PlanFinish(restart, "C:\\Acme", false, false).askRestart);
}

TEST(FinishActions, CompleteCheckBoxes) {
    FakeProfile script;
    script.Set("DIALOG", "COMPLETE3", "1");
    CompleteChoices c = CompleteChoicesFrom(script);
    EXPECT_TRUE(c.showReadme);
    EXPECT_FALSE(c.showRun);
    script.Set("DIALOG", "COMPLETE4", "1");
    EXPECT_TRUE(CompleteChoicesFrom(script).showRun);
    script.Set("DIALOG", "COMPLETE1", "1");
    c = CompleteChoicesFrom(script);
    EXPECT_FALSE(c.showReadme);
    EXPECT_FALSE(c.showRun);
}

}  // namespace
}  // namespace stepwise
