#include "pack/ini_text.h"

#include <cctype>

namespace stepwise {

namespace {

std::string Trim(const std::string& text) {
    std::size_t from = text.find_first_not_of(" \t\r");
    if (from == std::string::npos)
        return "";
    std::size_t to = text.find_last_not_of(" \t\r");
    return text.substr(from, to - from + 1);
}

std::string Unquote(const std::string& value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

IniText IniText::Parse(const std::string& text) {
    IniText ini;
    std::string section;
    bool inSection = false;
    int line = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string raw = Trim(text.substr(at, end - at));
        ++line;
        at = end + 1;
        if (raw.empty() || raw[0] == ';')
            continue;
        if (raw[0] == '[') {
            std::size_t close = raw.find(']');
            section =
                Trim(raw.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            inSection = true;
            ini.sections_.push_back({section, line});
            continue;
        }
        std::size_t equals = raw.find('=');
        if (!inSection || equals == std::string::npos)
            continue;  // the profile calls ignore such lines too
        ini.entries_.push_back(
            {section, Trim(raw.substr(0, equals)), Unquote(Trim(raw.substr(equals + 1))), line});
    }
    return ini;
}

const IniText::Entry* IniText::Find(const std::string& section, const std::string& key) const {
    for (const Entry& entry : entries_) {
        if (SameTextIgnoringCase(entry.section, section) && SameTextIgnoringCase(entry.key, key))
            return &entry;
    }
    return nullptr;
}

std::string IniText::Read(const std::string& section,
                          const std::string& key,
                          std::size_t bufferSize) const {
    const Entry* entry = Find(section, key);
    if (!entry || bufferSize == 0)
        return "";
    return entry->value.substr(0, bufferSize - 1);
}

int IniText::SectionLine(const std::string& section) const {
    for (const Section& s : sections_) {
        if (SameTextIgnoringCase(s.name, section))
            return s.line;
    }
    return 0;
}

std::vector<const IniText::Entry*> IniText::EntriesOf(const std::string& section) const {
    std::vector<const Entry*> out;
    for (const Entry& entry : entries_) {
        if (SameTextIgnoringCase(entry.section, section))
            out.push_back(&entry);
    }
    return out;
}

}  // namespace stepwise
