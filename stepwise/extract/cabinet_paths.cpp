#include "extract/cabinet_paths.h"

namespace stepwise {

std::string FirstStageCabinetPath(const std::string& setupFolder) {
    return setupFolder + "\\multi1.cab";
}

std::string CabinetPathForStage(ExtractionStage stage,
                                const std::string& setupFolder,
                                const std::string& file1CabPath,
                                const std::string& systemTempPath,
                                std::uint32_t firstStageDone) {
    if (stage == ExtractionStage::FirstStage)
        return FirstStageCabinetPath(setupFolder);
    if (firstStageDone == kFirstStageDone)
        return systemTempPath + "ice1.cab";
    return file1CabPath;
}

CabinetLocation SplitCabinetPath(const std::string& path) {
    std::size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos)
        return {"", path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

std::string NextCabinetPath(const std::string& setupFolder, const std::string& name) {
    return setupFolder + "\\" + name;
}

}  // namespace stepwise
