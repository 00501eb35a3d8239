#include "common/net/url.h"

#include <algorithm>
#include <cctype>

namespace net {

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool HasControlOrSpace(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return u <= 0x20 || u == 0x7f;
    });
}

std::optional<int> ParsePort(const std::string& text) {
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    int port = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > kMaxPort)
        return std::nullopt;
    return port;
}

}  // namespace

std::optional<Url> ParseUrl(const std::string& address) {
    if (HasControlOrSpace(address))
        return std::nullopt;
    size_t colon = address.find("://");
    if (colon == std::string::npos)
        return std::nullopt;
    Url url;
    url.scheme = Lower(address.substr(0, colon));
    if (url.scheme != "http" && url.scheme != "https")
        return std::nullopt;
    std::string rest = address.substr(colon + 3);
    size_t pathStart = rest.find_first_of("/?#");
    std::string authority = rest.substr(0, pathStart);
    std::string path = pathStart == std::string::npos ? "" : rest.substr(pathStart);
    if (size_t hash = path.find('#'); hash != std::string::npos)
        path.erase(hash);  // a fragment never goes to the server
    if (path.empty() || path[0] != '/')
        path.insert(0, "/");
    url.path = path;
    if (authority.find('@') != std::string::npos)
        return std::nullopt;

    std::string portText;
    if (!authority.empty() && authority[0] == '[') {
        size_t close = authority.find(']');
        if (close == std::string::npos)
            return std::nullopt;
        url.host = authority.substr(1, close - 1);
        std::string after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after[0] != ':')
                return std::nullopt;
            portText = after.substr(1);
            if (portText.empty())
                return std::nullopt;
        }
    } else {
        size_t portColon = authority.find(':');
        url.host = authority.substr(0, portColon);
        if (portColon != std::string::npos) {
            portText = authority.substr(portColon + 1);
            if (portText.empty())
                return std::nullopt;
        }
    }
    if (url.host.empty())
        return std::nullopt;
    if (portText.empty()) {
        url.port = url.secure() ? 443 : 80;
    } else {
        std::optional<int> port = ParsePort(portText);
        if (!port)
            return std::nullopt;
        url.port = *port;
    }
    return url;
}

std::string JoinUrl(const std::string& base, const std::string& path) {
    std::string left = base;
    while (!left.empty() && left.back() == '/')
        left.pop_back();
    if (path.empty() || path[0] != '/')
        return left + "/" + path;
    return left + path;
}

}  // namespace net
