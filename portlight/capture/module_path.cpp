#include "capture/module_path.h"

namespace portlight {

std::string MainModulePath(const ModuleRead& read, const std::function<std::string()>& imageName) {
    if (!read.path.empty())
        return read.path;
    return read.opened ? imageName() : std::string();
}

}  // namespace portlight
