#include "common/net/http_client_win.h"

#include <vector>

namespace net {

namespace {

constexpr size_t kReadChunk = 8192;

void SetTimeouts(HINTERNET handle, unsigned long milliseconds) {
    DWORD value = milliseconds;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT})
        InternetSetOptionA(handle, option, &value, sizeof value);
}

}  // namespace

std::string LastErrorText(const char* step) {
    return std::string(step) + " failed, error " + std::to_string(GetLastError());
}

HttpSession::HttpSession(const std::string& agent)
    : session_(InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)) {}

OpenRequest OpenGetRequest(const HttpSession& session,
                           const Url& url,
                           const HttpGetOptions& options) {
    OpenRequest open;
    if (!session.valid()) {
        open.error = LastErrorText("InternetOpen");
        return open;
    }
    SetTimeouts(session.get(), options.timeoutMilliseconds);
    open.connection.reset(InternetConnectA(session.get(), url.host.c_str(),
                                           static_cast<INTERNET_PORT>(url.port), nullptr, nullptr,
                                           INTERNET_SERVICE_HTTP, 0, 0));
    if (!open.connection) {
        open.error = LastErrorText("InternetConnect");
        return open;
    }
    // Always from the server: the feed must never come from (or go into) the browser cache.
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                  INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                  INTERNET_FLAG_KEEP_CONNECTION;
    if (url.secure())
        flags |= INTERNET_FLAG_SECURE;
    const char* accept[] = {"*/*", nullptr};
    open.request.reset(HttpOpenRequestA(open.connection.get(), "GET", url.path.c_str(), nullptr,
                                        nullptr, accept, flags, 0));
    if (!open.request) {
        open.error = LastErrorText("HttpOpenRequest");
        open.connection.reset();
        return open;
    }
    if (!options.extraHeaders.empty()) {
        // Added before sending with REPLACE, so a given User-Agent stands instead of the
        // session's agent name rather than beside it.
        HttpAddRequestHeadersA(open.request.get(), options.extraHeaders.c_str(),
                               static_cast<DWORD>(options.extraHeaders.size()),
                               HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE);
    }
    if (!HttpSendRequestA(open.request.get(), nullptr, 0, nullptr, 0)) {
        open.error = LastErrorText("HttpSendRequest");
        open.request.reset();
        open.connection.reset();
    }
    return open;
}

int ResponseStatus(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr))
        return 0;
    return static_cast<int>(status);
}

std::string ResponseHeaders(HINTERNET request) {
    DWORD size = 0;
    HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
    if (size == 0)
        return "";
    std::vector<char> buffer(size + 1);
    if (!HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer.data(), &size, nullptr))
        return "";
    return std::string(buffer.data(), size);
}

bool ReadResponseBody(HINTERNET request, const std::function<bool(const char*, size_t)>& sink) {
    std::vector<char> chunk(kReadChunk);
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(request, chunk.data(), static_cast<DWORD>(chunk.size()), &read))
            return false;
        if (read == 0)
            return true;
        if (!sink(chunk.data(), read))
            return false;
    }
}

HttpResponse HttpGet(const std::string& address, const HttpGetOptions& options) {
    HttpResponse response;
    try {
        std::optional<Url> url = ParseUrl(address);
        if (!url) {
            response.error = "not an http or https address";
            return response;
        }
        HttpSession session(options.agent);
        OpenRequest open = OpenGetRequest(session, *url, options);
        if (!open.request) {
            response.error = open.error;
            return response;
        }
        response.status = ResponseStatus(open.request.get());
        response.headers = ResponseHeaders(open.request.get());
        bool tooLong = false;
        bool readsOk = ReadResponseBody(open.request.get(), [&](const char* data, size_t size) {
            if (response.body.size() + size > options.maxBodyBytes) {
                tooLong = true;
                return false;
            }
            response.body.append(data, size);
            return true;
        });
        if (!readsOk && !tooLong)
            response.error = LastErrorText("InternetReadFile");
        response.complete =
            BodyComplete(readsOk, ContentLength(response.headers), response.body.size());
        if (readsOk && !response.complete)
            response.error = "the connection ended before the announced length";
    } catch (...) {
        response.complete = false;
        response.error = "out of memory";
    }
    return response;
}

}  // namespace net
