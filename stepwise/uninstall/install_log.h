// Reader of install.log, the private-profile file the installer writes while it installs: the
// folders it handled (DIR), the paths it wrote (LOG), the uninstall key (UNINSTALL "PATH") and
// the product key (REGISTRY "PATH"). The reader follows the profile functions' reading rules
// (first section and first key of a name win, names compared without letter case, values
// trimmed and unquoted) but sees the whole file at once, so it can list the numbered keys
// whatever their gaps. A damaged or cut-off log yields what can still be read, or a clear error.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stepwise {

// One log covers one installation folder: at most 1200 copied files and 2000 folders of
// MAX_PATH characters, well under 2 MB even with repeated installations. Anything larger is
// not a log we wrote, and reading it whole must not exhaust memory.
constexpr std::size_t kMaxInstallLogBytes = 8 * 1024 * 1024;
// Numbered keys above this cannot come from the installer's counters; they are ignored.
constexpr unsigned long kMaxLogKey = 1000000;

struct InstallLog {
    std::vector<std::string> folders;  // DIR values, in key order
    std::vector<std::string> paths;    // LOG values, in key order (gaps such as key 3 skipped)
    std::string uninstallKey;          // UNINSTALL "PATH", under HKEY_LOCAL_MACHINE
    std::string productKey;            // REGISTRY "PATH", under HKEY_LOCAL_MACHINE
    int damagedLines = 0;              // lines that are neither blank, comment, section nor key
};

struct InstallLogRead {
    std::optional<InstallLog> log;  // empty when the text is not a usable log
    std::string error;              // why, for the user
};

InstallLogRead ParseInstallLog(std::string_view text);

}  // namespace stepwise
