#include "capture/process_memo.h"

namespace portlight {

std::string RememberingProcessSystem::ReadMainModulePath(uint32_t pid) {
    const uint64_t created = creationTime_ ? creationTime_(pid) : 0;
    if (created == 0)
        return inner_.ReadMainModulePath(pid);
    return paths_.Get({pid, created}, [&] { return inner_.ReadMainModulePath(pid); });
}

}  // namespace portlight
