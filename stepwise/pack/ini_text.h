// A setup script read from its text, for tools that run where the private-profile calls do
// not exist. Values are found the way GetPrivateProfileStringA finds them (section and key
// compared without case, the first occurrence wins, blanks and one pair of surrounding quotes
// removed), and every key remembers its line so a problem can be reported where it is.
#pragma once

#include <string>
#include <vector>

#include "script/profile_source.h"

namespace stepwise {

class IniText : public ProfileSource {
  public:
    struct Entry {
        std::string section;
        std::string key;
        std::string value;
        int line = 0;  // 1-based
    };

    static IniText Parse(const std::string& text);

    std::string Read(const std::string& section,
                     const std::string& key,
                     std::size_t bufferSize) const override;

    // The first entry for the key, or nullptr.
    const Entry* Find(const std::string& section, const std::string& key) const;
    // The line of the section's header, 0 when the section is absent.
    int SectionLine(const std::string& section) const;
    // Every entry of a section, in file order (later duplicates included).
    std::vector<const Entry*> EntriesOf(const std::string& section) const;

    const std::vector<Entry>& entries() const { return entries_; }

  private:
    struct Section {
        std::string name;
        int line = 0;
    };
    std::vector<Entry> entries_;
    std::vector<Section> sections_;
};

bool SameTextIgnoringCase(const std::string& a, const std::string& b);

}  // namespace stepwise
