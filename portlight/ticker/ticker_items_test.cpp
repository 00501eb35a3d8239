#include "ticker/ticker_items.h"

#include <gtest/gtest.h>

namespace portlight {
namespace {

using Items = std::vector<std::string>;

// The header ends at the first marker line; the marker line is never an item, even when
// it is the very first line.
TEST(TickerItems, HeaderEndsAtTheFirstMarkerLine) {
    EXPECT_EQ(ReadTickerItems("'Starts here'\r\nOne^http://a/\r\nTwo^\r\n"),
              (Items{"One^http://a/", "Two^"}));
    EXPECT_EQ(
        ReadTickerItems("Kestro ticker v1\r\nIgnored^x\r\n  -- 'Starts here' --  \r\nOne^\r\n"),
        (Items{"One^"}));
    EXPECT_EQ(ReadTickerItems("No marker^here\r\nAt all^\r\n"), Items{}) << "no marker, no items";
    EXPECT_EQ(ReadTickerItems(""), Items{});
    EXPECT_EQ(ReadTickerItems("'starts here'\r\nOne^\r\n"), Items{})
        << "the marker's case as written";
    EXPECT_EQ(ReadTickerItems("Starts here\r\nOne^\r\n"), Items{}) << "quotes are part of it";
}

// A second marker line is an item like any other.
TEST(TickerItems, SecondMarkerLineIsAnItem) {
    EXPECT_EQ(ReadTickerItems("'Starts here'\nOne^\n'Starts here'\nTwo^\n"),
              (Items{"One^", "'Starts here'", "Two^"}));
}

// Spaces around an item stay; blank and all-space lines are skipped; every line-end form
// counts.
TEST(TickerItems, SpacingKeptAndBlankLinesSkipped) {
    EXPECT_EQ(
        ReadTickerItems("'Starts here'\r\n\r\n   \r\n  Padded item  ^http://x/ \r\n\t\r\nLast^"),
        (Items{"  Padded item  ^http://x/ ", "Last^"}));
    EXPECT_EQ(ReadTickerItems("'Starts here'\rA^\rB^\n\nC^"), (Items{"A^", "B^", "C^"}));
}

// The list the ticker shows: the items and one blank separator.
TEST(TickerItems, ListEndsWithTheSeparator) {
    EXPECT_EQ(TickerList("'Starts here'\r\nA^\r\n"), (Items{"A^", " ^"}));
    EXPECT_EQ(TickerList("nothing"), (Items{" ^"}));
}

TEST(TickerItems, EntryParts) {
    TickerEntry e = ParseTickerEntry("News of the day^http://www.example.com/news");
    EXPECT_EQ(e.caption, "News of the day");
    EXPECT_EQ(e.link, "http://www.example.com/news");
    EXPECT_FALSE(e.highlighted);
    EXPECT_EQ(e.colour(), 0x80FFFFu);
    EXPECT_TRUE(e.underlined());

    e = ParseTickerEntry("$Urgent^");
    EXPECT_EQ(e.caption, "Urgent") << "red, without the $";
    EXPECT_TRUE(e.highlighted);
    EXPECT_EQ(e.colour(), 255u);
    EXPECT_FALSE(e.underlined()) << "no link, no underline";

    e = ParseTickerEntry("A^b^c");
    EXPECT_EQ(e.caption, "A");
    EXPECT_EQ(e.link, "b^c") << "split at the first ^";

    e = ParseTickerEntry("Just text");
    EXPECT_EQ(e.caption, "Just text") << "no ^: all text";
    EXPECT_EQ(e.link, "");
    EXPECT_FALSE(e.underlined());

    e = ParseTickerEntry("Spaces only link^   ");
    EXPECT_FALSE(e.underlined()) << "a blank link is no link";

    e = ParseTickerEntry(" ^");
    EXPECT_EQ(e.caption, " ");
    EXPECT_FALSE(e.underlined());
    EXPECT_FALSE(e.highlighted);

    e = ParseTickerEntry(" $Not highlighted^");
    EXPECT_FALSE(e.highlighted) << "the $ must come first";
}

// Only web addresses open: a feed is text from the network.
TEST(TickerItems, OnlyWebLinksOpen) {
    for (const char* good : {"http://www.example.com/", " https://example.com/a?b=c ",
                             "HTTP://EXAMPLE.COM", "http://127.0.0.1:8123/x"})
        EXPECT_TRUE(IsOpenableLink(good)) << good;
    for (const char* bad :
         {"", "   ", "www.example.com", "calc.exe", "C:\\Windows\\System32\\cmd.exe",
          "file:///C:/Windows/System32/calc.exe", "javascript:alert(1)",
          "javascript://x/%0aalert(1)", "mailto:a@b.c", "ftp://example.com/",
          "\\\\server\\share\\run.exe", "runas", "http://", "http:/example.com", "http://a b/",
          "http://user@example.com/", "shell:startup", "ms-settings:"})
        EXPECT_FALSE(IsOpenableLink(bad)) << bad;
}

}  // namespace
}  // namespace portlight
