#include "install/installation.h"

#include "install/copy_rules.h"

namespace stepwise {

namespace {

constexpr std::size_t kIniBuffer = 120;       // INI entry values
constexpr std::size_t kShortcutBuffer = 100;  // FOLDER entry values

constexpr int kShowMaximized = 3;  // SW_SHOWMAXIMIZED
constexpr int kShowMinimized = 6;  // SW_MINIMIZE

std::string LogPathIn(const std::string& installFolder) {
    return installFolder + "\\install.log";
}

}  // namespace

std::string UninstallKey(const std::string& appName) {
    return "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + appName;
}

std::string UninstallCommand(const std::string& systemFolder, const std::string& installFolder) {
    return systemFolder + "\\wizuninst.exe \"" + LogPathIn(installFolder) + "\"";
}

std::string ProductKey(const std::string& company, const std::string& appName) {
    std::string key = "Software";
    if (!company.empty())
        key += "\\" + company;
    return key + "\\" + appName;
}

std::string FileNameOf(const std::string& path) {
    std::size_t at = path.find_last_of("\\/");
    return at == std::string::npos ? path : path.substr(at + 1);
}

Installation::Installation(InstallationInput input,
                           InstallSystem& system,
                           InstallationProgress& progress,
                           std::function<bool()> shouldStop)
    : input_(std::move(input)),
      system_(system),
      progress_(progress),
      shouldStop_(std::move(shouldStop)),
      log_(system, LogPathIn(input_.tokens.installFolder), input_.systemFolder) {}

std::string Installation::Read(const std::string& section,
                               const std::string& key,
                               std::size_t size) const {
    return input_.script->Read(section, key, size);
}

std::string Installation::Expand(const std::string& text) const {
    return ExpandTokens(text, input_.tokens).text;
}

void Installation::Fail(const std::string& item) {
    failures_.push_back(item);
}

void Installation::CreateFolderLevels(const std::string& path) {
    // Every level is created before any is recorded: the first levels recorded are those of
    // the installation folder, which holds install.log and must exist for the line to land.
    std::vector<std::string> levels = levels_.NewLevelsFor(path);
    for (const std::string& level : levels)
        system_.CreateFolder(level);  // an existing folder is not an error
    for (const std::string& level : levels)
        log_.RecordFolder(level + "\\");
}

bool Installation::Run() {
    total_ = ReadCount(*input_.script, "FILES");
    range_ = total_;
    progress_.SetBar(0, range_);

    CreateFolderLevels(input_.tokens.installFolder + "\\");

    int downloadCount = CountDownloadEntries(*input_.script);
    if (downloadCount > 0) {
        range_ = total_ + downloadCount;
        progress_.SetBar(0, range_);
    }

    if (!input_.previewMode && !CopyFiles())
        return false;

    // Written whether or not downloads follow: the download path would otherwise lack them.
    WriteEnvironment();
    if (input_.previewMode)
        return true;
    if (shouldStop_())
        return false;
    FetchDownloads();
    if (shouldStop_())
        return false;
    FinalSteps();
    return !shouldStop_();
}

bool Installation::CopyFiles() {
    std::vector<CopyEntry> list =
        BuildCopyList(*input_.script, input_.tempFolder, input_.tokens,
                      SelectionFor(input_.setupType, *input_.script, input_.customSelection));
    for (const CopyEntry& entry : list)
        CreateFolderLevels(entry.destination);

    for (std::size_t i = 0; i < list.size(); ++i) {
        if (shouldStop_())
            return false;
        copied_ = static_cast<int>(i);
        const CopyEntry& entry = list[i];
        progress_.SetBar(static_cast<int>(i), range_);
        progress_.SetCurrentFile(entry.destination);
        if (IsDownloadName(entry.name)) {
            std::size_t cut =
                entry.destination.find(entry.name.substr(0, 3) == "ftp" ? "ftp" : "http");
            std::string folder = entry.destination.substr(0, cut);
            if (!folder.empty() && folder.back() == '\\')
                folder.pop_back();
            downloads_.push_back({entry.address, folder});
            continue;
        }
        progress_.SetStatus("Copying Files...");
        CopyEntryFiles(entry);
    }
    return true;
}

void Installation::FetchDownloads() {
    if (downloads_.empty() || !fetcher_)
        return;
    // Downloaded files are logged like copied ones, so the uninstaller removes them too.
    for (const std::string& path : fetcher_({downloads_, copied_, range_}))
        log_.RecordFile(path);
}

void Installation::CopyEntryFiles(const CopyEntry& entry) {
    if (entry.kind == DestinationKind::None)
        return;
    const std::string section = KindName(entry.kind);
    const bool exists = system_.FileExists(entry.destination);
    CopyDecision decision =
        DecideCopy(entry.kind, entry.destination, exists, Read(section, "3", kValueBuffer),
                   Read(section, "4", kValueBuffer));
    bool copy = decision.copy;
    if (copy && decision.needsVersions)
        copy = SourceIsNewer(system_.FileVersion(entry.source),
                             system_.FileVersion(entry.destination));
    if (copy) {
        bool copied = system_.CopyTo(entry.source, entry.destination, decision.replace);
        // Without permission to replace, an existing destination staying is the rule.
        if (!copied && (decision.replace || !exists))
            Fail(entry.destination);
        if (decision.registerAfterCopy && !system_.Register(entry.destination))
            Fail("regsvr32 " + entry.destination);
    }
    if (decision.registerFile && !system_.Register(entry.destination))
        Fail("regsvr32 " + entry.destination);
    log_.RecordFile(entry.destination);
}

void Installation::WriteEnvironment() {
    int total = ReadCount(*input_.script, "ENVIR");
    bool written = false;
    for (int i = 0; i < total; ++i) {
        std::string n = std::to_string(i);
        std::string name = Read("ENVIR", "A" + n, kValueBuffer);
        std::string value = Expand(Read("ENVIR", "B" + n, kValueBuffer));
        std::string scope = Read("ENVIR", "C" + n, kValueBuffer);
        if (scope == "User")
            written |= system_.SetEnvironmentValue(EnvironmentScope::User, name, value);
        else if (scope == "System")
            written |= system_.SetEnvironmentValue(EnvironmentScope::System, name, value);
    }
    if (written)
        system_.AnnounceEnvironment();
}

void Installation::FinalSteps() {
    const std::string& installFolder = input_.tokens.installFolder;
    progress_.SetBar(total_, range_);

    std::string uninstaller = input_.systemFolder + "\\wizuninst.exe";
    if (!system_.CopyTo(input_.tempFolder + "wizuninst.exe", uninstaller, true))
        Fail(uninstaller);
    log_.RecordUnwritten(uninstaller);
    if (shouldStop_())
        return;

    CreateShortcuts();
    if (shouldStop_())
        return;

    std::string appName = Read("APPINFO", "1", kValueBuffer);
    std::string uninstallKey = UninstallKey(appName);
    log_.Write("UNINSTALL", "PATH", uninstallKey);
    system_.WriteMachineValues(
        uninstallKey, {{"DisplayName", appName},
                       {"UninstallString", UninstallCommand(input_.systemFolder, installFolder)}});

    for (const char* key : {"PATH1", "PATH2", "PATH3", "PATH4"})
        log_.Write("CAMINHO", key, "");
    log_.Write("RTYPE", "VELMIRA", "NAO");

    std::string scriptCopy = installFolder + "\\data.tag";
    if (!system_.CopyTo(input_.dataTagPath, scriptCopy, true))
        Fail(scriptCopy);
    log_.RecordFile(scriptCopy);

    WriteIniEntries();
    WriteRegistryValues();
}

void Installation::CreateShortcuts() {
    int total = ReadCount(*input_.script, "FOLDER");
    if (total == 0)
        return;
    std::string appName = Read("APPINFO", "1", kValueBuffer);
    std::string group = input_.shortcuts.programs + "\\" + appName;
    system_.CreateFolder(group);
    log_.RecordFolder(group + "\\");
    for (int i = 0; i < total; ++i)
        CreateShortcut(i, group);
    system_.OpenFolder(group);
    log_.RecordFile(group + "\\");
}

void Installation::CreateShortcut(int i, const std::string& group) {
    std::string n = std::to_string(i);
    std::string name = Read("FOLDER", "A" + n, kShortcutBuffer);
    std::string location = Read("FOLDER", "B" + n, kShortcutBuffer);
    std::string state = Read("FOLDER", "C" + n, kShortcutBuffer);
    std::string target = Read("FOLDER", "D" + n, kShortcutBuffer);
    std::string working = Read("FOLDER", "E" + n, kShortcutBuffer);

    std::string wanted = LowerCase(FileNameOf(target));
    std::string installed;
    const std::vector<std::string>& files = log_.installedFiles();
    for (int k = 0; k < log_.count() && k < static_cast<int>(files.size()); ++k) {
        if (LowerCase(FileNameOf(files[k])) == wanted) {
            installed = files[k];
            break;
        }
    }
    if (installed.empty())
        return;  // the target was not installed, e.g. not selected

    const ShortcutFolders& f = input_.shortcuts;
    if (location == "Favorites Folder") {
        std::string path = f.favorites + "\\" + name + ".url";
        if (!system_.CreateInternetShortcut(path, installed))
            Fail(path);
        log_.RecordFile(path);
        return;
    }

    ShellLink link;
    if (location == "Programs Menu Folder")
        link.path = f.programs + "\\" + FileNameOf(group) + "\\" + name + ".lnk";
    else if (location == "Active Desktop Folder")
        link.path = f.appData + "\\Microsoft\\Internet Explorer\\Quick Launch\\" + name + ".lnk";
    else if (location == "Start Menu Folder")
        link.path = f.startMenu + "\\" + name + ".lnk";
    else if (location == "Desktop Folder")
        link.path = f.desktop + "\\" + name + ".lnk";
    else if (location == "Startup Folder")
        link.path = f.startup + "\\" + name + ".lnk";
    else {
        Fail(name + " (" + location + ")");
        return;
    }
    link.target = installed;
    if (state == "Maximized")
        link.showCommand = kShowMaximized;
    else if (state == "Minimized")
        link.showCommand = kShowMinimized;
    link.workingFolder = Expand(working);
    if (location == "Programs Menu Folder" &&
        installed.find("wizuninst.exe") != std::string::npos) {
        link.target = input_.systemFolder + "\\wizuninst.exe";
        link.arguments = "\"" + LogPathIn(input_.tokens.installFolder) + "\"";
    }
    if (!system_.CreateShellLink(link))
        Fail(link.path);
    log_.RecordFile(link.path);
}

void Installation::WriteIniEntries() {
    int total = ReadCount(*input_.script, "INI");
    for (int i = 0; i < total; ++i) {
        std::string n = std::to_string(i);
        std::string section = Read("INI", "N1" + n, kIniBuffer);
        std::string key = Read("INI", "N2" + n, kIniBuffer);
        std::string value = Expand(Read("INI", "N3" + n, kIniBuffer));
        std::string file = Read("INI", "N4" + n, kIniBuffer);
        std::string path = Expand(Read("INI", "N5" + n, kIniBuffer)) + "\\" + file;
        system_.WriteProfileValue(path, section, key, value);
        log_.RecordFile(path);
    }
}

void Installation::WriteRegistryValues() {
    std::string appName = Read("APPINFO", "1", kValueBuffer);
    std::string key = ProductKey(Read("APPINFO", "4", kValueBuffer), appName);
    std::vector<std::pair<std::string, std::string>> values = {
        {"PATH", input_.tokens.installFolder}, {"VERSION", Read("APPINFO", "3", kValueBuffer)}};
    if (!input_.userName.empty())
        values.emplace_back("NAME", input_.userName);
    if (!input_.company.empty())
        values.emplace_back("COMPANY", input_.company);
    system_.WriteMachineValues(key, values);
    log_.Write("REGISTRY", "PATH", key);
}

}  // namespace stepwise
