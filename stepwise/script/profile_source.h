// Read access to a private-profile (INI) file, one value at a time, at the point of use.
// The setup script and the language file are never parsed into a structure: every read goes
// back to the file, so a test can hand the logic a fake and the program sees edits at once.
#pragma once

#include <cstddef>
#include <string>

namespace stepwise {

// Buffer sizes the installer reads with (characters, terminator included). A longer value is
// cut to the buffer, as the profile call does.
constexpr std::size_t kValueBuffer = 100;     // most values
constexpr std::size_t kSwitchBuffer = 5;      // DIALOG page switches
constexpr std::size_t kFlagBuffer = 9;        // MAINWINDOW "2", "ADVANCED", SPLASH "1"
constexpr std::size_t kCountBuffer = 20;      // "TOTAL" counts
constexpr std::size_t kPathBuffer = 255;      // file and folder entries
constexpr std::size_t kLanguageBuffer = 170;  // language texts

class ProfileSource {
  public:
    virtual ~ProfileSource() = default;
    // The value of `key` in `section`, cut to `bufferSize` - 1 characters; "" when absent.
    virtual std::string Read(const std::string& section,
                             const std::string& key,
                             std::size_t bufferSize) const = 0;
};

}  // namespace stepwise
