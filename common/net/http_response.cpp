#include "common/net/http_response.h"

#include <cctype>

namespace net {

namespace {

bool EqualsNoCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

std::string TrimBlanks(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::optional<std::string> HeaderValue(const std::string& rawHeaders, const std::string& name) {
    size_t start = 0;
    while (start < rawHeaders.size()) {
        size_t end = rawHeaders.find('\n', start);
        std::string line =
            rawHeaders.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? rawHeaders.size() : end + 1;
        size_t colon = line.find(':');
        if (colon == std::string::npos ||
            !EqualsNoCase(TrimBlanks(line.substr(0, colon)), name.c_str()))
            continue;
        return TrimBlanks(line.substr(colon + 1));
    }
    return std::nullopt;
}

std::optional<std::uint64_t> ContentLength(const std::string& rawHeaders) {
    std::optional<std::string> value = HeaderValue(rawHeaders, "Content-Length");
    // 19 digits always fit in 64 bits; a longer value is no length we could receive.
    if (!value || value->empty() || value->size() > 19)
        return std::nullopt;
    std::uint64_t length = 0;
    for (char c : *value) {
        if (c < '0' || c > '9')
            return std::nullopt;
        length = length * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return length;
}

bool BodyComplete(bool readsSucceeded,
                  std::optional<std::uint64_t> announcedLength,
                  std::uint64_t receivedLength) {
    if (!readsSucceeded)
        return false;
    return !announcedLength || *announcedLength == receivedLength;
}

std::string HeaderBlock(const std::vector<std::string>& lines) {
    std::string block;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            block += "\r\n";
        block += lines[i];
    }
    return block;
}

}  // namespace net
