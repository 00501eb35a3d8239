#include "script/folder_set_win.h"

#include <windows.h>

#include <shlobj.h>

#include "common/win32/handles_win.h"
#include "script/folder_rules.h"

namespace stepwise {

void ResolveBaseFolders(FolderSet& folders) {
    char path[MAX_PATH + 1] = {};
    UINT n = GetWindowsDirectoryA(path, sizeof path);
    folders.windowsFolder.assign(path, n < sizeof path ? n : 0);
    folders.windowsDisk = WindowsDiskOf(folders.windowsFolder);
    char temp[MAX_PATH + 1] = {};
    DWORD t = GetTempPathA(sizeof temp, temp);
    folders.tempFolder =
        TempFolderFrom(std::string(temp, t < sizeof temp ? t : 0), folders.windowsFolder);
}

std::string CurrentFolder() {
    char path[MAX_PATH + 1] = {};
    DWORD n = GetCurrentDirectoryA(sizeof path, path);
    return std::string(path, n < sizeof path ? n : 0);
}

std::string CurrentVersionValue(const char* name) {
    win32::RegKey key;
    // Read access is enough; asking for full access fails for users without administrator
    // rights and would hide a value they can read.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_READ, key.out()) != ERROR_SUCCESS)
        return "";
    char value[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return "";
    return value;
}

std::string EnvironmentValue(const char* name) {
    char value[MAX_PATH + 1] = {};
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n < sizeof value ? std::string(value, n) : std::string();
}

void ResolveProgramFolders(FolderSet& folders) {
    char path[MAX_PATH + 1] = {};
    UINT n = GetSystemDirectoryA(path, sizeof path);
    folders.systemFolder.assign(path, n < sizeof path ? n : 0);
    folders.programFiles = CurrentVersionValue("ProgramFilesDir");
    if (folders.programFiles.empty())
        folders.programFiles = EnvironmentValue("PROGRAMFILES");
    folders.commonFiles = CurrentVersionValue("CommonFilesDir");
}

namespace {

std::string ShellFolder(int csidl) {
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) || !list)
        return "";
    char path[MAX_PATH + 1] = {};
    BOOL ok = SHGetPathFromIDListA(list, path);
    CoTaskMemFree(list);
    return ok ? path : "";
}

}  // namespace

void ResolveShellFolders(FolderSet& folders) {
    folders.favorites = ShellFolder(CSIDL_FAVORITES);
    folders.commonDocuments = ShellFolder(CSIDL_COMMON_DOCUMENTS);
    folders.myPictures = ShellFolder(CSIDL_MYPICTURES);
    folders.myMusic = ShellFolder(CSIDL_MYMUSIC);
    folders.sendTo = ShellFolder(CSIDL_SENDTO);
    folders.fonts = ShellFolder(CSIDL_FONTS);
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace stepwise
