// VersionInfo: reads the version resource of a file (or of a module of this process) and
// offers its strings, translation and decoded fixed information.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/icon_grouping.h"

namespace portlight {

class VersionInfo {
  public:
    // Failures are recorded, never shown; what failed reads as empty text or 0.
    enum class Error {
        kNone = 0,
        kModuleHandle,    // "Unable to retrieve module handle."
        kModuleFileName,  // "Unable to retrieve module file name."
        kVersionData,     // "Unable to retrieve version information."
        kTranslation,     // "Unable to retrieve language and code page information."
        kFixedInfo,       // "Unable to retrieve fixed file version information."
    };
    struct Failure {
        Error number = Error::kNone;
        std::string source;       // "VersionInfo"
        std::string description;  // one of the messages above
    };
    static const char* ErrorText(Error error);

    void SetFileName(const std::string& fileName);
    const std::string& FileName() const { return fileName_; }
    void SetModuleName(const std::string& moduleName);
    const std::string& ModuleName() const { return moduleName_; }

    const std::string& TranslationKey() const { return translationKey_; }
    uint32_t Language() const;
    uint32_t CodePage() const;

    std::string CompanyName() const { return QueryStringValue("CompanyName"); }
    std::string FileDescription() const { return QueryStringValue("FileDescription"); }
    std::string FileVersion() const { return QueryStringValue("FileVersion"); }
    std::string InternalName() const { return QueryStringValue("InternalName"); }
    std::string LegalCopyright() const { return QueryStringValue("LegalCopyright"); }
    std::string OriginalFileName() const { return QueryStringValue("OriginalFileName"); }
    std::string ProductName() const { return QueryStringValue("ProductName"); }
    std::string ProductVersion() const { return QueryStringValue("ProductVersion"); }
    std::string LegalTrademarks() const { return QueryStringValue("LegalTrademarks"); }
    std::string LegalTrademarks1() const { return QueryStringValue("LegalTrademarks1"); }
    std::string LegalTrademarks2() const { return QueryStringValue("LegalTrademarks2"); }
    std::string Comments() const { return QueryStringValue("Comments"); }
    std::string PrivateBuild() const { return QueryStringValue("PrivateBuild"); }
    std::string SpecialBuild() const { return QueryStringValue("SpecialBuild"); }

    uint32_t FileFlagsRaw() const { return fixed_[7] & fixed_[6]; }
    std::string FileFlags() const;
    uint32_t FileOSRaw() const { return fixed_[8]; }
    std::string FileOS() const;
    uint32_t FileTypeRaw() const { return fixed_[9]; }
    std::string FileType() const;
    uint32_t FileSubTypeRaw() const { return fixed_[10]; }
    std::string FileSubType() const;

    // Every failure of the last load, in order.
    const std::vector<Failure>& Failures() const { return failures_; }

    // The string value `key` of the loaded translation; empty when missing.
    std::string QueryStringValue(const std::string& key) const;

  private:
    void LoadVersionData();
    void Record(Error error);

    std::string moduleName_;
    std::string fileName_;
    std::vector<char> versionData_;
    std::string translationKey_;
    // signature, structure version, file version high/low, product version high/low, flags
    // mask, flags, OS, type, subtype, date high/low
    uint32_t fixed_[13] = {};
    std::vector<Failure> failures_;
};

// The grouping's description reader: one VersionInfo reused for the whole walk.
class VersionFileDescriptions : public FileDescriptionSource {
  public:
    std::string FileDescription(const std::string& path) override {
        reader_.SetFileName(path);
        return reader_.FileDescription();
    }

  private:
    VersionInfo reader_;
};

}  // namespace portlight
