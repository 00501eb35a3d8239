// The per-kind copy rules: whether an existing destination may be replaced, the version
// comparison of Shared DLLs, and which files are registered.
#pragma once

#include <optional>
#include <string>

#include "install/folder_tokens.h"

namespace stepwise {

// The leading decimal number of a version string ("5.1.2600" gives 5); 0 without one.
long LeadingVersionNumber(const std::string& version);

// S is newer than an existing D when D has a version string and S's leading number is
// greater; a missing S string counts as 0, so a destination without version always stays.
bool SourceIsNewer(const std::optional<std::string>& source,
                   const std::optional<std::string>& destination);

// What to do with one copy-list entry, given the kind's section keys.
struct CopyDecision {
    bool copy = false;               // call the copy at all
    bool replace = false;            // allowed to replace an existing destination
    bool registerAfterCopy = false;  // a control (".ocx") in Shared DLLs
    bool registerFile = false;       // key "4" is "Yes"; runs whether or not the copy did
    bool needsVersions = false;      // Shared DLL over an existing file with "Always Overwrite"
};

// `overwriteKey` is key "3" of the kind's section, `registerKey` key "4". For a Shared DLL
// that exists and may be overwritten, the caller compares versions and replaces only when
// the source is newer (`needsVersions`).
CopyDecision DecideCopy(DestinationKind kind,
                        const std::string& destination,
                        bool destinationExists,
                        const std::string& overwriteKey,
                        const std::string& registerKey);

}  // namespace stepwise
