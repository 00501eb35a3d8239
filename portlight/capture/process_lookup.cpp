#include "capture/process_lookup.h"

namespace portlight {

bool ContainsNoCase(std::string_view text, std::string_view needle) {
    return FindNoCase(text, needle) != std::string_view::npos;
}

std::string NormaliseProcessName(std::string_view rawName) {
    std::string name = TrimSpaces(rawName.substr(0, rawName.find('\0')));
    size_t exe = FindNoCase(name, ".exe");
    if (exe != std::string_view::npos)
        return name.substr(0, exe + 4);
    if (ContainsNoCase(name, "system") && ContainsNoCase(name, "process"))
        return std::string(kSystemProcessName);
    return name;
}

ProcessOwner IdentifyOwner(uint32_t pid, ProcessLookup& lookup) {
    if (pid == 0)
        return {std::string(kCategoryUnknown), std::string(kUnknownOwnerPath)};
    std::string path = lookup.GetProcessPath(pid);
    if (!TrimSpaces(path).empty())
        return {std::string(kCategoryNormal), path};
    std::string name = lookup.GetProcessName(pid);
    std::string_view category = name == kSystemProcessName ? kCategorySystem : kCategoryProtected;
    return {std::string(category), name};
}

namespace {

// The last matching entry wins, as a walk over the snapshot from first to last gives it.
std::string NameOf(uint32_t pid, const std::vector<std::pair<uint32_t, std::string>>& names) {
    std::string name;
    for (const auto& [id, raw] : names)
        if (id == pid)
            name = NormaliseProcessName(raw);
    return name;
}

bool Contains(const std::vector<uint32_t>& ids, uint32_t pid) {
    for (uint32_t id : ids)
        if (id == pid)
            return true;
    return false;
}

}  // namespace

std::string DirectProcessLookup::GetProcessPath(uint32_t pid) {
    if (!Contains(system_.EnumerateProcessIds(), pid))
        return {};
    return TrimSpaces(system_.ReadMainModulePath(pid));
}

std::string DirectProcessLookup::GetProcessName(uint32_t pid) {
    if (pid == 0)
        return {};
    return NameOf(pid, system_.SnapshotProcessNames());
}

std::string SnapshotProcessLookup::GetProcessPath(uint32_t pid) {
    auto known = paths_.find(pid);
    if (known != paths_.end())
        return known->second;
    if (!haveIds_) {
        std::vector<uint32_t> ids = system_.EnumerateProcessIds();
        ids_.insert(ids.begin(), ids.end());
        haveIds_ = true;
    }
    std::string path = ids_.count(pid) ? TrimSpaces(system_.ReadMainModulePath(pid)) : "";
    return paths_.emplace(pid, std::move(path)).first->second;
}

std::string SnapshotProcessLookup::GetProcessName(uint32_t pid) {
    if (pid == 0)
        return {};
    if (!haveNames_) {
        for (auto& [id, raw] : system_.SnapshotProcessNames()) {
            // Later entries win, as in the direct walk.
            names_[id] = NormaliseProcessName(raw);
        }
        haveNames_ = true;
    }
    auto it = names_.find(pid);
    return it == names_.end() ? std::string() : it->second;
}

}  // namespace portlight
