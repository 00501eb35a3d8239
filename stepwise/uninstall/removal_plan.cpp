#include "uninstall/removal_plan.h"

#include <algorithm>
#include <set>

namespace stepwise {
namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), LowerAscii);
    return text;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

std::string ParentOf(const std::string& normalPath) {
    std::size_t slash = normalPath.rfind('\\');
    return slash == std::string::npos ? std::string() : normalPath.substr(0, slash);
}

std::string FileNameOf(const std::string& normalPath) {
    std::size_t slash = normalPath.rfind('\\');
    return slash == std::string::npos ? normalPath : normalPath.substr(slash + 1);
}

// The normalised forms of a list of machine folders, empty ones dropped.
std::vector<std::string> Normalised(const std::vector<std::string>& folders) {
    std::vector<std::string> result;
    for (const auto& folder : folders) {
        std::string normal = NormalFolderPath(folder);
        if (!normal.empty())
            result.push_back(normal);
    }
    return result;
}

struct Rules {
    std::string windows;
    std::vector<std::string> system;
    std::vector<std::string> programs;
    std::vector<std::string> standard;  // every machine folder the plan must keep

    explicit Rules(const MachineFolders& machine)
        : windows(NormalFolderPath(machine.windows)),
          system(Normalised(machine.system)),
          programs(Normalised(machine.programs)),
          standard(Normalised(machine.standard)) {
        if (!windows.empty())
            standard.push_back(windows);
        standard.insert(standard.end(), system.begin(), system.end());
        standard.insert(standard.end(), programs.begin(), programs.end());
    }

    // A standard folder, or a folder above one (drive roots, the profiles folder...).
    bool IsStandardOrAbove(const std::string& normal) const {
        if (PathDepth(normal) == 0)
            return true;
        return std::any_of(standard.begin(), standard.end(), [&](const std::string& kept) {
            return kept == normal || IsInside(kept, normal);
        });
    }

    bool InSystemFolder(const std::string& normal) const {
        return std::any_of(system.begin(), system.end(),
                           [&](const std::string& s) { return IsInside(normal, s); });
    }

    // The program group: a folder right inside one of the Start menu "Programs" folders.
    bool IsProgramGroup(const std::string& normal) const {
        std::string parent = ParentOf(normal);
        return std::find(programs.begin(), programs.end(), parent) != programs.end();
    }

    // A settings file Windows and other programs share, in the Windows or System folder or a
    // drive root: the log names it when the script wrote an INI entry into it.
    bool IsSharedIni(const std::string& normal) const {
        static const char* const kShared[] = {
            "win.ini",      "system.ini",   "control.ini", "progman.ini",
            "protocol.ini", "winfile.ini",  "wininit.ini", "desktop.ini",
            "odbc.ini",     "odbcinst.ini", "boot.ini",
        };
        std::string name = FileNameOf(normal);
        if (std::none_of(std::begin(kShared), std::end(kShared),
                         [&](const char* shared) { return name == shared; }))
            return false;
        std::string parent = ParentOf(normal);
        return parent == windows || PathDepth(parent) == 0 ||
               std::find(system.begin(), system.end(), parent) != system.end();
    }
};

// Registry path with single backslashes and none at either end; "" when nothing is left.
std::string NormalKey(const std::string& key) {
    std::string result;
    for (const auto& part : Split(key, '\\')) {
        if (part.empty())
            continue;
        if (!result.empty())
            result += '\\';
        result += part;
    }
    return result;
}

constexpr const char* kUninstallRoot = "software\\microsoft\\windows\\currentversion\\uninstall";

// Keys below "Software" that belong to Windows or to every program: never removed, and
// never a product key's parent that is cleaned away.
bool IsSharedSoftwareKey(const std::string& lowerKey) {
    static const char* const kShared[] = {
        "software\\microsoft", "software\\classes",     "software\\policies",
        "software\\clients",   "software\\wow6432node", "software\\registeredapplications",
    };
    for (const char* shared : kShared)
        if (lowerKey == shared)
            return true;
    // The uninstall list and everything above it.
    std::string root = kUninstallRoot;
    return root == lowerKey || (root.size() > lowerKey.size() &&
                                root.compare(0, lowerKey.size() + 1, lowerKey + "\\") == 0);
}

// The installer forms the product key as "Software\<company>\<name>" or "Software\<name>".
bool IsProductKey(const std::string& normalKey) {
    std::string lower = Lower(normalKey);
    return lower.rfind("software\\", 0) == 0 && Split(lower, '\\').size() >= 2 &&
           !IsSharedSoftwareKey(lower);
}

