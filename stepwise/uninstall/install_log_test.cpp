#include "uninstall/install_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace stepwise {
namespace {

using ::testing::ElementsAre;

// The log of a typical installation, as the profile functions write it.
constexpr const char* kTypicalLog =
    "[DIR]\r\n"
    "0=C:\\Program Files\\\r\n"
    "1=C:\\Program Files\\Acme\\\r\n"
    "[LOG]\r\n"
    "0=c:\\program files\\acme\\acme.exe\r\n"
    "1=c:\\program files\\acme\\readme.txt\r\n"
    "2=c:\\program files\\acme\\help.chm\r\n"
    "4=c:\\program files\\acme\\data.tag\r\n"
    "[UNINSTALL]\r\n"
    "PATH=SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme\r\n"
    "[CAMINHO]\r\n"
    "PATH1=\r\n"
    "[RTYPE]\r\n"
    "VELMIRA=NAO\r\n"
    "[REGISTRY]\r\n"
    "PATH=Software\\Corvane\\Acme\r\n";

TEST(InstallLog, ReadsEverySectionOfATypicalLogWithTheUninstallersGap) {
    InstallLogRead read = ParseInstallLog(kTypicalLog);
    ASSERT_TRUE(read.log) << read.error;
    EXPECT_THAT(read.log->folders, ElementsAre("C:\\Program Files\\", "C:\\Program Files\\Acme\\"));
    EXPECT_THAT(
        read.log->paths,
        ElementsAre("c:\\program files\\acme\\acme.exe", "c:\\program files\\acme\\readme.txt",
                    "c:\\program files\\acme\\help.chm", "c:\\program files\\acme\\data.tag"));
    EXPECT_EQ(read.log->uninstallKey,
              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme");
    EXPECT_EQ(read.log->productKey, "Software\\Corvane\\Acme");
    EXPECT_EQ(read.log->damagedLines, 0);
}

TEST(InstallLog, FollowsTheProfileReadingRules) {
    // Numbered keys in numeric order whatever their order in the file; names without letter
    // case; blanks around names and values; one pair of quotes dropped; first key and first
    // section of a name win; keys before any section, comments and other sections ignored.
    InstallLogRead read = ParseInstallLog(
        "0=c:\\before\\any\\section\n"
        "; comment\n"
        "[ log ]\n"
        "10 = c:\\ten\n"
        "2=\"c:\\two words\\x.txt\"\n"
        "2=c:\\second\\two\n"
        "03=c:\\leading\\zero\n"
        "x=c:\\not\\numbered\n"
        "[registry]\n"
        "path=Software\\A\n"
        "[Log]\n"
        "5=c:\\repeated\\section\n"
        "[REGISTRY]\n"
        "PATH=Software\\B\n");
    ASSERT_TRUE(read.log) << read.error;
    EXPECT_THAT(read.log->paths, ElementsAre("c:\\two words\\x.txt", "c:\\ten"));
    EXPECT_EQ(read.log->productKey, "Software\\A");
    EXPECT_EQ(read.log->damagedLines, 2);  // "03" and "x"
}

TEST(InstallLog, ReadsWhatIsLeftOfADamagedOrCutOffLog) {
    // Cut in the middle of the LOG section: a value and a header broken off, no CR.
    InstallLogRead read = ParseInstallLog(
        "\xEF\xBB\xBF[DIR]\n0=c:\\acme\\\ngarbage line\n[LOG]\n0=c:\\acme\\a.exe\n1=c:\\ac");
    ASSERT_TRUE(read.log) << read.error;
    EXPECT_THAT(read.log->folders, ElementsAre("c:\\acme\\"));
    EXPECT_THAT(read.log->paths, ElementsAre("c:\\acme\\a.exe", "c:\\ac"));
    EXPECT_EQ(read.log->damagedLines, 1);

    read = ParseInstallLog("[LOG]\n0=c:\\acme\\a.exe\n[UNINST");
    ASSERT_TRUE(read.log);
    EXPECT_EQ(read.log->uninstallKey, "");
    EXPECT_EQ(read.log->damagedLines, 1);
}

TEST(InstallLog, RefusesWhatIsNotAnInstallationLog) {
    EXPECT_FALSE(ParseInstallLog("").log);
    EXPECT_FALSE(ParseInstallLog("[Main]\nActive=True\n").log);  // another program's settings
    EXPECT_FALSE(ParseInstallLog(std::string("[LOG]\n0=c:\\a\0b\n", 15)).log);  // binary
    EXPECT_FALSE(ParseInstallLog("[LOG]\n[DIR]\n[UNINSTALL]\nPATH=\n").log);    // lists nothing
    InstallLogRead read = ParseInstallLog("MZ\x90");
    EXPECT_FALSE(read.log);
    EXPECT_NE(read.error.find("not an installation log"), std::string::npos) << read.error;

    std::string huge = "[LOG]\n" + std::string(kMaxInstallLogBytes, 'x');
    read = ParseInstallLog(huge);
    EXPECT_FALSE(read.log);
    EXPECT_NE(read.error.find("too large"), std::string::npos) << read.error;
}

TEST(InstallLog, IgnoresKeysBeyondTheInstallersCounters) {
    InstallLogRead read =
        ParseInstallLog("[LOG]\n0=c:\\a\n99999999=c:\\huge\n-1=c:\\negative\n1000000=c:\\top\n");
    ASSERT_TRUE(read.log);
    EXPECT_THAT(read.log->paths, ElementsAre("c:\\a", "c:\\top"));
}

}  // namespace
}  // namespace stepwise
