// The bar's options, as kept in settings.db (section "Main"). Booleans that only show a
// check mark stay as the text read from the file; Active, SegmentPID and SlidingEffect
// are held as booleans.
#pragma once

#include <string>

namespace portlight {

struct Options {
    std::string Autohide = "True";
    bool Active = true;
    std::string OnTop = "True";
    std::string Startup = "True";
    bool SlidingEffect = false;
    std::string TrayIcon = "False";
    std::string ActiveOnly = "False";
    std::string ResolveHosts = "False";
    std::string ShowLocalHost = "True";
    bool SegmentPID = true;
    std::string Monitor = "All";
    std::string Refresh = "3";
    std::string Unknown = "All";
};

// Reads and writes option keys. The Windows side stores them with the private-profile
// functions; tests use a map.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The key's value, or `fallback` when the key is missing. A key present with an empty
    // value reads as empty text.
    virtual std::string Read(const std::string& key, const std::string& fallback) = 0;
    // Failures are not reported: the option still changes in memory.
    virtual void Write(const std::string& key, const std::string& value) = 0;
};

inline const char* BoolText(bool value) {
    return value ? "True" : "False";
}

// Writes all thirteen option keys in their fixed order.
void SaveOptions(const Options& options, ProfileStore& store);

}  // namespace portlight
