#include "display/version_info_win.h"

#include <windows.h>

#include <cstring>
#include <optional>

#include "capture/wow64_redirection_win.h"
#include "display/version_text.h"

namespace portlight {

const char* VersionInfo::ErrorText(Error error) {
    switch (error) {
        case Error::kModuleHandle:
            return "Unable to retrieve module handle.";
        case Error::kModuleFileName:
            return "Unable to retrieve module file name.";
        case Error::kVersionData:
            return "Unable to retrieve version information.";
        case Error::kTranslation:
            return "Unable to retrieve language and code page information.";
        case Error::kFixedInfo:
            return "Unable to retrieve fixed file version information.";
        case Error::kNone:
            break;
    }
    return "";
}

void VersionInfo::SetFileName(const std::string& fileName) {
    fileName_ = fileName;
    LoadVersionData();
}

void VersionInfo::SetModuleName(const std::string& moduleName) {
    moduleName_ = moduleName;
    LoadVersionData();
}

uint32_t VersionInfo::Language() const {
    return LanguageOfKey(translationKey_);
}

uint32_t VersionInfo::CodePage() const {
    return CodePageOfKey(translationKey_);
}

std::string VersionInfo::FileFlags() const {
    return FileFlagsText(FileFlagsRaw());
}

std::string VersionInfo::FileOS() const {
    return FileOSText(FileOSRaw());
}

std::string VersionInfo::FileType() const {
    return FileTypeText(FileTypeRaw());
}

std::string VersionInfo::FileSubType() const {
    return FileSubTypeText(FileTypeRaw(), FileSubTypeRaw());
}

void VersionInfo::Record(Error error) {
    failures_.push_back({error, "VersionInfo", ErrorText(error)});
}

void VersionInfo::LoadVersionData() {
    failures_.clear();
    versionData_.clear();
    translationKey_.clear();
    std::memset(fixed_, 0, sizeof fixed_);

    if (!moduleName_.empty()) {
        HMODULE module = GetModuleHandleA(moduleName_.c_str());
        if (!module) {
            Record(Error::kModuleHandle);
        } else {
            char path[MAX_PATH] = {};
            DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
            if (length == 0)
                Record(Error::kModuleFileName);
            else
                fileName_.assign(path, length);
        }
    }

    {
        // A path from another process may be a 64-bit program's System32 file, which the
        // redirection would swap for its 32-bit twin; a module of this process is read as
        // this process sees it.
        std::optional<Wow64RedirectionOff> unredirected;
        if (moduleName_.empty())
            unredirected.emplace();
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeA(fileName_.c_str(), &ignored);
        if (size > 0) {
            versionData_.assign(size, '\0');
            if (!GetFileVersionInfoA(fileName_.c_str(), 0, size, versionData_.data()))
                versionData_.clear();
        }
    }
    if (versionData_.empty())
        Record(Error::kVersionData);

    void* value = nullptr;
    UINT valueLength = 0;
    char translationPath[] = "\\VarFileInfo\\Translation";
    if (!versionData_.empty() &&
        VerQueryValueA(versionData_.data(), translationPath, &value, &valueLength) &&
        valueLength >= 4) {
        translationKey_ = portlight::TranslationKey(static_cast<const uint8_t*>(value));
    } else {
        Record(Error::kTranslation);
    }

    char root[] = "\\";
    if (!versionData_.empty() && VerQueryValueA(versionData_.data(), root, &value, &valueLength) &&
        valueLength >= sizeof fixed_) {
        std::memcpy(fixed_, value, sizeof fixed_);
    } else {
        Record(Error::kFixedInfo);
    }
}

std::string VersionInfo::QueryStringValue(const std::string& key) const {
    if (versionData_.empty() || translationKey_.empty())
        return {};
    std::string path = "\\StringFileInfo\\" + translationKey_ + "\\" + key;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(versionData_.data(), path.c_str(), &value, &length) || !value)
        return {};
    // The length counts characters including the terminating NUL; never read past the block.
    const char* text = static_cast<const char*>(value);
    const char* end = versionData_.data() + versionData_.size();
    size_t available = text >= versionData_.data() && text < end ? end - text : 0;
    return StripAtNul(std::string_view(text, std::min<size_t>(length, available)));
}

}  // namespace portlight
