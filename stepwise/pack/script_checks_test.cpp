#include "pack/script_checks.h"

#include <gtest/gtest.h>

#include <set>

namespace stepwise {
namespace {

std::vector<ScriptProblem> Check(const std::string& text, std::set<std::string> sources = {}) {
    return CheckScript(IniText::Parse(text),
                       [&](const std::string& name) { return sources.count(name) > 0; });
}

// The key and line of every problem, for compact expectations.
std::vector<std::string> Where(const std::vector<ScriptProblem>& problems) {
    std::vector<std::string> out;
    for (const ScriptProblem& p : problems)
        out.push_back(p.section + " " + p.key + " " + std::to_string(p.line));
    return out;
}

using Lines = std::vector<std::string>;

// Reads values as the profile calls do: no case, first occurrence, quotes and blanks removed.
TEST(IniTextTest, ReadsLikeTheProfileCalls) {
    IniText ini = IniText::Parse(
        "; comment\r\n[Files]\r\n total = 2 \r\nPR0=\"a b.exe\"\r\npr0=second\r\nnot a key\r\n"
        "[APPINFO]\r\n1=Acme");
    EXPECT_EQ(ini.Read("FILES", "TOTAL", kCountBuffer), "2");
    EXPECT_EQ(ini.Read("files", "PR0", kPathBuffer), "a b.exe");
    EXPECT_EQ(ini.Find("FILES", "PR0")->line, 4);
    EXPECT_EQ(ini.Read("APPINFO", "1", 3), "Ac");  // cut to the buffer
    EXPECT_EQ(ini.Read("APPINFO", "2", kValueBuffer), "");
    EXPECT_EQ(ini.SectionLine("appinfo"), 7);
    EXPECT_EQ(ini.EntriesOf("FILES").size(), 3u);
}

// A sound script passes; download entries need no source.
TEST(ScriptChecksTest, SoundScriptHasNoProblem) {
    EXPECT_TRUE(Check("[APPINFO]\n5=<Program Files>\\Acme\n"
                      "[FILES]\nTOTAL=2\nPR0=acme.exe\nON0=<Install Dir>\n"
                      "PR1=http://example.test/x.zip\nON1=<Install Dir>\\extra\n"
                      "[FOLDER]\nTOTAL=1\nA0=Acme\nB0=Programs Menu Folder\nD0=acme.exe\n",
                      {"acme.exe"})
                    .empty());
}

// Each missing source is reported on its PR line; nothing else is.
TEST(ScriptChecksTest, MissingSourcesNamedByKeyAndLine) {
    auto problems = Check(
        "[FILES]\nTOTAL=3\nPR0=a.exe\nON0=<Install Dir>\nPR1=b.dll\nON1=<Install Dir>\n"
        "PR2=c.txt\nON2=<Install Dir>\n",
        {"b.dll"});
    EXPECT_EQ(Where(problems), (Lines{"FILES PR0 3", "FILES PR2 7"}));
    EXPECT_NE(problems[0].message.find("\"a.exe\""), std::string::npos);
}

// Counts: absent or bad TOTAL, entries it does not cover, entries beyond it.
TEST(ScriptChecksTest, CountsMustMatchTotal) {
    EXPECT_EQ(Where(Check("[FILES]\nPR0=a\nON0=x\n", {"a"})), (Lines{"FILES TOTAL 1"}));
    EXPECT_EQ(Where(Check("[FILES]\nTOTAL=two\n")), (Lines{"FILES TOTAL 2"}));
    EXPECT_EQ(Where(Check("[FILES]\nTOTAL=2\nPR0=a\nON0=x\nPR1=b\n", {"a", "b"})),
              (Lines{"FILES ON1 2"}));
    EXPECT_EQ(Where(Check("[FILES]\nTOTAL=1\nPR0=a\nON0=x\nPR1=b\nON1=x\n", {"a", "b"})),
              (Lines{"FILES PR1 5", "FILES ON1 6"}));
    EXPECT_EQ(Where(Check("[FILES]\nTOTAL=0\n[FOLDER]\nA0=x\nB0=y\nD0=z\n")),
              (Lines{"FOLDER TOTAL 3"}));
    EXPECT_EQ(Where(Check("[FILES]\nTOTAL=0\n[SETUPTYPE]\nTOTAL=2\nA0=x\n")),
              (Lines{"SETUPTYPE A1 4"}));
}

// Folder tokens: only the twelve names, spelt as the installer replaces them.
TEST(ScriptChecksTest, UnknownTokensReported) {
    auto problems = Check(
        "[APPINFO]\n5=<Programs>\\Acme\n[FILES]\nTOTAL=1\nPR0=a\nON0=<install dir>\\<Fonts "
        "Folder>\n[INI]\nN30=<Windows Directory\n",
        {"a"});
    EXPECT_EQ(Where(problems), (Lines{"APPINFO 5 2", "FILES ON0 6", "INI N30 8"}));
    EXPECT_NE(problems[0].message.find("<Programs>"), std::string::npos);
}

// A PR value is a file name: a path would be stored in a subfolder the copy never reads.
TEST(ScriptChecksTest, NamesWithFoldersRefused) {
    EXPECT_EQ(Where(Check("[FILES]\nTOTAL=3\nPR0=bin\\a.exe\nON0=x\nPR1=../b\nON1=x\nPR2=\nON2=x\n",
                          {"bin\\a.exe", "../b"})),
              (Lines{"FILES PR0 3", "FILES PR1 5", "FILES PR2 7"}));
}

TEST(ScriptChecksTest, FormatNamesScriptLineSectionAndKey) {
    EXPECT_EQ(FormatProblem("data.tag", {"FILES", "PR3", 12, "gone"}),
              "data.tag:12: [FILES] PR3: gone");
    EXPECT_EQ(FormatProblem("data.tag", {"FILES", "TOTAL", 0, "missing"}),
              "data.tag: [FILES] TOTAL: missing");
}

}  // namespace
}  // namespace stepwise
