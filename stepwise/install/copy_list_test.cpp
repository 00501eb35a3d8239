#include "install/copy_list.h"

#include <gtest/gtest.h>

#include "script/fake_profile.h"

namespace stepwise {
namespace {

FakeProfile Script() {
    FakeProfile p;
    p.Set("FILES", "TOTAL", "4");
    p.Set("FILES", "PR0", "core.dll");
    p.Set("FILES", "ON0", "<Program Files>\\Acme");
    p.Set("FILES", "PR1", "Tools.exe");
    p.Set("FILES", "ON1", "<Install Dir>\\bin\\");
    p.Set("FILES", "PR2", "http://example.com/big.zip");
    p.Set("FILES", "PA2", "http://example.com/big.zip");
    p.Set("FILES", "ON2", "<Install Dir>");
    p.Set("FILES", "PR3", "notes.txt");
    p.Set("FILES", "ON3", "D:\\Plain");
    p.Set("SETUPTYPE", "TOTAL", "2");
    p.Set("SETUPTYPE", "A0", "core.dll");
    p.Set("SETUPTYPE", "A1", "tools.exe");
    return p;
}

TokenFolders Folders() {
    TokenFolders f;
    f[DestinationKind::ProgramFiles] = "C:\\Program Files";
    f.installFolder = f.defaultInstallFolder = "C:\\Program Files\\Acme";
    return f;
}

std::vector<std::string> Names(const std::vector<CopyEntry>& list) {
    std::vector<std::string> names;
    for (const CopyEntry& e : list)
        names.push_back(e.name);
    return names;
}

// Sources, destinations and kinds of the entries, including a download entry and one
// without a token.
TEST(BuildCopyList, SourcesDestinationsAndKinds) {
    FakeProfile script = Script();
    auto list = BuildCopyList(script, "C:\\Temp\\", Folders(), Selection{});
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].source, "C:\\Temp\\F0_core.dll");
    EXPECT_EQ(list[0].destination, "C:\\Program Files\\Acme\\core.dll");
    EXPECT_EQ(list[0].kind, DestinationKind::ProgramFiles);
    EXPECT_EQ(list[1].destination, "C:\\Program Files\\Acme\\bin\\Tools.exe");
    EXPECT_EQ(list[1].kind, DestinationKind::InstallDir);
    EXPECT_EQ(list[2].source, "http://example.com/big.zip");
    EXPECT_EQ(list[3].kind, DestinationKind::None);
    EXPECT_EQ(CountDownloadEntries(script), 1);
}

// Compact takes the SETUPTYPE names, Custom the ticked ones; both exact and case-sensitive.
TEST(BuildCopyList, CompactAndCustomSelections) {
    FakeProfile script = Script();
    auto compact = BuildCopyList(script, "T\\", Folders(), SelectionFor(133, script, {}));
    EXPECT_EQ(Names(compact), std::vector<std::string>{"core.dll"});  // "tools.exe" != "Tools.exe"
    auto custom = BuildCopyList(script, "T\\", Folders(),
                                SelectionFor(255, script, {"Tools.exe", "notes.txt", "core"}));
    EXPECT_EQ(Names(custom), (std::vector<std::string>{"Tools.exe", "notes.txt"}));
    auto none = BuildCopyList(script, "T\\", Folders(), SelectionFor(255, script, {}));
    EXPECT_TRUE(none.empty());
    auto typical = BuildCopyList(script, "T\\", Folders(), SelectionFor(0, script, {"x"}));
    EXPECT_EQ(typical.size(), 4u);
}

// The copy list stops at its limit; an unparsable count reads as 0.
TEST(BuildCopyList, LimitAndCounts) {
    FakeProfile script;
    script.Set("FILES", "TOTAL", "5000");
    EXPECT_EQ(BuildCopyList(script, "T\\", Folders(), Selection{}).size(), kMaxCopyEntries);
    script.Set("FILES", "TOTAL", "abc");
    EXPECT_EQ(ReadCount(script, "FILES"), 0);
    script.Set("FILES", "TOTAL", "-3");
    EXPECT_EQ(ReadCount(script, "FILES"), 0);
}

// Folder levels: never the drive root, each once per installation, at most ten components.
TEST(FolderLevels, EachLevelOnceWithoutRoot) {
    FolderLevels levels;
    EXPECT_EQ(levels.NewLevelsFor("C:\\Program Files\\Acme\\"),
              (std::vector<std::string>{"C:\\Program Files", "C:\\Program Files\\Acme"}));
    EXPECT_EQ(levels.NewLevelsFor("C:\\Program Files\\Acme\\bin\\a.exe"),
              std::vector<std::string>{"C:\\Program Files\\Acme\\bin"});
    EXPECT_TRUE(levels.NewLevelsFor("C:\\Program Files\\Acme\\b.exe").empty());
    EXPECT_TRUE(levels.NewLevelsFor("C:\\x.txt").empty());
    EXPECT_TRUE(levels.NewLevelsFor("nofolder").empty());
    auto deep = levels.NewLevelsFor("C:\\1\\2\\3\\4\\5\\6\\7\\8\\9\\10\\11\\f");
    ASSERT_FALSE(deep.empty());
    EXPECT_EQ(deep.back(), "C:\\1\\2\\3\\4\\5\\6\\7\\8\\9");  // ten components with "C:"
}

}  // namespace
}  // namespace stepwise
