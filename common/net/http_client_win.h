// HTTP GET over WinINet: one blocking request (run it on a worker, never on the window's
// thread) that returns status, headers, body and whether the body arrived whole. The
// session, connection and request handles are owned for the one call; a later caller that
// needs progress or byte ranges builds on HttpSession / OpenGetRequest and reads through
// ReadResponseBody with its own sink.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/net/http_response.h"
#include "common/net/url.h"
#include "common/win32/handles_win.h"

namespace net {

struct HttpGetOptions {
    // The agent name the session announces (the program's name).
    std::string agent = "Portlight";
    // Extra request header lines as one block (HeaderBlock); they replace WinINet's own
    // lines of the same name (User-Agent, say).
    std::string extraHeaders;
    // A body longer than this is cut off and reported incomplete; the bar's feed is a few
    // kilobytes, so a megabyte is a server gone wrong, not a feed.
    std::uint64_t maxBodyBytes = 1 << 20;
    // Connect, send and receive time-outs, so a worker never waits forever on a dead server.
    unsigned long timeoutMilliseconds = 30000;
};

// A WinINet session with the program's agent name and the system's proxy configuration.
class HttpSession {
  public:
    explicit HttpSession(const std::string& agent);
    bool valid() const { return session_.valid(); }
    HINTERNET get() const { return session_.get(); }  // borrowed: the session keeps it

  private:
    win32::InternetHandle session_;
};

// The connection and the sent GET request for `url`; both empty, with `error` set, on
// failure.
struct OpenRequest {
    win32::InternetHandle connection;
    win32::InternetHandle request;
    std::string error;
};
OpenRequest OpenGetRequest(const HttpSession& session,
                           const Url& url,
                           const HttpGetOptions& options);

// The numeric status and the raw header block of a sent request.
int ResponseStatus(HINTERNET request);
std::string ResponseHeaders(HINTERNET request);
// The Win32 error of a failed WinINet call, as text ("InternetConnect failed, error 12029").
std::string LastErrorText(const char* step);

// Reads the body to its end, handing each piece to `sink` (which returns false to stop);
// true when every read succeeded and the sink never stopped.
bool ReadResponseBody(HINTERNET request, const std::function<bool(const char*, size_t)>& sink);

// One whole GET: never throws; failures come back as status 0 with `error` set.
HttpResponse HttpGet(const std::string& address, const HttpGetOptions& options = {});

}  // namespace net
