// Stands in for netstat.exe in end-to-end tests. Windows looks for a command in the
// program's own folder first, so this file, copied beside portlight.exe as netstat.exe,
// answers the bar's snapshots. Beside itself it
//   reads  fake-netstat-sleep.txt  milliseconds to sleep before printing (optional),
//   prints fake-netstat.txt        exactly, as netstat's output (optional),
//   appends to fake-netstat.log    one line per call: "<GetTickCount> <arguments>".
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string OwnFolder() {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\') + 1);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Arguments() {
    // Everything after the program name, as the caller wrote it.
    const char* line = GetCommandLineA();
    bool quoted = false;
    while (*line && (quoted || *line != ' ')) {
        if (*line == '"')
            quoted = !quoted;
        ++line;
    }
    while (*line == ' ')
        ++line;
    return line;
}

}  // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);  // the fixture's bytes, unchanged
    std::string folder = OwnFolder();
    {
        std::ofstream log(folder + "fake-netstat.log", std::ios::app | std::ios::binary);
        log << GetTickCount() << " " << Arguments() << "\n";
    }
    std::string sleep = ReadFile(folder + "fake-netstat-sleep.txt");
    if (!sleep.empty())
        Sleep(static_cast<DWORD>(std::stoul(sleep)));
    std::string listing = ReadFile(folder + "fake-netstat.txt");
    fwrite(listing.data(), 1, listing.size(), stdout);
    fflush(stdout);
    return 0;
}
