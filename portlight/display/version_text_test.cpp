#include "display/version_text.h"

#include <gtest/gtest.h>

namespace portlight {
namespace {

TEST(VersionText, TranslationKey) {
    const uint8_t english[4] = {0x09, 0x04, 0xE4, 0x04};
    EXPECT_EQ(TranslationKey(english), "040904E4");
    EXPECT_EQ(LanguageOfKey("040904E4"), 1033u);
    EXPECT_EQ(CodePageOfKey("040904E4"), 1252u);
    const uint8_t neutral[4] = {0, 0, 0, 0};
    EXPECT_EQ(TranslationKey(neutral), "040904E4");
    const uint8_t german[4] = {0x07, 0x04, 0xB0, 0x04};
    EXPECT_EQ(TranslationKey(german), "040704B0");
    EXPECT_EQ(LanguageOfKey("0409"), 0u);
    EXPECT_EQ(CodePageOfKey(""), 0u);
}

TEST(VersionText, StripAtNulAndPadLeftZero) {
    EXPECT_EQ(StripAtNul(std::string("Fire\0Browser", 12)), "Fire");
    EXPECT_EQ(StripAtNul(std::string("\0x", 2)), "");
    EXPECT_EQ(StripAtNul("plain"), "plain");
    EXPECT_EQ(PadLeftZero("9", 2), "09");
    EXPECT_EQ(PadLeftZero("4E4", 4), "04E4");
    EXPECT_EQ(PadLeftZero("12345", 4), "2345");
    EXPECT_EQ(PadLeftZero("", 3), "000");
}

TEST(VersionText, FixedInfoDecoders) {
    EXPECT_EQ(FileFlagsText(0x3), "Debug Pre-release ");
    EXPECT_EQ(FileFlagsText(0x2F), "Debug Patched Pre-release Private Special ");
    EXPECT_EQ(FileFlagsText(0x10), "");
    EXPECT_EQ(FileOSText(0x40004), "Win32 API on Windows NT");
    EXPECT_EQ(FileOSText(0x10001), "Win16 API on DOS");
    EXPECT_EQ(FileOSText(0), "Unknown API");
    EXPECT_EQ(FileOSText(0x50004), "Win32 API");
    EXPECT_EQ(FileTypeText(1), "Application");
    EXPECT_EQ(FileTypeText(7), "Static-link library");
    EXPECT_EQ(FileTypeText(6), "");
    EXPECT_EQ(FileTypeText(0), "Unknown");
    EXPECT_EQ(FileSubTypeText(3, 7), "System");
    EXPECT_EQ(FileSubTypeText(3, 11), "Input Method");
    EXPECT_EQ(FileSubTypeText(3, 12), "Unknown");
    EXPECT_EQ(FileSubTypeText(4, 3), "TrueType");
    EXPECT_EQ(FileSubTypeText(5, 42), "42");
    EXPECT_EQ(FileSubTypeText(1, 1), "Unknown");
}

}  // namespace
}  // namespace portlight
