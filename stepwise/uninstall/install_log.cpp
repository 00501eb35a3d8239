#include "uninstall/install_log.h"

#include <algorithm>
#include <map>
#include <utility>

namespace stepwise {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
    std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

// The profile functions drop one pair of enclosing double quotes from a value.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

// A key the installer's counters write: decimal, no sign, no leading zero (the profile lookup
// of "3" would not find "03" either).
std::optional<unsigned long> CounterKey(std::string_view key) {
    if (key.empty() || key.size() > 7 || (key.size() > 1 && key.front() == '0'))
        return std::nullopt;
    unsigned long value = 0;
    for (char c : key) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    if (value > kMaxLogKey)
        return std::nullopt;
    return value;
}

enum class Section { Other, Dir, Log, Uninstall, Registry };

Section SectionNamed(std::string_view name) {
    if (SameName(name, "DIR"))
        return Section::Dir;
    if (SameName(name, "LOG"))
        return Section::Log;
    if (SameName(name, "UNINSTALL"))
        return Section::Uninstall;
    if (SameName(name, "REGISTRY"))
        return Section::Registry;
    return Section::Other;
}

struct Reader {
    std::map<unsigned long, std::string> folders;
    std::map<unsigned long, std::string> paths;
    std::optional<std::string> uninstallKey;
    std::optional<std::string> productKey;
    bool seen[5] = {};  // which known sections were met (first occurrence only)
    Section current = Section::Other;
    bool ignoring = true;  // before the first section, or in a repeated section
    int damaged = 0;

    void StartSection(std::string_view name) {
        current = SectionNamed(name);
        int index = static_cast<int>(current);
        ignoring = current != Section::Other && seen[index];
        seen[index] = true;
    }

    void Key(std::string_view key, std::string_view value) {
        if (ignoring || current == Section::Other)
            return;
        std::string text(Unquote(value));
        if (current == Section::Dir || current == Section::Log) {
            auto number = CounterKey(key);
            if (!number) {
                ++damaged;
                return;
            }
            auto& list = current == Section::Dir ? folders : paths;
            list.emplace(*number, std::move(text));  // the first line of a key wins
            return;
        }
        if (!SameName(key, "PATH"))
            return;
        auto& slot = current == Section::Uninstall ? uninstallKey : productKey;
        if (!slot)
            slot = std::move(text);
    }

    void Line(std::string_view line) {
        line = Trim(line);
        if (line.empty() || line.front() == ';')
            return;
        if (line.front() == '[') {
            std::size_t close = line.find(']');
            if (close == std::string_view::npos)
                ++damaged;  // a cut-off section header still names the section
            StartSection(
                Trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1)));
            return;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            ++damaged;
            return;
        }
        Key(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
    }
};

std::vector<std::string> NonEmptyValues(std::map<unsigned long, std::string>& numbered) {
    std::vector<std::string> values;
    for (auto& [key, value] : numbered)
        if (!value.empty())
            values.push_back(std::move(value));
    return values;
}

}  // namespace

InstallLogRead ParseInstallLog(std::string_view text) {
    InstallLogRead result;
    if (text.size() > kMaxInstallLogBytes) {
        result.error = "The file is too large to be an installation log.";
        return result;
    }
    if (text.find('\0') != std::string_view::npos) {
        result.error = "The file is not a text file, so it cannot be an installation log.";
        return result;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);

    Reader reader;
    while (!text.empty()) {
        std::size_t end = text.find_first_of("\r\n");
        reader.Line(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }

    bool anySection = reader.seen[static_cast<int>(Section::Dir)] ||
                      reader.seen[static_cast<int>(Section::Log)] ||
                      reader.seen[static_cast<int>(Section::Uninstall)] ||
                      reader.seen[static_cast<int>(Section::Registry)];
    if (!anySection) {
        result.error =
            "The file is not an installation log: it has none of the sections DIR, LOG, "
            "UNINSTALL and REGISTRY.";
        return result;
    }

    InstallLog log;
    log.folders = NonEmptyValues(reader.folders);
    log.paths = NonEmptyValues(reader.paths);
    log.uninstallKey = reader.uninstallKey.value_or("");
    log.productKey = reader.productKey.value_or("");
    log.damagedLines = reader.damaged;
    if (log.folders.empty() && log.paths.empty() && log.uninstallKey.empty() &&
        log.productKey.empty()) {
        result.error = "The installation log lists nothing to remove.";
        return result;
    }
    result.log = std::move(log);
    return result;
}

}  // namespace stepwise
