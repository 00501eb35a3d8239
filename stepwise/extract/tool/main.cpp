// stepwise-cab: lists, tests, extracts and creates Microsoft cabinets with the installer's
// own cabinet library.
#include <algorithm>
#include <cstdio>
#include <exception>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <string>
#include <vector>

#include "tool/commands.h"

namespace {

constexpr const char* kUsage =
    "usage: stepwise-cab list [--no-search] CAB\n"
    "       stepwise-cab test [--no-search] [--threads N] CAB\n"
    "       stepwise-cab extract [--no-search] [--threads N] CAB [DIR]\n"
    "       stepwise-cab create [--compress none|mszip|lzx[:WINDOW]] [--max-size BYTES]\n"
    "                           [--folder-size BYTES] CAB FILE...\n";

int Run(const std::vector<std::string>& args) {
    using namespace cabtool;
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string& command = args[0];
    std::vector<std::string> rest(args.begin() + 1, args.end());
    // A file that is not a cabinet is searched for embedded cabinets unless --no-search.
    bool search = true;
    if (command != "create") {
        auto option = std::find(rest.begin(), rest.end(), "--no-search");
        if (option != rest.end()) {
            search = false;
            rest.erase(option);
        }
    }
    // Folders decode on N threads; 0, the default, takes one per hardware thread.
    unsigned threads = 0;
    if (command == "test" || command == "extract") {
        auto option = std::find(rest.begin(), rest.end(), "--threads");
        if (option != rest.end()) {
            uint32_t n = 0;
            if (option + 1 == rest.end() || !ParseSize(*(option + 1), &n) || n > 64) {
                ReportError("--threads wants a number from 0 to 64");
                return kExitUsage;
            }
            threads = n;
            rest.erase(option, option + 2);
        }
    }
    if (command == "create") {
        CreateRequest request;
        std::string error;
        if (!ParseCreateArgs(rest, &request, &error)) {
            ReportError(error);
            return kExitUsage;
        }
        return RunCreate(request);
    }
    if ((command == "list" || command == "test") && rest.size() == 1)
        return command == "list" ? RunList(rest[0], search) : RunTest(rest[0], search, threads);
    if (command == "extract" && (rest.size() == 1 || rest.size() == 2))
        return RunExtract(rest[0], rest.size() == 2 ? rest[1] : ".", search, threads);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    ReportError("bad command line; see stepwise-cab --help");
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
    // A short-lived tool that allocates and frees block-sized buffers all the time: keep
    // freed memory instead of returning it to the kernel and faulting it back in.
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
#endif
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        cabtool::ReportError(e.what());
    } catch (...) {
        cabtool::ReportError("unexpected failure");
    }
    return cabtool::kExitFailed;
}
