// An in-memory profile file for logic tests; counts reads so tests can see that values are
// read at the point of use.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "script/profile_source.h"

namespace stepwise {

class FakeProfile : public ProfileSource {
  public:
    void Set(const std::string& section, const std::string& key, const std::string& value) {
        values_[{section, key}] = value;
    }
    std::string Read(const std::string& section,
                     const std::string& key,
                     std::size_t bufferSize) const override {
        ++reads_;
        auto found = values_.find({section, key});
        if (found == values_.end() || bufferSize == 0)
            return "";
        return found->second.substr(0, bufferSize - 1);
    }
    int reads() const { return reads_; }

  private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
    mutable int reads_ = 0;
};

}  // namespace stepwise
