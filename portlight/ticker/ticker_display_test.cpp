#include "ticker/ticker_display.h"

#include <gtest/gtest.h>

namespace portlight {
namespace {

constexpr int kBoxWidth = 9000;
constexpr int kBoxHeight = 300;

TickerDisplay Loaded(const std::string& feed) {
    TickerDisplay d;
    d.SizeLabels(kBoxWidth, kBoxHeight);
    d.SetList(TickerList(feed));
    return d;
}

// The first step shows item 0; the outgoing label takes what the labels held before
// (nothing at start-up). Each step hands the current line to the outgoing label.
TEST(TickerDisplay, StepsThroughTheItemsAndWrapsAfterTheBlank) {
    TickerDisplay d = Loaded("'Starts here'\r\nFirst^http://a.example/\r\n$Second^\r\n");
    ASSERT_EQ(d.TempTickerList.size(), 3u);

    d.ShowNextTickerItem();
    EXPECT_EQ(d.lblTicker[0].Caption, "First");
    EXPECT_EQ(d.lblTicker[0].Tag, "http://a.example/");
    EXPECT_EQ(d.lblTicker[0].ForeColor, kTickerNormalColour);
    EXPECT_TRUE(d.lblTicker[0].Underline);
    EXPECT_EQ(d.lblTicker[1].Caption, "");
    EXPECT_EQ(d.TickerIndex, "1");
    EXPECT_TRUE(d.TickerTimerEnabled);

    d.ShowNextTickerItem();
    EXPECT_EQ(d.lblTicker[0].Caption, "Second");
    EXPECT_EQ(d.lblTicker[0].ForeColor, kTickerHighlightColour);
    EXPECT_FALSE(d.lblTicker[0].Underline);
    EXPECT_EQ(d.lblTicker[1].Caption, "First");
    EXPECT_EQ(d.lblTicker[1].ForeColor, kTickerNormalColour);

    // After the last real item: one blank item, then item 0 again.
    d.ShowNextTickerItem();
    EXPECT_EQ(d.lblTicker[0].Caption, " ");
    EXPECT_EQ(d.lblTicker[0].Tag, "");
    EXPECT_FALSE(d.lblTicker[0].Underline);
    EXPECT_EQ(d.lblTicker[1].Caption, "Second");
    EXPECT_EQ(d.lblTicker[1].ForeColor, kTickerHighlightColour);
    EXPECT_EQ(d.TickerIndex, "3");

    d.ShowNextTickerItem();
    EXPECT_EQ(d.lblTicker[0].Caption, "First");
    EXPECT_EQ(d.TickerIndex, "1");
}

// Label positions through one whole scroll: the incoming label starts 10 twips below the
// outgoing one, both move 25 twips a tick, and the incoming one stops at exactly 40.
TEST(TickerDisplay, ScrollPositions) {
    TickerDisplay d = Loaded("'Starts here'\r\nOnly^\r\n");
    EXPECT_EQ(d.lblTicker[0].Left, 0);
    EXPECT_EQ(d.lblTicker[0].Width, kBoxWidth);
    EXPECT_EQ(d.lblTicker[1].Height, kBoxHeight);
    d.ShowNextTickerItem();
    EXPECT_EQ(d.lblTicker[1].Top, 0);
    EXPECT_EQ(d.lblTicker[0].Top, 310);

    std::vector<int> incoming, outgoing;
    int ticks = 0;
    while (d.TickerTimerEnabled && ticks < 100) {
        d.TickerTimerTick();
        incoming.push_back(d.lblTicker[0].Top);
        outgoing.push_back(d.lblTicker[1].Top);
        ++ticks;
    }
    // 310 -> 285 ... 60, 35 -> clamped to 40: (300 - 30) / 25 rounded up.
    ASSERT_EQ(ticks, 11);
    EXPECT_EQ(incoming.front(), 285);
    EXPECT_EQ(incoming[9], 60);
    EXPECT_EQ(incoming.back(), 40);
    EXPECT_EQ(outgoing.front(), -25);
    EXPECT_EQ(outgoing.back(), -275) << "the outgoing label is not clamped";
    EXPECT_FALSE(d.TickerTimerEnabled);
}

// Without a cache the list is empty and both labels show empty text.
TEST(TickerDisplay, EmptyListShowsNothing) {
    TickerDisplay d;
    d.SizeLabels(kBoxWidth, kBoxHeight);
    d.ShowNextTickerItem();
    d.ShowNextTickerItem();
    EXPECT_EQ(d.lblTicker[0].Caption, "");
    EXPECT_EQ(d.lblTicker[1].Caption, "");
    EXPECT_EQ(d.LinkToOpen(0), "");
}

// A new list starts again at its first item; an index past the end wraps.
TEST(TickerDisplay, NewListStartsAtItemZero) {
    TickerDisplay d = Loaded("'Starts here'\r\nA^\r\nB^\r\nC^\r\n");
    d.ShowNextTickerItem();
    d.ShowNextTickerItem();
    d.SetList(TickerList("'Starts here'\r\nX^\r\n"));
    EXPECT_EQ(d.TickerIndex, "0");
    d.ShowNextTickerItem();
    EXPECT_EQ(d.lblTicker[0].Caption, "X");
    d.TickerIndex = "17";
    d.ShowNextTickerItem();
    EXPECT_EQ(d.lblTicker[0].Caption, "X");
    d.TickerIndex = "junk";
    d.ShowNextTickerItem();
    EXPECT_EQ(d.lblTicker[0].Caption, "X");
}

// A click opens only the incoming label's web link.
TEST(TickerDisplay, ClickOpensOnlyTheIncomingWebLink) {
    TickerDisplay d = Loaded(
        "'Starts here'\r\nWeb^ http://www.example.com/a \r\n$Red no link^\r\nBad^calc.exe\r\n"
        "Plain text\r\n");
    d.ShowNextTickerItem();
    EXPECT_EQ(d.LinkToOpen(0), "http://www.example.com/a");
    EXPECT_EQ(d.LinkToOpen(1), "") << "the outgoing label never opens";
    d.ShowNextTickerItem();
    EXPECT_EQ(d.lblTicker[0].Caption, "Red no link");
    EXPECT_EQ(d.LinkToOpen(0), "") << "red item without a link";
    EXPECT_EQ(d.LinkToOpen(1), "");
    d.ShowNextTickerItem();
    EXPECT_TRUE(d.lblTicker[0].Underline) << "shown as a link";
    EXPECT_EQ(d.LinkToOpen(0), "") << "but not a web address, so never opened";
    d.ShowNextTickerItem();
    EXPECT_EQ(d.lblTicker[0].Caption, "Plain text");
    EXPECT_FALSE(d.lblTicker[0].Underline);
    EXPECT_EQ(d.LinkToOpen(0), "");
}

// The label windows are touched only when their look changes: a scroll with nothing to show
// (no cache) needs no window work on any tick; a scroll with text moves both labels on every
// tick, the blank one too, since it must not cover the text; at rest nothing changes.
TEST(TickerDisplay, LabelsToUpdateOnlyWhatChangedOnScreen) {
    TickerDisplay d;
    d.SizeLabels(kBoxWidth, kBoxHeight);
    std::array<TickerLabel, 2> shown;  // the windows as created: blank, empty
    auto apply = [&] {
        std::array<bool, 2> update = LabelsToUpdate(shown, d.lblTicker);
        for (int i = 0; i < 2; ++i)
            if (update[i])
                shown[i] = d.lblTicker[i];
        return update;
    };
    const std::array<bool, 2> none = {false, false};
    const std::array<bool, 2> both = {true, true};

    d.ShowNextTickerItem();  // an empty list: both labels blank
    EXPECT_EQ(apply(), none);
    int ticks = 0;
    for (; d.TickerTimerEnabled && ticks < 100; ++ticks) {
        d.TickerTimerTick();
        EXPECT_EQ(apply(), none) << "tick " << ticks;
    }
    EXPECT_GT(ticks, 3) << "the blank scroll still runs its ticks";

    d.SetList(TickerList("'Starts here'\r\nNews^\r\n"));
    d.ShowNextTickerItem();  // "News" comes in below the blank outgoing label
    EXPECT_EQ(apply(), both) << "the blank label moves to the top beside the text";
    d.TickerTimerTick();
    EXPECT_EQ(apply(), both);
    while (d.TickerTimerEnabled)
        d.TickerTimerTick();
    apply();
    EXPECT_EQ(apply(), none) << "at rest nothing changes";

    d.ShowNextTickerItem();  // the blank separator comes in; "News" goes out
    EXPECT_EQ(apply(), both);
    while (d.TickerTimerEnabled)
        d.TickerTimerTick();
    apply();
    d.ShowNextTickerItem();  // "News" again: the outgoing label turns blank
    std::array<bool, 2> update = apply();
    EXPECT_TRUE(update[1]) << "a caption that became blank is a change";
    EXPECT_EQ(shown[1].Caption, " ") << "the separator";

    // A blank caption that is underlined still draws its line.
    std::array<TickerLabel, 2> underlined = shown;
    underlined[0].Caption = "  ";
    underlined[0].Underline = true;
    underlined[1].Caption = "";
    std::array<TickerLabel, 2> blank = underlined;
    blank[0].Underline = false;
    blank[0].Top += 25;
    EXPECT_EQ(LabelsToUpdate(blank, underlined)[0], true);
}

}  // namespace
}  // namespace portlight
