#include "capture/connection_table.h"

#include <cctype>
#include <limits>

#include "capture/text_split.h"

namespace portlight {

void ConnectionTable::Clear() {
    for (ConnectionRow& row : rows)
        for (std::string& cell : row)
            cell.clear();
    ConnectionCount = 0;
}

std::vector<std::string_view> TokeniseLine(std::string_view line) {
    std::vector<std::string_view> tokens;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ')
            ++i;
        if (i > start)
            tokens.push_back(line.substr(start, i - start));
    }
    return tokens;
}

namespace {

bool IsUdp(std::string_view protocol) {
    return protocol.size() == 3 && std::toupper(static_cast<unsigned char>(protocol[0])) == 'U' &&
           std::toupper(static_cast<unsigned char>(protocol[1])) == 'D' &&
           std::toupper(static_cast<unsigned char>(protocol[2])) == 'P';
}

}  // namespace

AddressParts SplitAddress(std::string_view column) {
    if (!column.empty() && column.front() == '[') {
        size_t close = column.find(']');
        if (close != std::string_view::npos) {
            std::string_view rest = column.substr(close + 1);
            if (!rest.empty() && rest.front() == ':')
                rest.remove_prefix(1);
            return {TrimSpaces(column.substr(0, close + 1)), TrimSpaces(rest)};
        }
    }
    // TextBefore/TextAfter at ":" (a colon has no letter case, so a plain search matches).
    size_t colon = column.find(':');
    if (colon == std::string_view::npos)
        return {std::string(), TrimSpaces(column)};
    return {TrimSpaces(column.substr(0, colon)), TrimSpaces(column.substr(colon + 1))};
}

uint32_t ReadPid(std::string_view token) {
    uint64_t value = 0;
    for (char c : token) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > std::numeric_limits<uint32_t>::max())
            return 0;  // not a process id any system hands out
    }
    return static_cast<uint32_t>(value);
}

bool ParseLine(std::string_view line, ParsedLine& out) {
    std::vector<std::string_view> tokens = TokeniseLine(line);
    if (tokens.empty())
        return false;
    out = ParsedLine();
    out.protocol = std::string(tokens[0]);
    if (tokens.size() > 1)
        out.local = SplitAddress(tokens[1]);
    if (tokens.size() > 2)
        out.remote = SplitAddress(tokens[2]);
    if (tokens.size() <= 3)
        return true;
    bool udp = IsUdp(tokens[0]);
    // With a single token after the remote address, a TCP line holds just its state
    // (netstat without -o) while a UDP line holds its owner.
    size_t ownerIndex = tokens.size() - 1;
    if (tokens.size() == 4 && !udp)
        ownerIndex = tokens.size();
    if (ownerIndex < tokens.size())
        out.pid = ReadPid(tokens[ownerIndex]);
    if (!udp) {
        for (size_t i = 3; i < ownerIndex; ++i) {
            if (!out.state.empty())
                out.state += ' ';
            out.state.append(tokens[i]);
        }
    }
    return true;
}

void BuildConnectionTable(std::string_view listing, ProcessLookup& lookup, ConnectionTable& table) {
    BuildConnectionTable(
        listing, [&](uint32_t pid) { return IdentifyOwner(pid, lookup); }, table);
}

void BuildConnectionTable(std::string_view listing,
                          const std::function<ProcessOwner(uint32_t)>& ownerOf,
                          ConnectionTable& table) {
    table.Clear();
    int row = 0;
    while (!listing.empty() && row < kConnectionRows) {
        size_t end = listing.find('\n');
        std::string_view line = listing.substr(0, end);
        listing = end == std::string_view::npos ? std::string_view() : listing.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        ParsedLine parsed;
        if (!ParseLine(line, parsed))
            continue;
        ProcessOwner owner = ownerOf(parsed.pid);
        ConnectionRow& cells = table.rows[row];
        cells[kColProtocol] = std::move(parsed.protocol);
        cells[kColLocalAddress] = std::move(parsed.local.address);
        cells[kColLocalPort] = std::move(parsed.local.port);
        cells[kColRemoteAddress] = std::move(parsed.remote.address);
        cells[kColRemotePort] = std::move(parsed.remote.port);
        cells[kColState] = std::move(parsed.state);
        cells[kColCategory] = std::move(owner.category);
        cells[kColPath] = std::move(owner.path);
        cells[kColPid] = std::to_string(parsed.pid);
        ++row;
    }
    table.ConnectionCount = row;
}

std::string CountLabelText(int connectionCount) {
    return std::to_string(connectionCount);
}

std::string TrayToolTipText(int connectionCount, std::string_view monitorKind) {
    std::string text = "Portlight\r\n   Monitoring ";
    text += std::to_string(connectionCount);
    text += ' ';
    text.append(monitorKind);
    text += "Ports.";
    return text;
}

}  // namespace portlight
