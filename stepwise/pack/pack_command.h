// stepwise-pack: turns a setup script and a folder of files into an installer folder that
// Stepwise runs as it is: Stepwise.exe, data.tag, language.tag when given, and the payload
// cabinet file1.cab (a chain file1.cab, file2.cab, ... when a size limit is set) holding each
// FILES entry as "F<entry>_<name>" with license.txt, readme.txt and wizuninst.exe.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cab/cab_writer.h"
#include "pack/ini_text.h"

namespace stepwise {

constexpr int kPackOk = 0;
constexpr int kPackFailed = 1;  // script problems, missing inputs, I/O failure
constexpr int kPackUsage = 2;   // bad command line

struct PackRequest {
    std::string script;        // data.tag
    std::string sourceFolder;  // FILES sources, license.txt, readme.txt
    std::string outputFolder;  // absent or empty
    std::string language;      // language.tag, optional
    std::string stepwiseExe;   // Stepwise.exe
    std::string uninstaller;   // wizuninst.exe
    cab::Compression compression{cab::CompressionMethod::Lzx, 21};
    uint32_t maxCabinetSize = 0;  // 0: one cabinet
    bool help = false;
};

// The files that go into the payload cabinet, in order, with the names the extraction and
// copy steps expect.
struct PackedFile {
    std::string path;
    std::string storedName;
};

// Names taken from the source folder when they are there (the license and readme pages and
// the advanced-mode companion read them from the temporary folder).
constexpr const char* kOptionalPayloadNames[] = {"license.txt", "readme.txt", "StepwiseMM.exe"};

// "F<j>_<PR j>" for every FILES entry that is not a download, then the optional names found
// by `sourceExists`, then wizuninst.exe from `uninstaller`.
std::vector<PackedFile> PlanPayload(const IniText& script,
                                    const std::string& sourceFolder,
                                    const std::string& uninstaller,
                                    const std::function<bool(const std::string&)>& sourceExists);

// A path below a folder, with the separator the platform reads.
std::string JoinPath(const std::string& folder, const std::string& name);

// Fills `request`; false with `error` set for a bad command line.
bool ParsePackArgs(const std::vector<std::string>& args, PackRequest* request, std::string* error);

// Defaults for the programs the installer folder carries: beside the running tool on
// Windows, where the build puts all three together.
void FillProgramDefaults(PackRequest* request, const std::string& toolFolder);

std::string PackHelpText();

// Checks everything, then writes the folder; messages go to `report` (one line each).
int RunPack(const PackRequest& request, const std::function<void(const std::string&)>& report);

}  // namespace stepwise
