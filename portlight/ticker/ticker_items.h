// The ticker feed's text format (the feed and its cache ticker.db are the same text) and
// one item's parts: display text, highlight and link.
//
//   any header lines
//   ... 'Starts here' ...          first line containing the marker ends the header
//   Item text^http://link          one item per non-blank line, spacing kept
//   $Highlighted item^             "$" first: shown red, without the "$"
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace portlight {

constexpr char kTickerMarker[] = "'Starts here'";
// The blank entry appended after the items: it separates two passes through the list.
constexpr char kTickerSeparator[] = " ^";

// The items of a feed in file order, untrimmed: the lines after the first line whose
// trimmed text contains the marker, blank lines skipped. Lines end at CR LF, LF or CR. No
// marker, no items.
std::vector<std::string> ReadTickerItems(const std::string& text);

// The ticker's item list from a feed: its items, then the separator.
std::vector<std::string> TickerList(const std::string& text);

// Colours as 0x00BBGGRR values: pure red for highlighted items, light yellow for others.
constexpr std::uint32_t kTickerHighlightColour = 0x0000FF;
constexpr std::uint32_t kTickerNormalColour = 0x80FFFF;

struct TickerEntry {
    std::string caption;  // shown text, "$" removed
    std::string link;     // text after the first "^"; empty when none
    bool highlighted = false;
    std::uint32_t colour() const {
        return highlighted ? kTickerHighlightColour : kTickerNormalColour;
    }
    // Items with a link are underlined.
    bool underlined() const;
};

// One list entry: the text before the first "^" is shown, the text after it is the link.
// An entry without "^" is all text and has no link.
TickerEntry ParseTickerEntry(const std::string& entry);

// Whether a link from the feed may be opened: after trimming it must be an http:// or
// https:// address (scheme in any letter case) with a host. A feed is text from the
// network; anything else (a program, a file, a script or shell verb) is never opened.
bool IsOpenableLink(const std::string& link);

// Text with leading and trailing spaces and tabs removed.
std::string TrimItemText(const std::string& text);

}  // namespace portlight
