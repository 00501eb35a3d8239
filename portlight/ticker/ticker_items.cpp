#include "ticker/ticker_items.h"

#include "common/net/url.h"

namespace portlight {

std::string TrimItemText(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> ReadTickerItems(const std::string& text) {
    std::vector<std::string> items;
    bool started = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        std::string line =
            text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end == std::string::npos)
            start = text.size();
        else
            start =
                end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
        std::string trimmed = TrimItemText(line);
        if (trimmed.empty())
            continue;
        if (started)
            items.push_back(line);
        // Once started, a further marker line is an item like any other.
        if (!started && trimmed.find(kTickerMarker) != std::string::npos)
            started = true;
    }
    return items;
}

std::vector<std::string> TickerList(const std::string& text) {
    std::vector<std::string> list = ReadTickerItems(text);
    list.push_back(kTickerSeparator);
    return list;
}

bool TickerEntry::underlined() const {
    return !TrimItemText(link).empty();
}

TickerEntry ParseTickerEntry(const std::string& entry) {
    TickerEntry item;
    size_t caret = entry.find('^');
    item.caption = entry.substr(0, caret);
    if (caret != std::string::npos)
        item.link = entry.substr(caret + 1);
    if (!item.caption.empty() && item.caption[0] == '$') {
        item.highlighted = true;
        item.caption.erase(0, 1);
    }
    return item;
}

bool IsOpenableLink(const std::string& link) {
    std::string address = TrimItemText(link);
    size_t colon = address.find("://");
    if (colon == std::string::npos)
        return false;
    // ParseUrl accepts only the two web schemes, refuses spaces, control characters and
    // user information, and wants a host.
    return net::ParseUrl(address).has_value();
}

}  // namespace portlight
