// Splitting of http and https addresses into the parts WinINet asks for (host, port, path
// with query), and joining a base address with a path. Plain text work, no network.
#pragma once

#include <optional>
#include <string>

namespace net {

struct Url {
    std::string scheme;  // "http" or "https", lower case
    std::string host;    // without brackets or port
    int port = 0;        // the explicit port, else 80 or 443
    std::string path;    // from the first "/" on, query included; "/" when absent
    bool secure() const { return scheme == "https"; }
};

// Largest port number; anything above it (or not a number) is refused.
constexpr int kMaxPort = 65535;

// The parts of an "http://" or "https://" address (scheme in any letter case); nullopt for
// any other scheme, an empty host, a bad port, user information ("user@host", which would
// let text before the "@" pass for the host) or control characters and spaces anywhere.
std::optional<Url> ParseUrl(const std::string& address);

// `base` (an address without a path, or with one) followed by `path`: exactly one "/"
// between them.
std::string JoinUrl(const std::string& base, const std::string& path);

}  // namespace net
