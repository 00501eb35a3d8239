#include "http_test_server.h"

#include <sstream>

namespace e2e {

namespace {

// One line of the log: {"method": .., "path": .., "headers": [[name, value], ...]} as
// json.dumps writes it. Strings are read in order with their escapes undone (\uXXXX is
// kept as written: the tests send ASCII).
TestServer::Request ParseLogLine(const std::string& line) {
    std::vector<std::string> strings;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '"')
            continue;
        std::string s;
        for (++i; i < line.size() && line[i] != '"'; ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                ++i;
                char c = line[i];
                s += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
                continue;
            }
            s += line[i];
        }
        strings.push_back(s);
    }
    TestServer::Request r;
    if (strings.size() >= 5 && strings[0] == "method" && strings[2] == "path") {
        r.method = strings[1];
        r.path = strings[3];
        for (size_t i = 5; i + 1 < strings.size(); i += 2)
            r.headers.emplace_back(strings[i], strings[i + 1]);
    }
    return r;
}

}  // namespace

TestServer::TestServer(const std::string& configJson) : folder_("pl-http") {
    WriteTextFile(folder_ / "config.json", configJson);
    std::string dir = UnixPath(folder_.path());
    std::string start = "python3 '" PL_SOURCE_DIR "/tests/http/test_http_server.py' --config '" +
                        dir + "/config.json' --log '" + dir + "/requests.jsonl' --port-file '" +
                        dir + "/port.txt' --timeout 300 >/dev/null 2>&1 & echo $! > '" + dir +
                        "/server.pid'";
    if (RunHost(start) != 0)
        return;
    // The port file appears once the server listens.
    if (WaitFor([&] { return FileExists(folder_ / "port.txt"); }, std::chrono::seconds(20)))
        port_ = ReadTextFile(folder_ / "port.txt");
}

TestServer::~TestServer() {
    RunHost("kill $(cat '" + UnixPath(folder_.path()) + "/server.pid') 2>/dev/null");
}

int TestServer::Request::Count(const std::string& name) const {
    int n = 0;
    for (const auto& h : headers)
        n += _stricmp(h.first.c_str(), name.c_str()) == 0;
    return n;
}

std::string TestServer::Request::Header(const std::string& name) const {
    for (const auto& h : headers)
        if (_stricmp(h.first.c_str(), name.c_str()) == 0)
            return h.second;
    return "";
}

std::vector<TestServer::Request> TestServer::Requests(const std::string& prefix) const {
    std::vector<Request> requests;
    std::istringstream log(ReadTextFile(folder_ / "requests.jsonl"));
    std::string line;
    while (std::getline(log, line)) {
        Request r = ParseLogLine(line);
        if (r.path.compare(0, prefix.size(), prefix) == 0)
            requests.push_back(r);
    }
    return requests;
}

bool TestServer::WaitForRequests(const std::string& prefix,
                                 size_t count,
                                 std::chrono::milliseconds limit) {
    return WaitFor([&] { return Requests(prefix).size() >= count; }, limit);
}

std::string JsonText(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else
            out += c;
    }
    return out + "\"";
}

std::string PatternBytes(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i % 251);
    return bytes;
}

}  // namespace e2e
