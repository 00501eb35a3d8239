// What an HTTP GET brings back, and the framing rules that decide whether the body arrived
// whole. The WinINet side (http_client_win) fills it; the rules are plain code so they are
// tested without a network.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace net {

struct HttpResponse {
    int status = 0;       // 0 when no response came at all
    std::string headers;  // the raw header block as received, status line first
    std::string body;
    // The body arrived whole: every read succeeded and, when the server announced a
    // Content-Length, exactly that many bytes came. False for a dropped connection.
    bool complete = false;
    std::string error;  // why no (or no whole) response came; empty otherwise

    // A 200 whose body arrived whole.
    bool CompleteOk() const { return status == 200 && complete; }
};

// The value of the first Content-Length header line in a raw header block (lines separated
// by CR LF or LF, names compared without regard to letter case); nullopt when there is none
// or its value is not a plain decimal number.
std::optional<std::uint64_t> ContentLength(const std::string& rawHeaders);

// The value of the first header line named `name` (any letter case) in a raw header block,
// spaces around it removed; nullopt when there is none.
std::optional<std::string> HeaderValue(const std::string& rawHeaders, const std::string& name);

// Whether a body read to its end is whole: the reads all succeeded and, when a length was
// announced, the received size matches it exactly.
bool BodyComplete(bool readsSucceeded,
                  std::optional<std::uint64_t> announcedLength,
                  std::uint64_t receivedLength);

// Extra request header lines as one block: the lines joined by CR LF, with no line break
// after the last (what a caller hands to the request as its additional headers).
std::string HeaderBlock(const std::vector<std::string>& lines);

}  // namespace net
