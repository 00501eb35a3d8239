// The local HTTP server of tests/http run from a Windows test under Wine: started on a free
// port with per-path behaviours (a JSON text, see test_http_server.py), its request log read
// back, and stopped at the end of the test (or by itself after five minutes).
#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "e2e.h"

namespace e2e {

class TestServer {
  public:
    explicit TestServer(const std::string& configJson);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // "http://127.0.0.1:<port>"; empty port when the server did not start.
    std::string base() const { return "http://127.0.0.1:" + port_; }
    bool started() const { return !port_.empty(); }

    struct Request {
        std::string method;
        std::string path;  // with the query
        std::vector<std::pair<std::string, std::string>> headers;
        int Count(const std::string& name) const;           // lines of that name (any case)
        std::string Header(const std::string& name) const;  // the first such line's value
    };

    // The recorded requests in arrival order, only those whose path starts with `prefix`.
    std::vector<Request> Requests(const std::string& prefix = "") const;
    bool WaitForRequests(const std::string& prefix, size_t count, std::chrono::milliseconds limit);

  private:
    TempFolder folder_;
    std::string port_;
};

// `text` as a JSON string literal, quotes included.
std::string JsonText(const std::string& text);

// The body the server sends for a "pattern" behaviour of `size` bytes: byte i is i % 251.
std::string PatternBytes(size_t size);

}  // namespace e2e
