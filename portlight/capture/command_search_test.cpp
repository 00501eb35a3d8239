#include "capture/command_search.h"

#include <gtest/gtest.h>

namespace portlight {
namespace {

// The program of a command line, bare or quoted, and whether it names a folder.
TEST(CommandSearch, ProgramOfTheCommandLine) {
    EXPECT_EQ(ProgramToken("netstat -ona -p TCP"), "netstat");
    EXPECT_EQ(ProgramToken("  \"C:\\Program Files\\x\\netstat.exe\" -on"),
              "C:\\Program Files\\x\\netstat.exe");
    EXPECT_EQ(ProgramToken(""), "");
    EXPECT_FALSE(HasFolder("netstat"));
    EXPECT_TRUE(HasFolder(".\\netstat"));
    EXPECT_TRUE(HasFolder("C:netstat"));
    EXPECT_EQ(ExecutableFileName("netstat"), "netstat.exe");
    EXPECT_EQ(ExecutableFileName("netstat.com"), "netstat.com");
}

// Program folder, system folder, Windows folder, then PATH; nothing that means the current
// directory ("." or an empty or relative entry), and no folder twice.
TEST(CommandSearch, LeavesTheCurrentDirectoryOut) {
    std::vector<std::string> folders = CommandSearchFolders(
        "C:\\Apps\\Portlight\\", "C:\\windows\\system32", "C:\\windows",
        ".;;C:\\Tools;tools\\bin; \"D:\\Quoted Dir\\\" ;C:\\WINDOWS\\System32\\;"
        "\\\\server\\share;.\\");
    EXPECT_EQ(folders, (std::vector<std::string>{"C:\\Apps\\Portlight", "C:\\windows\\system32",
                                                 "C:\\windows", "C:\\Tools", "D:\\Quoted Dir",
                                                 "\\\\server\\share"}));
}

}  // namespace
}  // namespace portlight
