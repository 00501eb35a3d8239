#include "capture/process_facts.h"

namespace portlight {

ProcessKey ProcessFacts::KeyOf(uint32_t pid) {
    if (pid == 0 || !creationTime_)
        return {pid, 0};
    auto it = createdThisSnapshot_.find(pid);
    if (it == createdThisSnapshot_.end())
        it = createdThisSnapshot_.emplace(pid, creationTime_(pid)).first;
    return {pid, it->second};
}

ProcessOwner ProcessFacts::Owner(uint32_t pid, ProcessLookup& lookup) {
    const ProcessKey key = KeyOf(pid);
    if (key.created == 0)
        return IdentifyOwner(pid, lookup);
    return owners_.Get(key, [&] { return IdentifyOwner(pid, lookup); });
}

std::string ProcessFacts::Description(uint32_t pid,
                                      const std::string& path,
                                      FileDescriptionSource& source) {
    const ProcessKey key = KeyOf(pid);
    if (key.created == 0)
        return source.FileDescription(path);
    // The path is part of the key: a row whose path was not the process's own (a name
    // standing in for it) never takes the description read for another.
    return descriptions_.Get({key, path}, [&] { return source.FileDescription(path); });
}

void ProcessFacts::EndSnapshot() {
    owners_.Sweep();
    descriptions_.Sweep();
    createdThisSnapshot_.clear();
}

}  // namespace portlight
