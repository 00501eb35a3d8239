#include "pack/script_checks.h"

#include <array>
#include <cctype>
#include <cstdlib>

#include "install/copy_list.h"
#include "install/folder_tokens.h"

namespace stepwise {

namespace {

// The counted lists and the keys each numbered entry must have; TOTAL gives the count.
struct CountedList {
    const char* section;
    std::vector<std::string> required;  // prefixes numbered from 0
};

const std::array<CountedList, 4>& CountedLists() {
    static const std::array<CountedList, 4> lists = {{
        {"FILES", {"PR", "ON"}},
        {"FOLDER", {"A", "B", "D"}},
        {"ENVIR", {"A", "B"}},
        {"SETUPTYPE", {"A"}},
    }};
    return lists;
}

// Sections whose values the installer expands folder tokens in.
constexpr std::array<const char*, 5> kExpandedSections = {"APPINFO", "FILES", "FOLDER", "ENVIR",
                                                          "INI"};

bool AllDigits(const std::string& text) {
    if (text.empty())
        return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// "PR12" with prefix "PR" gives 12; -1 when the key is not that prefix and a number.
int IndexOf(const std::string& key, const std::string& prefix) {
    if (key.size() <= prefix.size() || !SameTextIgnoringCase(key.substr(0, prefix.size()), prefix))
        return -1;
    std::string digits = key.substr(prefix.size());
    if (!AllDigits(digits) || digits.size() > 6)
        return -1;
    return std::atoi(digits.c_str());
}

class Checker {
  public:
    Checker(const IniText& script, const std::function<bool(const std::string&)>& sourceExists)
        : script_(script), sourceExists_(sourceExists) {}

    std::vector<ScriptProblem> Run() {
        for (const CountedList& list : CountedLists())
            CheckCount(list);
        CheckSources();
        for (const char* section : kExpandedSections)
            CheckTokens(section);
        return std::move(problems_);
    }

  private:
    void Add(const std::string& section, const std::string& key, int line, std::string message) {
        problems_.push_back({section, key, line, std::move(message)});
    }

    int LineOrSection(const std::string& section, const std::string& key) const {
        const IniText::Entry* entry = script_.Find(section, key);
        return entry ? entry->line : script_.SectionLine(section);
    }

    void CheckCount(const CountedList& list) {
        const std::string section = list.section;
        const IniText::Entry* total = script_.Find(section, "TOTAL");
        std::vector<const IniText::Entry*> entries = script_.EntriesOf(section);
        if (!total) {
            if (section == "FILES")
                Add(section, "TOTAL", script_.SectionLine(section),
                    "missing: the number of FILES entries is required");
            else if (!entries.empty())
                Add(section, "TOTAL", script_.SectionLine(section),
                    "missing: the section lists entries without their count");
            return;
        }
        if (!AllDigits(total->value)) {
            Add(section, "TOTAL", total->line, "\"" + total->value + "\" is not a count");
            return;
        }
        const int count = std::atoi(total->value.c_str());
        if (section == "FILES" && count > static_cast<int>(kMaxCopyEntries))
            Add(section, "TOTAL", total->line,
                "the installer copies at most " + std::to_string(kMaxCopyEntries) + " entries");
        for (const std::string& prefix : list.required) {
            for (int i = 0; i < count && i < static_cast<int>(kMaxCopyEntries); ++i) {
                std::string key = prefix + std::to_string(i);
                if (!script_.Find(section, key))
                    Add(section, key, total->line,
                        "missing: TOTAL=" + total->value + " counts entries 0 to " +
                            std::to_string(count - 1));
            }
            for (const IniText::Entry* entry : entries) {
                int index = IndexOf(entry->key, prefix);
                if (index >= count)
                    Add(section, entry->key, entry->line,
                        "beyond TOTAL=" + total->value + ": the installer never reads it");
            }
        }
    }

    void CheckSources() {
        int count = std::atoi(script_.Read("FILES", "TOTAL", kCountBuffer).c_str());
        for (int i = 0; i < count && i < static_cast<int>(kMaxCopyEntries); ++i) {
            std::string key = "PR" + std::to_string(i);
            const IniText::Entry* entry = script_.Find("FILES", key);
            if (!entry || IsDownloadName(entry->value))
                continue;
            if (entry->value.empty()) {
                Add("FILES", key, entry->line, "empty: no file named");
            } else if (entry->value.find_first_of("\\/:") != std::string::npos ||
                       entry->value == "." || entry->value == "..") {
                Add("FILES", key, entry->line,
                    "\"" + entry->value + "\" must be a plain file name; ON" + std::to_string(i) +
                        " gives its folder");
            } else if (!sourceExists_(entry->value)) {
                Add("FILES", key, entry->line,
                    "the source file \"" + entry->value + "\" is not in the source folder");
            }
        }
    }

    void CheckTokens(const std::string& section) {
        for (const IniText::Entry* entry : script_.EntriesOf(section)) {
            std::size_t at = 0;
            while ((at = entry->value.find('<', at)) != std::string::npos) {
                std::size_t close = entry->value.find('>', at);
                if (close == std::string::npos) {
                    Add(section, entry->key, entry->line,
                        "a folder token opens with \"<\" and never closes");
                    break;
                }
                std::string name = entry->value.substr(at + 1, close - at - 1);
                if (!KnownToken(name))
                    Add(section, entry->key, entry->line, "unknown folder token <" + name + ">");
                at = close + 1;
            }
        }
    }

    static bool KnownToken(const std::string& name) {
        for (int kind = 1; kind <= kDestinationKinds; ++kind) {
            // Tokens are replaced case-sensitively, so a differently spelt one stays as text.
            if (name == KindName(static_cast<DestinationKind>(kind)))
                return true;
        }
        return false;
    }

    const IniText& script_;
    const std::function<bool(const std::string&)>& sourceExists_;
    std::vector<ScriptProblem> problems_;
};

}  // namespace

std::string FormatProblem(const std::string& scriptName, const ScriptProblem& problem) {
    std::string text = scriptName;
    if (problem.line > 0)
        text += ":" + std::to_string(problem.line);
    return text + ": [" + problem.section + "] " + problem.key + ": " + problem.message;
}

std::vector<ScriptProblem> CheckScript(
    const IniText& script,
    const std::function<bool(const std::string&)>& sourceExists) {
    return Checker(script, sourceExists).Run();
}

}  // namespace stepwise
