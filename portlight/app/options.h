// The bar's options, as kept in settings.db (section "Main"). On/off options are booleans;
// ReadBoolOption and BoolText are the one place they meet their "True"/"False" text. The
// settings menu's check marks are derived from these values (SettingsCommands::IsChecked).
#pragma once

#include <string>

namespace portlight {

struct Options {
    bool Autohide = true;
    bool Active = true;
    bool OnTop = true;
    bool Startup = true;
    bool SlidingEffect = false;
    bool TrayIcon = false;
    bool ActiveOnly = false;
    bool ResolveHosts = false;
    bool ShowLocalHost = true;
    bool SegmentPID = true;
    std::string Monitor = "All";
    std::string Refresh = "3";
    std::string Unknown = "All";
    // Whether the hourly usage request is sent at all. Read at start-up ("True" when the key
    // is missing); no command changes it, so SaveOptions leaves the key as the user wrote it.
    bool SendUsage = true;
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

// An on/off option as stored: "True" or "False".
inline const char* BoolText(bool value) {
    return value ? "True" : "False";
}

// An on/off option from the store: true only for "True" (in any letter case); `fallback`
// when the key is missing.
bool ReadBoolOption(ProfileStore& store, const std::string& key, bool fallback);

// Writes all thirteen option keys in their fixed order.
void SaveOptions(const Options& options, ProfileStore& store);

}  // namespace portlight
