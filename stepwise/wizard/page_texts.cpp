#include "wizard/page_texts.h"

#include <algorithm>
#include <cctype>

#include "script/machine_checks.h"

namespace stepwise {

namespace {

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
    if (text.size() < tail.size())
        return false;
    return std::equal(tail.begin(), tail.end(), text.end() - tail.size(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

}  // namespace

std::string StartCopyingSummary(const SummaryValues& v) {
    const std::string end = "\r\n";
    return end + "Setup will install " + v.appName + " in the directory:" + end + ">  " +
           v.installFolder + end + end + "User Information:" + end + ">  " + v.userName + end +
           ">  " + v.company + end + end + "Program Folder:" + end + ">  " + v.programFolder + end;
}

std::vector<std::string> ComponentNames(const ProfileSource& script) {
    long long total = DecimalValue(script.Read("FILES", "TOTAL", kCountBuffer));
    std::vector<std::string> names;
    for (long long i = 0; i < total; ++i)
        names.push_back(script.Read("FILES", "PR" + std::to_string(i), kPathBuffer));
    return names;
}

std::vector<std::string> CustomSelection(const std::vector<ComponentRow>& rows) {
    std::vector<std::string> names;
    for (const ComponentRow& row : rows) {
        if (row.ticked)
            names.push_back(row.name);
    }
    return names;
}

bool IsProgramFolderEntry(const std::string& name) {
    if (name == "." || name == ".." || name.empty())
        return false;
    return !EndsWithNoCase(name, "lnk") && !EndsWithNoCase(name, "pif");
}

}  // namespace stepwise
