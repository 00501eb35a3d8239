#include "capture/text_split.h"

#include <gtest/gtest.h>

namespace portlight {
namespace {

// Splits at the first occurrence, ignoring letter case, and trims the results.
TEST(TextSplit, SplitsAtFirstOccurrenceIgnoringCase) {
    EXPECT_EQ(TextBefore("0.0.0.0:135", ":"), "0.0.0.0");
    EXPECT_EQ(TextAfter("0.0.0.0:135", ":"), "135");
    EXPECT_EQ(TextBefore("  Proto  PID  rest ", "pid"), "Proto");
    EXPECT_EQ(TextAfter("  Proto  PID  rest ", "pid"), "rest");
    EXPECT_EQ(TextAfter("a:b:c", ":"), "b:c");
    EXPECT_EQ(TextBefore("line one\r\nline two\r\n", "\r\n"), "line one");
    EXPECT_EQ(TextAfter("line one\r\nline two\r\n", "\r\n"), "line two\r\n");
}

// Without the delimiter TextBefore is empty and TextAfter starts at the 1-based position
// equal to the delimiter's length.
TEST(TextSplit, MissingDelimiter) {
    EXPECT_EQ(TextBefore("no colon here", ":"), "");
    EXPECT_EQ(TextAfter(" no colon here ", ":"), "no colon here");
    EXPECT_EQ(TextAfter("abcdef", "\r\n"), "bcdef");
    EXPECT_EQ(TextAfter("abcdef", "pid"), "cdef");
    EXPECT_EQ(TextAfter("ab", "pid"), "");
    EXPECT_EQ(TextAfter("", ":"), "");
    EXPECT_EQ(TextBefore("", ":"), "");
}

TEST(TextSplit, TrimsOnlySpaces) {
    EXPECT_EQ(TrimSpaces("   "), "");
    EXPECT_EQ(TrimSpaces(" \tx\t "), "\tx\t");
    EXPECT_EQ(FindNoCase("ABCpid", "PID"), 3u);
    EXPECT_EQ(FindNoCase("abc", "x"), std::string::npos);
}

}  // namespace
}  // namespace portlight
