#include "script/profile_win.h"

#include <windows.h>

#include <vector>

namespace stepwise {

std::string PrivateProfileFile::Read(const std::string& section,
                                     const std::string& key,
                                     std::size_t bufferSize) const {
    if (bufferSize == 0)
        return "";
    std::vector<char> buffer(bufferSize, '\0');
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                       static_cast<DWORD>(bufferSize), path_.c_str());
    return std::string(buffer.data(), n);
}

}  // namespace stepwise
