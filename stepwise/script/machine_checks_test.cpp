#include "script/machine_checks.h"

#include <gtest/gtest.h>

namespace stepwise {
namespace {

// Each Windows version maps to its class; NT 6 and later count as the 2000 family.
TEST(MachineChecks, OsClassForEachVersion) {
    EXPECT_EQ(OsClassFor(true, kPlatformWindows9x, 4, 0), "95");
    EXPECT_EQ(OsClassFor(true, kPlatformWindows9x, 4, 10), "98");
    EXPECT_EQ(OsClassFor(true, kPlatformWindows9x, 4, 90), "98");  // ME
    EXPECT_EQ(OsClassFor(true, kPlatformNt, 4, 0), "NT");
    EXPECT_EQ(OsClassFor(true, kPlatformNt, 5, 0), "2000");
    EXPECT_EQ(OsClassFor(true, kPlatformNt, 5, 1), "2000");  // XP
    EXPECT_EQ(OsClassFor(true, kPlatformNt, 5, 2), "2000");  // Server 2003
    EXPECT_EQ(OsClassFor(true, kPlatformNt, 6, 0), "2000");  // Vista
    EXPECT_EQ(OsClassFor(true, kPlatformNt, 6, 1), "2000");  // 7
    EXPECT_EQ(OsClassFor(true, kPlatformNt, 6, 2), "2000");  // 8 and later without a manifest
    EXPECT_EQ(OsClassFor(true, kPlatformNt, 10, 0), "2000");
    EXPECT_EQ(OsClassFor(true, kPlatformNt, 3, 51), "");
    EXPECT_EQ(OsClassFor(true, 0, 3, 10), "");  // Win32s
    EXPECT_EQ(OsClassFor(false, kPlatformNt, 5, 1), "ERRO");
}

// Every requirement spelling, on the classes that pass and fail it, with its message.
TEST(MachineChecks, PlatformRequirementSpellings) {
    for (const char* all : {"", "All Plataforms", "Todas as plataformas", "All Platforms"})
        for (const char* c : {"95", "98", "NT", "2000", "", "ERRO"})
            EXPECT_TRUE(CheckPlatform(all, c).passed) << all << " on " << c;

    struct Case {
        const char* required;
        const char* passing[4];
        const char* message;
    };
    const Case cases[] = {
        {"Windows NT", {"NT"}, "This program only works with Windows NT"},
        {"Windows 95/98", {"95", "98"}, "This program only works with Windows 95/98"},
        {"Windows 95/98/NT", {"95", "98", "NT"}, "This program only works with Windows 95/98/NT"},
        {"Windows 2000", {"2000"}, "This program only works with Windows 2000"},
        {"Windows XP", {"2000"}, "This program only works with Windows 2000"},
        {"Windows 95/98/NT/2000/XP",
         {"95", "98", "NT", "2000"},
         "This program only works with Windows 95/98/NT"},
    };
    for (const Case& c : cases) {
        for (const char* osClass : {"95", "98", "NT", "2000", "", "ERRO"}) {
            bool expected = false;
            for (const char* p : c.passing)
                expected = expected || (p && std::string(p) == osClass);
            CheckResult result = CheckPlatform(c.required, osClass);
            EXPECT_EQ(result.passed, expected) << c.required << " on " << osClass;
            EXPECT_EQ(result.message, expected ? "" : c.message) << c.required << " on " << osClass;
        }
    }
    // Anything else fails everywhere, including spellings that differ only in case.
    for (const char* other : {"Windows ME", "windows nt", "Windows 2000 ", "All"}) {
        CheckResult result = CheckPlatform(other, "2000");
        EXPECT_FALSE(result.passed) << other;
        EXPECT_EQ(result.message, "This program only works with WindowsOS.");
    }
}

// A current Windows passes the scripts written for the 2000/XP family.
TEST(MachineChecks, CurrentWindowsPassesXpScripts) {
    std::string current = OsClassFor(true, kPlatformNt, 10, 0);
    EXPECT_TRUE(CheckPlatform("Windows XP", current).passed);
    EXPECT_TRUE(CheckPlatform("Windows 95/98/NT/2000/XP", current).passed);
    EXPECT_FALSE(CheckPlatform("Windows NT", current).passed);
}

// The screen requirement is split by the value's length, not by its separator.
TEST(MachineChecks, ScreenRequirementByLength) {
    EXPECT_FALSE(ParseScreenRequirement("").has_value());
    EXPECT_FALSE(ParseScreenRequirement("Disabled").has_value());

    auto seven = ParseScreenRequirement("800x600");
    ASSERT_TRUE(seven);
    EXPECT_EQ(seven->width, 800);
    EXPECT_EQ(seven->height, 600);
    auto eight = ParseScreenRequirement("1024x768");
    ASSERT_TRUE(eight);
    EXPECT_EQ(eight->width, 1024);
    EXPECT_EQ(eight->height, 768);
    auto nine = ParseScreenRequirement("1280x1024");
    ASSERT_TRUE(nine);
    EXPECT_EQ(nine->width, 1280);
    EXPECT_EQ(nine->height, 1024);
    for (const char* other : {"640x48", "1", "12345678901", "disabled"}) {
        auto none = ParseScreenRequirement(other);
        ASSERT_TRUE(none) << other;
        EXPECT_EQ(none->width, 0) << other;
        EXPECT_EQ(none->height, 0) << other;
    }
    // The separator is never looked at; the digits are converted like atoi.
    auto odd = ParseScreenRequirement("800*6x0");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->width, 800);
    EXPECT_EQ(odd->height, 6);

