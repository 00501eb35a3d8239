// stepwise-pack: builds an installer folder from a setup script and a folder of files.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "pack/pack_command.h"

namespace {

std::string ToolFolder() {
#ifdef _WIN32
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string self(path, n < MAX_PATH ? n : 0);
    std::size_t at = self.find_last_of("\\/");
    return at == std::string::npos ? "" : self.substr(0, at);
#else
    return "";  // the native tool is given the Windows programs' paths
#endif
}

void Report(const std::string& line) {
    std::fprintf(stderr, "stepwise-pack: %s\n", line.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    try {
        stepwise::PackRequest request;
        std::string error;
        if (!stepwise::ParsePackArgs(std::vector<std::string>(argv + 1, argv + argc), &request,
                                     &error)) {
            Report(error + " (see stepwise-pack --help)");
            return stepwise::kPackUsage;
        }
        if (request.help) {
            std::fputs(stepwise::PackHelpText().c_str(), stdout);
            return stepwise::kPackOk;
        }
        stepwise::FillProgramDefaults(&request, ToolFolder());
        return stepwise::RunPack(request, Report);
    } catch (const std::exception& e) {
        Report(e.what());
    } catch (...) {
        Report("unexpected failure");
    }
    return stepwise::kPackFailed;
}
