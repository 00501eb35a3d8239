// A private-profile file read through GetPrivateProfileStringA at every call.
#pragma once

#include <string>

#include "script/profile_source.h"

namespace stepwise {

class PrivateProfileFile : public ProfileSource {
  public:
    explicit PrivateProfileFile(std::string path) : path_(std::move(path)) {}
    std::string Read(const std::string& section,
                     const std::string& key,
                     std::size_t bufferSize) const override;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace stepwise
