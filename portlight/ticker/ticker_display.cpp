#include "ticker/ticker_display.h"

namespace portlight {

namespace {

// The leading decimal digits of `text` as a number (0 for none); a run too long to be an
// index of any list counts as past its end.
size_t IndexValue(const std::string& text) {
    size_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        if (value > 100000000)
            return static_cast<size_t>(-1);
        value = value * 10 + static_cast<size_t>(c - '0');
    }
    return value;
}

// Paints nothing but the background: no caption, or spaces without an underline.
bool Blank(const TickerLabel& label) {
    return label.Caption.find_first_not_of(' ') == std::string::npos &&
           (label.Caption.empty() || !label.Underline);
}

bool SameLook(const TickerLabel& a, const TickerLabel& b) {
    return a.Caption == b.Caption && a.ForeColor == b.ForeColor && a.Underline == b.Underline &&
           a.Left == b.Left && a.Top == b.Top && a.Width == b.Width && a.Height == b.Height;
}

}  // namespace

std::array<bool, 2> LabelsToUpdate(const std::array<TickerLabel, 2>& shown,
                                   const std::array<TickerLabel, 2>& now) {
    if (Blank(shown[0]) && Blank(shown[1]) && Blank(now[0]) && Blank(now[1]))
        return {false, false};
    return {!SameLook(shown[0], now[0]), !SameLook(shown[1], now[1])};
}

void TickerDisplay::SizeLabels(int boxWidthTwips, int boxHeightTwips) {
    for (TickerLabel& label : lblTicker) {
        label.Left = 0;
        label.Width = boxWidthTwips;
        label.Height = boxHeightTwips;
    }
}

void TickerDisplay::SetList(std::vector<std::string> list) {
    TempTickerList = std::move(list);
    TickerIndex = "0";
}

void TickerDisplay::ShowNextTickerItem() {
    TickerLabel& incoming = lblTicker[0];
    TickerLabel& outgoing = lblTicker[1];
    outgoing.Caption = incoming.Caption;
    outgoing.ForeColor = incoming.ForeColor;
    outgoing.Top = 0;
    incoming.Top = outgoing.Height + kTickerEntryGapTwips;

    size_t index = IndexValue(TickerIndex);
    // Past the end wraps to the first entry (normally the index only reaches the end).
    if (index >= TempTickerList.size())
        index = 0;
    TickerEntry entry =
        index < TempTickerList.size() ? ParseTickerEntry(TempTickerList[index]) : TickerEntry();
    incoming.Caption = entry.caption;
    incoming.Tag = entry.link;
    incoming.ForeColor = entry.colour();
    incoming.Underline = entry.underlined();
    TickerIndex = std::to_string(index + 1);
    TickerTimerEnabled = true;
}

void TickerDisplay::TickerTimerTick() {
    lblTicker[1].Top -= kTickerStepTwips;
    lblTicker[0].Top -= kTickerStepTwips;
    if (lblTicker[0].Top < kTickerRestTop) {
        lblTicker[0].Top = kTickerRestTop;
        TickerTimerEnabled = false;
    }
}

std::string TickerDisplay::LinkToOpen(int index) const {
    if (index != 0)
        return "";
    std::string link = TrimItemText(lblTicker[0].Tag);
    return IsOpenableLink(link) ? link : "";
}

}  // namespace portlight
