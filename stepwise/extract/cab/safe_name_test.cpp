#include "cab/safe_name.h"

#include <gtest/gtest.h>

namespace cab {
namespace {

TEST(CheckStoredName, RefusesNamesThatLeaveTheFolderOrOpenDevices) {
    const char* const unsafe[] = {
        "",  // nothing to write
        "\\abs.txt",
        "/abs.txt",  // absolute
        "C:\\x.txt",
        "c:x.txt",  // drive letters
        "x.txt:stream",
        "x.txt::$DATA",  // alternate data streams
        "..",
        "..\\x",
        "a\\..\\..\\x",
        "a/../x",
        "...",
        ". .",
        ".. \\x",
        ".",  // dot components
        "a\\\\b",
        "a\\",  // empty components
        "CON",
        "con",
        "NUL.txt",
        "nul .txt",
        "Aux.",
        "PRN.log",
        "COM1",
        "com9.bin",
        "LPT1",
        "dir\\lpt3.txt",
        "CONIN$",
        "conout$.x",
        "COM\xB9",
        "lpt\xC2\xB2.txt",  // devices
        "tab\there",
        "new\nline",  // control characters
    };
    for (const char* name : unsafe)
        EXPECT_FALSE(CheckStoredName(name, false).empty()) << '"' << name << '"';
}

TEST(CheckStoredName, AcceptsOrdinaryNames) {
    const char* const safe[] = {
        "readme.txt", "sub\\dir\\file.dll", "sub/file", ".hidden", "a..b", "name.",
        "CONFIG.SYS", "console.txt",        "COM10",    "LPT0",    "COM",  "nul2",
        "F1_PR7",     "caf\xE9.txt" /* code page byte */};
    for (const char* name : safe)
        EXPECT_EQ(CheckStoredName(name, false), "") << '"' << name << '"';
}

TEST(CheckStoredName, ChecksUtf8OnlyWhenTheNameIsFlaggedUtf8) {
    EXPECT_EQ(CheckStoredName("caf\xC3\xA9.txt", true), "");
    EXPECT_EQ(CheckStoredName("\xF0\x9F\x93\xA6.bin", true), "");
    EXPECT_NE(CheckStoredName("caf\xE9.txt", true), "");          // a code-page byte
    EXPECT_NE(CheckStoredName("\xC0\xAE\xC0\xAE\\x", true), "");  // overlong "..": refused
    EXPECT_NE(CheckStoredName("\xED\xA0\x80", true), "");         // surrogate
    EXPECT_NE(CheckStoredName("\xF4\x90\x80\x80", true), "");     // beyond U+10FFFF
    EXPECT_NE(CheckStoredName("abc\xE2\x82", true), "");          // cut short
}

TEST(JoinDestination, UsesOneSeparator) {
    EXPECT_EQ(JoinDestination("C:\\tmp", "a/b\\c.txt", '\\'), "C:\\tmp\\a\\b\\c.txt");
    EXPECT_EQ(JoinDestination("C:\\tmp\\", "x", '\\'), "C:\\tmp\\x");
    EXPECT_EQ(JoinDestination("/tmp/out/", "a\\b", '/'), "/tmp/out/a/b");
    EXPECT_EQ(JoinDestination("", "a\\b", '/'), "a/b");
}

}  // namespace
}  // namespace cab
