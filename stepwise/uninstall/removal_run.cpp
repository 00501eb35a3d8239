#include "uninstall/removal_run.h"

#include <utility>

namespace stepwise {
namespace {

// A message box taller than the screen hides its buttons: long lists are cut.
constexpr std::size_t kMaxListedItems = 15;

const char* Why(RemoveOutcome outcome) {
    switch (outcome) {
        case RemoveOutcome::InUse:
            return "in use";
        case RemoveOutcome::AccessDenied:
            return "access denied";
        case RemoveOutcome::NotEmpty:
            return "not empty";
        default:
            return "could not be removed";
    }
}

bool IsFailure(RemoveOutcome outcome) {
    return outcome != RemoveOutcome::Removed && outcome != RemoveOutcome::Missing;
}

struct Runner {
    RemovalTarget& target;
    RemovalReport report;

    void Note(const std::string& item, RemoveOutcome outcome) {
        if (outcome == RemoveOutcome::Removed)
            report.removed.push_back(item);
        else if (IsFailure(outcome))
            report.failed.push_back({item, outcome});
    }
};

std::string Product(const std::string& product) {
    return product.empty() ? std::string("the program") : product;
}

void AppendList(std::string& text, const std::vector<std::string>& items) {
    for (std::size_t i = 0; i < items.size() && i < kMaxListedItems; ++i)
        text += "    " + items[i] + "\n";
    if (items.size() > kMaxListedItems)
        text += "    ... and " + std::to_string(items.size() - kMaxListedItems) + " more\n";
}

}  // namespace

RemovalReport RunRemoval(const RemovalPlan& plan, RemovalTarget& target) {
    Runner run{target, {}};
    run.report.kept = plan.kept;

    for (const auto& file : plan.files)
        run.Note(file, target.RemoveFile(file));

    for (const auto& group : plan.groups) {
        std::vector<std::pair<std::string, RemoveOutcome>> stuck;
        RemoveOutcome outcome = target.DeleteTree(group, stuck);
        for (auto& [item, why] : stuck)
            run.report.failed.push_back({item, why});
        if (outcome == RemoveOutcome::Removed)
            run.report.removed.push_back(group + "\\");
        else if (IsFailure(outcome) && stuck.empty())
            run.report.failed.push_back({group + "\\", outcome});
    }

    if (!plan.productKey.empty()) {
        std::string key = "HKEY_LOCAL_MACHINE\\" + plan.productKey;
        RemoveOutcome outcome = target.DeleteKeyTree(plan.productKey);
        run.Note(key, outcome);
        if (!IsFailure(outcome))
            for (const auto& parent : plan.emptyParentKeys)
                if (target.DeleteKeyIfEmpty(parent) != RemoveOutcome::Removed)
                    break;  // a level that holds other products keeps the levels above it
    }

    if (run.report.failed.empty()) {
        if (!plan.uninstallKey.empty())
            run.Note("HKEY_LOCAL_MACHINE\\" + plan.uninstallKey,
                     target.DeleteKeyTree(plan.uninstallKey));
        if (!plan.logFile.empty())
            run.Note(plan.logFile, target.RemoveFile(plan.logFile));
    } else {
        run.report.uninstallEntryKept = true;
    }

    for (const auto& folder : plan.folders) {
        RemoveOutcome outcome = target.RemoveEmptyFolder(folder);
        if (outcome == RemoveOutcome::NotEmpty)
            run.report.leftFolders.push_back(folder + "\\");
        else
            run.Note(folder + "\\", outcome);
    }
    return std::move(run.report);
}

int ExitCodeFor(const RemovalReport& report) {
    return report.complete() ? kExitRemoved : kExitPartly;
}

std::string ProductNameFrom(const InstallLog& log) {
    std::string key = log.uninstallKey;
    while (!key.empty() && key.back() == '\\')
        key.pop_back();
    std::size_t slash = key.rfind('\\');
    return slash == std::string::npos ? key : key.substr(slash + 1);
}

std::string ConfirmationText(const std::string& product, int damagedLines) {
    std::string text = "Do you want to remove " + Product(product) +
                       " and all of its components from your computer?";
    if (damagedLines > 0)
        text += "\n\nThe installation log is damaged (" + std::to_string(damagedLines) +
                " unreadable lines): what it no longer names stays on the computer.";
    return text;
}

std::string SummaryText(const RemovalReport& report, const std::string& product) {
    std::string text;
    if (report.complete())
        text = Product(product) + " was removed from your computer.\n";
    else
        text = Product(product) + " could not be removed completely.\n";

    if (!report.removed.empty()) {
        text += "\nRemoved (" + std::to_string(report.removed.size()) + "):\n";
        AppendList(text, report.removed);
    }
    if (!report.failed.empty()) {
        std::vector<std::string> lines;
        for (const auto& item : report.failed)
            lines.push_back(item.item + " (" + Why(item.outcome) + ")");
        text += "\nCould not be removed (" + std::to_string(report.failed.size()) + "):\n";
        AppendList(text, lines);
        text +=
            "\nClose the programs that use these files, then run the uninstallation again: "
            "its entry in the list of installed programs is kept for that.\n";
    }
    if (!report.leftFolders.empty()) {
        text += "\nFolders kept because they still hold other files:\n";
        AppendList(text, report.leftFolders);
    }
    std::size_t shared = 0;
    for (const auto& kept : report.kept)
        if (kept.reason == KeepReason::SystemDll || kept.reason == KeepReason::SharedIni)
            ++shared;
    if (shared > 0)
        text += "\nShared system files kept for other programs: " + std::to_string(shared) + ".\n";
    return text;
}

}  // namespace stepwise
