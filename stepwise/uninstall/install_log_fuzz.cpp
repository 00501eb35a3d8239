// Feeds arbitrary bytes to the install.log reader and the removal plan built from it: no crash,
// and whatever the log says, the plan never removes a drive root or a standard folder.
#include <cstddef>
#include <cstdint>
#include <string>

#include "uninstall/install_log.h"
#include "uninstall/removal_plan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace stepwise;
    std::string text(reinterpret_cast<const char*>(data), size);
    InstallLogRead read = ParseInstallLog(text);
    if (read.log.has_value() != read.error.empty())
        __builtin_trap();  // exactly one of a log and an error
    if (!read.log)
        return 0;

    MachineFolders machine;
    machine.windows = "C:\\Windows";
    machine.system = {"C:\\Windows\\System32"};
    machine.programs = {"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"};
    machine.standard = {"C:\\Program Files", "C:\\Users\\ada\\Desktop"};
    RemovalPlan plan = PlanRemoval(*read.log, machine, "C:\\Program Files\\Acme\\install.log");
    auto isKept = [](const std::string& path) {
        std::string normal = NormalFolderPath(path);
        return normal.empty() || PathDepth(normal) == 0 || normal == "c:\\program files" ||
               normal == "c:\\windows" || normal == "c:\\windows\\system32" ||
               normal == "c:\\users" || normal == "c:\\users\\ada\\desktop";
    };
    for (const auto& folder : plan.folders)
        if (isKept(folder))
            __builtin_trap();
    for (const auto& group : plan.groups)
        if (isKept(group))
            __builtin_trap();
    for (const auto& file : plan.files)
        if (isKept(file))
            __builtin_trap();
    return 0;
}
