// The copy list of the installation: which FILES entries the setup type selects, where each
// goes and under which kind's rules, and the folder levels a destination needs.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "install/folder_tokens.h"
#include "script/profile_source.h"

namespace stepwise {

// Limits of the installation tables.
constexpr std::size_t kMaxCopyEntries = 1200;     // the copy list
constexpr std::size_t kMaxCreatedFolders = 2000;  // folders handled in one installation
constexpr std::size_t kMaxPathComponents = 10;    // components of one destination path

// The names a setup type installs: none means every entry (Typical).
struct Selection {
    std::optional<std::vector<std::string>> names;

    bool Selects(const std::string& name) const;
};

// Compact reads the SETUPTYPE list, Custom takes the ticked names; exact, case-sensitive.
Selection SelectionFor(int setupType,
                       const ProfileSource& script,
                       const std::vector<std::string>& customSelection);

struct CopyEntry {
    int index = 0;            // the FILES entry number
    std::string name;         // "PR%d"
    std::string address;      // "PA%d"
    std::string source;       // TempFolder + "F<j>_<name>", or the address for a download
    std::string destination;  // expanded "ON%d" + "\" + name
    DestinationKind kind = DestinationKind::None;
};

// "http..." or "ftp..." names are fetched over the network, not copied.
bool IsDownloadName(const std::string& name);
// The FILES "TOTAL" entries the selection keeps, in order, at most kMaxCopyEntries.
std::vector<CopyEntry> BuildCopyList(const ProfileSource& script,
                                     const std::string& tempFolder,
                                     const TokenFolders& folders,
                                     const Selection& selection);
// Number of FILES entries whose name begins with "http" or "ftp".
int CountDownloadEntries(const ProfileSource& script);
// A "TOTAL" count as decimal conversion reads it: leading digits, 0 otherwise.
int ReadCount(const ProfileSource& script, const std::string& section);

// The folder levels that creating `path`'s folder handles, each remembered once per
// installation: prefixes of the part before the last backslash, longer than 3 characters
// (never a drive root), at most kMaxPathComponents components, kMaxCreatedFolders in all.
class FolderLevels {
  public:
    // The levels not handled before, outermost first, without trailing backslash.
    std::vector<std::string> NewLevelsFor(const std::string& path);

  private:
    std::set<std::string> handled_;
};

}  // namespace stepwise
