// Which path a process's row gets, from what the reads of its main module gave.
#pragma once

#include <functional>
#include <string>

namespace portlight {

// The module read of one process: whether it opened with the query and read rights, and
// the main module's path (empty when the modules could not be listed).
struct ModuleRead {
    bool opened = false;
    std::string path;
};

// The module path when there is one. A process that opened with the read rights but whose
// modules are out of reach is a 64-bit process seen by the 32-bit bar: its image name
// (`imageName`, asked only then) stands in. A process that refuses the read rights (the
// system, protected processes, other users' services) keeps an empty path, so the name
// rules make it "System" or "Protected" and its Terminate entries stay disabled.
std::string MainModulePath(const ModuleRead& read, const std::function<std::string()>& imageName);

}  // namespace portlight
