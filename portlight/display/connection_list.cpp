#include "display/connection_list.h"

#include "capture/text_split.h"

namespace portlight {

std::string ConnectionListLine(std::string_view listingLine, const ConnectionRow& row) {
    std::string line = TrimSpaces(listingLine);
    const int pad = kPidColumnWidth - static_cast<int>(row[kColPid].size());
    if (pad > 0)
        line.append(static_cast<size_t>(pad), ' ');
    line += row[kColPath];
    return line;
}

std::vector<std::string> ConnectionListLines(std::string_view listing,
                                             const ConnectionTable& table) {
    std::vector<std::string> lines = {kConnectionListHeader1, kConnectionListHeader2, ""};
    static const ConnectionRow kNoRow;
    int row = 0;
    while (!listing.empty()) {
        size_t end = listing.find('\n');
        std::string_view line = listing.substr(0, end);
        listing = end == std::string_view::npos ? std::string_view() : listing.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos)
            continue;
        // Lines past the table's last row have no owner cells; they are still listed.
        const ConnectionRow& cells = row < kConnectionRows ? table.rows[row] : kNoRow;
        lines.push_back(ConnectionListLine(line, cells));
        ++row;
    }
    return lines;
}

}  // namespace portlight
