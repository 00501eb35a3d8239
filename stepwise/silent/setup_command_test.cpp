#include "silent/setup_command.h"

#include <gtest/gtest.h>

namespace stepwise {
namespace {

TEST(SetupCommandTest, OptionsAndTheirValues) {
    SetupCommand c = ParseSetupCommand("/S /LOG=C:\\logs\\acme.log /D=C:\\Apps\\Acme\\");
    EXPECT_EQ(c.error, "");
    EXPECT_TRUE(c.silent);
    EXPECT_EQ(c.installFolder, "C:\\Apps\\Acme");  // trailing backslash removed
    EXPECT_EQ(c.logPath, "C:\\logs\\acme.log");

    EXPECT_TRUE(ParseSetupCommand("").error.empty());
    EXPECT_FALSE(ParseSetupCommand("").silent);
    EXPECT_TRUE(ParseSetupCommand("/?").help);
    EXPECT_TRUE(ParseSetupCommand("/s /d=C:\\x").silent);  // any case
}

// Folders with blanks: quoted either way, or typed bare up to the next option.
TEST(SetupCommandTest, ValuesWithBlanks) {
    EXPECT_EQ(ParseSetupCommand("/S \"/D=C:\\My Apps\\Acme\"").installFolder, "C:\\My Apps\\Acme");
    EXPECT_EQ(ParseSetupCommand("/S /D=\"C:\\My Apps\\Acme\"").installFolder, "C:\\My Apps\\Acme");
    SetupCommand bare =
        ParseSetupCommand("/S /D=C:\\Program Files\\Kestro  Portlight /LOG=a b.log");
    EXPECT_EQ(bare.installFolder, "C:\\Program Files\\Kestro Portlight");
    EXPECT_EQ(bare.logPath, "a b.log");
}

// Bad command lines are errors, never guesses.
TEST(SetupCommandTest, UsageErrors) {
    for (const char* bad :
         {"/X", "/S /D=relative\\path", "/S /D=C:", "/S /D=C:\\a|b", "stray",
          "/S /D=\"C:\\a\" stray", "/D=C:\\Apps", "/LOG=x.log", "/S /LOG=C:\\logs\\"}) {
        EXPECT_NE(ParseSetupCommand(bad).error, "") << bad;
    }
}

// One code per outcome; a failure outranks a needed restart, nothing outranks "could not run".
TEST(SetupCommandTest, ExitCodes) {
    EXPECT_EQ(SetupExitCode({}), kSetupSucceeded);
    EXPECT_EQ(SetupExitCode({.restartNeeded = true}), kSetupNeedsRestart);
    EXPECT_EQ(SetupExitCode({.failures = 1, .restartNeeded = true}), kSetupFailed);
    EXPECT_EQ(SetupExitCode({.cancelled = true, .failures = 2}), kSetupCancelled);
    EXPECT_EQ(SetupExitCode({.couldNotRun = true, .cancelled = true}), kSetupCannotRun);
    EXPECT_EQ(DefaultSetupLogPath("C:\\Temp\\"), "C:\\Temp\\stepwise-setup.log");
    EXPECT_EQ(DefaultSetupLogPath("C:\\Temp"), "C:\\Temp\\stepwise-setup.log");
}

}  // namespace
}  // namespace stepwise