bool IsUninstallKey(const std::string& normalKey) {
    std::string lower = Lower(normalKey);
    std::string prefix = std::string(kUninstallRoot) + "\\";
    return lower.size() > prefix.size() && lower.compare(0, prefix.size(), prefix) == 0;
}

void PlanKeys(const InstallLog& log, RemovalPlan& plan) {
    if (!log.productKey.empty()) {
        std::string key = NormalKey(log.productKey);
        if (IsProductKey(key)) {
            plan.productKey = key;
            // The company level the installer created above the product, when nothing else
            // is left in it.
            for (std::string parent = ParentOf(key); IsProductKey(parent);
                 parent = ParentOf(parent))
                plan.emptyParentKeys.push_back(parent);
        } else {
            plan.kept.push_back({"HKEY_LOCAL_MACHINE\\" + log.productKey, KeepReason::UnsafeKey});
        }
    }
    if (!log.uninstallKey.empty()) {
        std::string key = NormalKey(log.uninstallKey);
        if (IsUninstallKey(key))
            plan.uninstallKey = key;
        else
            plan.kept.push_back({"HKEY_LOCAL_MACHINE\\" + log.uninstallKey, KeepReason::UnsafeKey});
    }
}

}  // namespace

std::string NormalFolderPath(const std::string& path) {
    std::string text = Lower(path);
    std::replace(text.begin(), text.end(), '/', '\\');
    if (text.size() < 2 || text[1] != ':' || text[0] < 'a' || text[0] > 'z')
        return "";
    if (text.size() > 2 && text[2] != '\\')
        return "";  // "c:foo" is relative to the drive's current folder
    std::vector<std::string> levels;
    for (const auto& part : Split(text.substr(2), '\\')) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (levels.empty())
                return "";
            levels.pop_back();
            continue;
        }
        levels.push_back(part);
    }
    std::string result = text.substr(0, 2);
    for (const auto& level : levels)
        result += "\\" + level;
    return result;
}

int PathDepth(const std::string& normalPath) {
    return static_cast<int>(std::count(normalPath.begin(), normalPath.end(), '\\'));
}

bool IsInside(const std::string& inner, const std::string& outer) {
    return inner.size() > outer.size() + 1 && inner.compare(0, outer.size(), outer) == 0 &&
           inner[outer.size()] == '\\';
}

RemovalPlan PlanRemoval(const InstallLog& log,
                        const MachineFolders& machine,
                        const std::string& logPath) {
    Rules rules(machine);
    RemovalPlan plan;
    std::set<std::string> seen;  // normalised paths already planned, files and folders
    std::vector<std::string> folders;

    auto planFolder = [&](const std::string& path) {
        std::string normal = NormalFolderPath(path);
        if (normal.empty()) {
            plan.kept.push_back({path, KeepReason::NotFullPath});
        } else if (rules.IsStandardOrAbove(normal)) {
            plan.kept.push_back({path, KeepReason::StandardFolder});
        } else if (seen.insert(normal).second) {
            folders.push_back(normal);
        }
    };

    for (const auto& path : log.paths) {
        std::string normal = NormalFolderPath(path);
        bool folderEntry = !path.empty() && (path.back() == '\\' || path.back() == '/');
        if (normal.empty()) {
            plan.kept.push_back({path, KeepReason::NotFullPath});
        } else if (rules.IsStandardOrAbove(normal)) {
            plan.kept.push_back({path, KeepReason::StandardFolder});
        } else if (folderEntry) {
            if (!rules.IsProgramGroup(normal)) {
                planFolder(path);  // another logged folder goes only when empty
            } else if (seen.insert(normal).second) {
                plan.groups.push_back(normal);
            }
        } else if (rules.InSystemFolder(normal) &&
                   FileNameOf(normal).find(".dll") != std::string::npos) {
            plan.kept.push_back({path, KeepReason::SystemDll});
        } else if (rules.IsSharedIni(normal)) {
            plan.kept.push_back({path, KeepReason::SharedIni});
        } else if (seen.insert(normal).second) {
            plan.files.push_back(normal);
        }
    }

    PlanKeys(log, plan);

    std::string logFile = NormalFolderPath(logPath);
    if (!logFile.empty() && FileNameOf(logFile) == "install.log" && seen.insert(logFile).second)
        plan.logFile = logFile;

    for (const auto& path : log.folders)
        planFolder(path);
    // Deepest first, so a folder is emptied of its subfolders before its own turn; folders
    // of one depth keep the reverse of their logged order.
    std::reverse(folders.begin(), folders.end());
    std::stable_sort(
        folders.begin(), folders.end(),
        [](const std::string& a, const std::string& b) { return PathDepth(a) > PathDepth(b); });
    plan.folders = std::move(folders);
    return plan;
}

}  // namespace stepwise
