// Texts and lists the pages build from the script and the collected values: the start
// copying summary, the custom components and selection, and the program-folder list filter.
#pragma once

#include <string>
#include <vector>

#include "script/profile_source.h"

namespace stepwise {

struct SummaryValues {
    std::string appName;
    std::string installFolder;
    std::string userName;
    std::string company;
    std::string programFolder;
};

// The start copying page's summary, every line ending with "\r\n".
std::string StartCopyingSummary(const SummaryValues& values);

// FILES "PR0" .. "PR<TOTAL-1>": one row of the custom components page each.
std::vector<std::string> ComponentNames(const ProfileSource& script);

struct ComponentRow {
    std::string name;
    bool ticked = false;
};
// The names of the ticked rows, in list order.
std::vector<std::string> CustomSelection(const std::vector<ComponentRow>& rows);

// Whether an entry of the Start menu's Programs folder is listed on the folder page: not
// "." or "..", not a name ending in "lnk" or "pif" (shortcuts).
bool IsProgramFolderEntry(const std::string& name);

}  // namespace stepwise
