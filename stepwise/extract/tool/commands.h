// The stepwise-cab commands. Each returns the process exit code and reports problems as one
// line on stderr.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cab/cab_writer.h"

namespace cabtool {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // bad cabinet, bad data, I/O failure
constexpr int kExitUsage = 2;   // bad command line

struct CreateRequest {
    std::string cabinet;
    uint32_t maxSize = 0;
    uint32_t folderSize = 0;  // 0: folders as long as the format allows
    struct Folder {
        cab::Compression compression;
        std::vector<std::string> inputs;
    };
    std::vector<Folder> folders;
};

// create [--compress none|mszip|lzx[:WINDOW]] [--max-size BYTES] [--folder-size BYTES]
//        CAB FILE...
// A --compress among the files starts a new folder for the files after it.
bool ParseCreateArgs(const std::vector<std::string>& args,
                     CreateRequest* request,
                     std::string* error);

// The name a file is stored under: the path as given, with '\' separators, without "./" or
// leading separators. Paths that climb out with ".." or name a drive are refused.
bool StoredNameFor(const std::string& path, std::string* name, std::string* error);

// The "BYTES" of --max-size and --folder-size: decimal, optionally with a K or M suffix
// (1024-based).
bool ParseSize(const std::string& text, uint32_t* size);

int RunCreate(const CreateRequest& request);
// list, test and extract work on every cabinet embedded in a file that is not a cabinet
// itself, unless `search` is off (--no-search). test and extract decode the folders of a
// cabinet on `threads` threads (--threads N; 0: one per hardware thread).
int RunList(const std::string& cabinet, bool search = true);
int RunTest(const std::string& cabinet, bool search = true, unsigned threads = 0);
int RunExtract(const std::string& cabinet,
               const std::string& directory,
               bool search = true,
               unsigned threads = 0);

// Prints "stepwise-cab: <message>" on stderr.
void ReportError(const std::string& message);

}  // namespace cabtool
