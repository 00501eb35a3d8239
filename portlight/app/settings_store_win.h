// settings.db: the bar's options in a private-profile file in the program folder.
#pragma once

#include <string>

#include "app/options.h"

namespace portlight {

class PrivateProfileStore : public ProfileStore {
  public:
    PrivateProfileStore(std::string path, std::string section)
        : path_(std::move(path)), section_(std::move(section)) {}

    std::string Read(const std::string& key, const std::string& fallback) override;
    void Write(const std::string& key, const std::string& value) override;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    std::string section_;
};

// The folder the program file lies in, without a trailing backslash.
std::string ProgramFolder();

// The short (8.3) form of a path; empty text when it cannot be had.
std::string GetShortPath(const std::string& path);

// Brings the machine-wide Run entry "Kestro - Portlight" in line with the Startup option.
// Registry failures (no rights to the machine hive) are not reported.
void ApplyStartWithWindows(bool startup, const std::string& programFolder);

}  // namespace portlight
