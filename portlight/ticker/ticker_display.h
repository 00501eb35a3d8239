// The ticker box as data: the item list, the index of the next item, and the two labels
// (the incoming lblTicker(0) and the outgoing lblTicker(1)) with their captions, colours
// and positions in twips. Every third second ShowNextTickerItem puts the next item below
// the box; the 100 ms TickerTimer then moves both labels up until the incoming one sits at
// kTickerRestTop. The window side only draws what this holds.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ticker/ticker_items.h"

namespace portlight {

// Twips a label moves on each 100 ms tick, and where the incoming label comes to rest.
constexpr int kTickerStepTwips = 25;
constexpr int kTickerRestTop = 40;
// The incoming label starts this far below the bottom of the outgoing one.
constexpr int kTickerEntryGapTwips = 10;

struct TickerLabel {
    std::string Caption;
    std::string Tag;  // the link of the item shown; empty when none
    std::uint32_t ForeColor = kTickerNormalColour;
    bool Underline = false;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// Which labels' windows must change to show `now` after they last showed `shown`. A label
// whose caption, colour, underline and place are unchanged needs nothing; and while both
// labels are blank, before and after, where they sit does not show (a blank label, empty or
// spaces without underline, paints only the box's own colour), so a scroll of blank labels
// needs nothing either. Once one label shows text, the other's place matters again: it must
// not cover the text.
std::array<bool, 2> LabelsToUpdate(const std::array<TickerLabel, 2>& shown,
                                   const std::array<TickerLabel, 2>& now);

class TickerDisplay {
  public:
    // Sizes both labels to the box: left 0, the box's width and height.
    void SizeLabels(int boxWidthTwips, int boxHeightTwips);
    // A new list (items and the separator) that starts at its first item.
    void SetList(std::vector<std::string> list);
    void ClearList() { TempTickerList.clear(); }

    // The current line moves to the outgoing label and the next entry comes in below the
    // box; starts the scroll.
    void ShowNextTickerItem();
    // One 100 ms tick of the scroll; stops the scroll once the incoming label is at rest.
    void TickerTimerTick();
    // The link a click on label `index` opens: only the incoming label, only an item with a
    // link, and only an http(s) address; empty for every other click.
    std::string LinkToOpen(int index) const;

    std::vector<std::string> TempTickerList;
    std::string TickerIndex = "0";  // the next entry to show, as decimal text
    std::array<TickerLabel, 2> lblTicker;
    bool TickerTimerEnabled = false;
};

}  // namespace portlight
