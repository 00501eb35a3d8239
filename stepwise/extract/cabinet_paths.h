// Which cabinet each extraction stage opens, and how its path is handed to the decoder.
#pragma once

#include <cstdint>
#include <string>

#include "extract/preparing_timers.h"

namespace stepwise {

// The multi1.cab stage reads SetupFolder + "\multi1.cab"; the payload stage reads file1.cab,
// or, once the first stage is done (flag 255), ice1.cab from the system temporary path.
std::string CabinetPathForStage(ExtractionStage stage,
                                const std::string& setupFolder,
                                const std::string& file1CabPath,
                                const std::string& systemTempPath,
                                std::uint32_t firstStageDone);

// SetupFolder + "\multi1.cab", the optional first stage.
std::string FirstStageCabinetPath(const std::string& setupFolder);

struct CabinetLocation {
    std::string folder;  // up to and including the last backslash; "" without one
    std::string name;
};
CabinetLocation SplitCabinetPath(const std::string& path);

// Where the installer looks for the next cabinet of a chain before it asks for the disk.
std::string NextCabinetPath(const std::string& setupFolder, const std::string& name);

}  // namespace stepwise
