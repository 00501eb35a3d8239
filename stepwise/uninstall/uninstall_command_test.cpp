#include "uninstall/uninstall_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "uninstall/removal_run.h"

namespace stepwise {
namespace {

TEST(UninstallCommand, ReadsTheLogPathAndTheOptions) {
    // As Windows starts it from "UninstallString".
    UninstallCommand command = ParseUninstallCommand("\"C:\\Program Files\\Acme\\install.log\"");
    EXPECT_EQ(command.logPath, "C:\\Program Files\\Acme\\install.log");
    EXPECT_FALSE(command.silent);
    EXPECT_EQ(command.error, "");

    command = ParseUninstallCommand("  /S \"C:\\Program Files\\Acme\\install.log\" ");
    EXPECT_TRUE(command.silent);
    EXPECT_EQ(command.logPath, "C:\\Program Files\\Acme\\install.log");

    command = ParseUninstallCommand("C:\\Program Files\\Acme\\install.log /s");  // unquoted
    EXPECT_TRUE(command.silent);
    EXPECT_EQ(command.logPath, "C:\\Program Files\\Acme\\install.log");

    EXPECT_TRUE(ParseUninstallCommand("/?").help);
    EXPECT_TRUE(ParseUninstallCommand("-?").help);
}

TEST(UninstallCommand, UsageErrors) {
    EXPECT_NE(ParseUninstallCommand("").error, "");
    EXPECT_NE(ParseUninstallCommand("/S").error, "");
    EXPECT_NE(ParseUninstallCommand("\"\"").error, "");
    UninstallCommand command = ParseUninstallCommand("/X c:\\acme\\install.log");
    EXPECT_THAT(command.error, ::testing::HasSubstr("/X"));
}

TEST(UninstallCommand, HelpNamesEveryExitCode) {
    std::string help = UninstallHelpText();
    for (int code : {kExitRemoved, kExitCancelled, kExitPartly, kExitBadLog, kExitUsage})
        EXPECT_THAT(help, ::testing::HasSubstr("  " + std::to_string(code) + "   ")) << code;
    EXPECT_THAT(help, ::testing::HasSubstr("/S"));
}

}  // namespace
}  // namespace stepwise
