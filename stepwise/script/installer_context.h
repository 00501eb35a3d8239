// What start-up resolves and later steps read: the folder set, the script files' paths, the
// program-wide flags, and access to the setup script and language file.
#pragma once

#include <atomic>
#include <string>

#include "script/language.h"
#include "script/profile_source.h"

namespace stepwise {

struct FolderSet {
    std::string windowsFolder;
    std::string windowsDisk;   // "C:"
    std::string systemFolder;  // the "Shared DLLs" token
    std::string tempFolder;    // TempFolder, ends with a backslash
    std::string setupFolder;   // SetupFolder: the current directory, not the program's folder
    std::string programFiles;
    std::string commonFiles;
    std::string favorites;        // CSIDL 6
    std::string commonDocuments;  // CSIDL 46
    std::string myPictures;       // CSIDL 39
    std::string myMusic;          // CSIDL 13
    std::string sendTo;           // CSIDL 9
    std::string fonts;            // CSIDL 20
};

struct InstallerContext {
    FolderSet folders;
    std::string dataTagPath;
    std::string languageTagPath;
    std::string file1CabPath;
    std::string defaultInstallFolder;  // APPINFO "5" after token replacement
    std::string installFolder;         // starts equal; the destination page changes it

    bool previewMode = false;          // APPINFO "Preview" = "YES"
    bool languagePresent = false;      // language.tag exists in SetupFolder
    bool backgroundRequested = false;  // MAINWINDOW "BackGround" = "SIM"
    std::atomic<bool> backgroundShown{false};

    const ProfileSource* script = nullptr;    // data.tag
    const ProfileSource* language = nullptr;  // language.tag

    // A setup-script value, read now.
    std::string Read(const std::string& section,
                     const std::string& key,
                     std::size_t bufferSize = kValueBuffer) const {
        return script->Read(section, key, bufferSize);
    }
    std::string AppName() const { return Read("APPINFO", "1"); }
    // The text for language key `key`: the language file's when it exists, else built in.
    std::string Text(int key) const {
        return LanguageText(key, languagePresent, *language, AppName());
    }
};

}  // namespace stepwise
