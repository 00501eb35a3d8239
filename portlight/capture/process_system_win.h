// The process lookups against the real system: the process-status id list, the main-module
// path (with the image-name fallback for processes whose modules a 32-bit program cannot
// list) and the tool-help names.
#pragma once

#include "capture/process_lookup.h"

namespace portlight {

class Win32ProcessSystem : public ProcessSystem {
  public:
    std::vector<uint32_t> EnumerateProcessIds() override;
    std::string ReadMainModulePath(uint32_t pid) override;
    std::vector<std::pair<uint32_t, std::string>> SnapshotProcessNames() override;

    // The fallback of ReadMainModulePath: the image name through QueryFullProcessImageNameA
    // with the limited query right (empty before Vista, where the call does not exist).
    static std::string ReadImageName(uint32_t pid);
};

}  // namespace portlight
