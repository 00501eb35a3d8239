// The connection table: one row per netstat line, split into protocol, addresses, ports,
// state and owner, with the owner identified through a ProcessLookup.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/process_lookup.h"

namespace portlight {

// Rows 0..500: the table has a fixed size so that readers can address rows by number.
inline constexpr int kConnectionRows = 501;
inline constexpr int kConnectionColumns = 9;

enum ConnectionColumn : int {
    kColProtocol = 0,
    kColLocalAddress = 1,
    kColLocalPort = 2,
    kColRemoteAddress = 3,
    kColRemotePort = 4,
    kColState = 5,
    kColCategory = 6,
    kColPath = 7,
    kColPid = 8,
};

using ConnectionRow = std::array<std::string, kConnectionColumns>;

struct ConnectionTable {
    std::array<ConnectionRow, kConnectionRows> rows;
    // Rows 0..ConnectionCount-1 are filled; the rest hold empty cells.
    int ConnectionCount = 0;

    const std::string& cell(int row, int column) const { return rows[row][column]; }
    void Clear();
};

// The space-separated tokens of one netstat line (runs of spaces separate once, leading and
// trailing spaces are skipped).
std::vector<std::string_view> TokeniseLine(std::string_view line);

struct AddressParts {
    std::string address;
    std::string port;
};

// "0.0.0.0:135" -> 0.0.0.0 / 135; "*:*" -> * / *; no colon -> empty / the whole text.
// An IPv6 column ("[::1]:80", "[fe80::1%7]:1900") keeps its bracketed address whole.
AddressParts SplitAddress(std::string_view column);

// One parsed line before the owner is looked up.
struct ParsedLine {
    std::string protocol;
    AddressParts local;
    AddressParts remote;
    std::string state;
    uint32_t pid = 0;
};

// Splits one netstat line. The owner id is the line's last token and the state is whatever
// stands between the remote address and it, so localized state words with spaces ("IN
// ASCOLTO") do not shift the id; UDP lines have no state. Returns false for a blank line.
bool ParseLine(std::string_view line, ParsedLine& out);

// Reads a process id the forgiving way: leading decimal digits, anything else reads as 0.
uint32_t ReadPid(std::string_view token);

// Rebuilds `table` from the raw listing (header already removed). Lines past row 500 are
// dropped and ConnectionCount counts the stored rows; blank lines are not rows.
void BuildConnectionTable(std::string_view listing, ProcessLookup& lookup, ConnectionTable& table);
// The same, with each row's owner from `ownerOf` (the owner rules, perhaps remembered).
void BuildConnectionTable(std::string_view listing,
                          const std::function<ProcessOwner(uint32_t)>& ownerOf,
                          ConnectionTable& table);

// Caption of lblNetstatConnections.
std::string CountLabelText(int connectionCount);
// Tool-tip of the notification-area icon after a snapshot; `monitorKind` is e.g. "TCP Active ".
std::string TrayToolTipText(int connectionCount, std::string_view monitorKind);

}  // namespace portlight
