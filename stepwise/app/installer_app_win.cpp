#include "app/installer_app_win.h"

#include <commctrl.h>

#include "extract/preparing_dialog_win.h"
#include "install/installation_runner_win.h"
#include "script/background_window_win.h"
#include "script/folder_rules.h"
#include "script/folder_set_win.h"
#include "script/machine_win.h"
#include "wizard/wizard_dialog_win.h"

namespace stepwise {

namespace {

// A file left by an earlier run may carry the read-only attribute from its cabinet.
void DeleteLeftover(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

}  // namespace

bool InstallerApp::Start() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    if (!ResolveFoldersAndScript([](const std::string& text) { ShowMessage(nullptr, text); }))
        return false;

    if (RunPreparingDialog(instance_, context_) != IDOK)
        return false;

    if (!RunChecks())
        return false;
    InstallationRunner installation(context_);
    RunWizardDialog(instance_, context_, installation);
    return true;
}

bool InstallerApp::ResolveFoldersAndScript(const std::function<void(const std::string&)>& report) {
    FolderSet& folders = context_.folders;
    ResolveBaseFolders(folders);
    DeleteLeftover(folders.tempFolder + "readme.txt");
    DeleteLeftover(folders.tempFolder + "license.txt");

    folders.setupFolder = CurrentFolder();
    context_.dataTagPath = ScriptFilePath(folders.setupFolder, "data.tag");
    context_.file1CabPath = ScriptFilePath(folders.setupFolder, "file1.cab");
    context_.languageTagPath = ScriptFilePath(folders.setupFolder, "language.tag");
    script_ = std::make_unique<PrivateProfileFile>(context_.dataTagPath);
    language_ = std::make_unique<PrivateProfileFile>(context_.languageTagPath);
    context_.script = script_.get();
    context_.language = language_.get();
    if (!FileExists(context_.dataTagPath)) {
        report("Data file not found...");
        return false;
    }

    std::string appInfo5 = context_.Read("APPINFO", "5", kPathBuffer);
    context_.previewMode = context_.Read("APPINFO", "Preview", kFlagBuffer) == "YES";
    context_.backgroundRequested = context_.Read("MAINWINDOW", "BackGround", kFlagBuffer) == "SIM";
    context_.languagePresent = FileExists(context_.languageTagPath);
    ResolveProgramFolders(folders);
    if (folders.programFiles.empty()) {
        report("You don't have permission to run setup in this computer...");
        return false;
    }

    FolderTokens tokens{folders.windowsFolder, folders.windowsDisk, folders.systemFolder,
                        folders.programFiles, folders.commonFiles};
    context_.defaultInstallFolder = DefaultInstallFolderFrom(appInfo5, tokens);
    context_.installFolder = context_.defaultInstallFolder;

    ResolveShellFolders(folders);
    return true;
}

bool InstallerApp::RunChecks() {
    // The message boxes are owned by the topmost background window so they stay above it.
    HWND owner = nullptr;
    if (context_.backgroundRequested) {
        background_ = std::make_unique<BackgroundWindow>(context_);
        if (background_->Create(instance_)) {
            context_.backgroundShown = true;
            owner = background_->hwnd();
        }
    }
    if (!RunPlatformCheck(context_, owner))
        return false;
    RunMachineWarnings(context_, owner);
    return true;
}

}  // namespace stepwise