    EXPECT_TRUE(ScreenTooSmall({1024, 768}, 800, 600));
    EXPECT_TRUE(ScreenTooSmall({1024, 768}, 1280, 700));
    EXPECT_FALSE(ScreenTooSmall({1024, 768}, 1024, 768));
    EXPECT_FALSE(ScreenTooSmall({0, 0}, 1, 1));
}

// Decimal conversion follows atoi and never overflows.
TEST(MachineChecks, DecimalValueLikeAtoi) {
    EXPECT_EQ(DecimalValue("  42abc"), 42);
    EXPECT_EQ(DecimalValue("-17"), -17);
    EXPECT_EQ(DecimalValue("+8"), 8);
    EXPECT_EQ(DecimalValue("x1"), 0);
    EXPECT_EQ(DecimalValue(""), 0);
    EXPECT_EQ(DecimalValue("99999999999999999999999"), LLONG_MAX);
    EXPECT_EQ(DecimalValue("-99999999999999999999999"), LLONG_MIN);
}

// The four colour-depth names and nothing else.
TEST(MachineChecks, ColourDepthNames) {
    EXPECT_EQ(RequiredColourBits("16 Color (4-Bit)"), 4);
    EXPECT_EQ(RequiredColourBits("256 Colors (8-Bit)"), 8);
    EXPECT_EQ(RequiredColourBits("64K High-Color (16-Bit)"), 16);
    EXPECT_EQ(RequiredColourBits("16M TrueColor (24-Bit)"), 24);
    EXPECT_FALSE(RequiredColourBits(""));
    EXPECT_FALSE(RequiredColourBits("16M TrueColor (32-Bit)"));
    EXPECT_FALSE(RequiredColourBits("256 colors (8-bit)"));
}

// Memory is compared in whole kilobytes after "%7.0f" rounding; "0" and "" never warn.
TEST(MachineChecks, MemoryRequirement) {
    const std::uint64_t mb512 = 512ull * 1024 * 1024;
    EXPECT_TRUE(MemoryBelowRequirement(mb512, "524289"));
    EXPECT_FALSE(MemoryBelowRequirement(mb512, "524288"));
    EXPECT_FALSE(MemoryBelowRequirement(mb512, "0"));
    EXPECT_FALSE(MemoryBelowRequirement(mb512, ""));
    EXPECT_FALSE(MemoryBelowRequirement(mb512, "abc"));
    // 1023.75 KB rounds up to 1024 before the comparison.
    EXPECT_FALSE(MemoryBelowRequirement(1048320, "1024"));
    EXPECT_TRUE(MemoryBelowRequirement(1048320, "1025"));
    // Machines beyond 2 TB do not overflow the comparison.
    EXPECT_FALSE(MemoryBelowRequirement(4ull << 40, "2147483647"));
}

}  // namespace
}  // namespace stepwise
