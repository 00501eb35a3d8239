#include "uninstall/uninstall_machine_win.h"

#include <shlobj.h>
#include <windows.h>

#include "common/win32/handles_win.h"
#include "uninstall/install_log.h"

namespace stepwise {
namespace {

// A program group is a shallow folder of shortcuts; deeper nesting is a link loop or not ours.
constexpr int kMaxTreeDepth = 32;

constexpr const char* kUninstallList = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

RemoveOutcome FromError(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return RemoveOutcome::Missing;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            return RemoveOutcome::InUse;
        case ERROR_ACCESS_DENIED:
            return RemoveOutcome::AccessDenied;
        case ERROR_DIR_NOT_EMPTY:
            return RemoveOutcome::NotEmpty;
        default:
            return RemoveOutcome::Failed;
    }
}

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return "";
    return path;
}

std::string Environment(const char* name) {
    char value[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA(name, value, MAX_PATH);
    return (length == 0 || length >= MAX_PATH) ? std::string() : std::string(value, length);
}

void AddFolder(std::vector<std::string>& list, const std::string& path) {
    if (!path.empty())
        list.push_back(CanonicalPath(path));
}

RemoveOutcome DeleteOneFile(const std::string& path, DWORD attributes) {
    // A read-only file would refuse deletion; the attribute is put back if the delete fails.
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (DeleteFileA(path.c_str()))
        return RemoveOutcome::Removed;
    DWORD error = GetLastError();
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path.c_str(), attributes);
    return FromError(error);
}

RemoveOutcome DeleteTreeAt(const std::string& folder,
                           int depth,
                           std::vector<std::pair<std::string, RemoveOutcome>>& stuck) {
    if (depth > kMaxTreeDepth)
        return RemoveOutcome::Failed;
    WIN32_FIND_DATAA found;
    win32::FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!find) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return RemoveOutcome::Missing;
    } else {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            DWORD attributes = found.dwFileAttributes;
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                DeleteTreeAt(path, depth + 1, stuck);
            } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                // A junction or folder link: the link goes, never what it points at.
                if (!RemoveDirectoryA(path.c_str()))
                    stuck.push_back({path + "\\", FromError(GetLastError())});
            } else {
                RemoveOutcome outcome = DeleteOneFile(path, attributes);
                if (outcome != RemoveOutcome::Removed && outcome != RemoveOutcome::Missing)
                    stuck.push_back({path, outcome});
            }
        } while (FindNextFileA(find.get(), &found));
    }
    find.reset();  // a folder with an open search handle cannot be removed
    if (RemoveDirectoryA(folder.c_str()))
        return RemoveOutcome::Removed;
    return FromError(GetLastError());
}

}  // namespace

std::string CanonicalPath(const std::string& path) {
    std::string result = path;
    char full[MAX_PATH] = {};
    DWORD length = GetLongPathNameA(path.c_str(), full, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        result.assign(full, length);
        // A logged folder keeps its trailing backslash: it tells folders from files.
        if (!path.empty() && path.back() == '\\' && result.back() != '\\')
            result += '\\';
    }
    if (!result.empty())
        CharLowerBuffA(result.data(), static_cast<DWORD>(result.size()));
    return result;
}

MachineFolders ReadMachineFolders() {
    MachineFolders machine;
    char buffer[MAX_PATH] = {};
    UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        machine.windows = CanonicalPath(std::string(buffer, length));
    length = GetSystemDirectoryA(buffer, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        AddFolder(machine.system, std::string(buffer, length));
    // A 32-bit program on 64-bit Windows sees System32 redirected to this folder.
    length = GetSystemWow64DirectoryA(buffer, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        AddFolder(machine.system, std::string(buffer, length));
    AddFolder(machine.system, ShellFolder(CSIDL_SYSTEMX86));

    AddFolder(machine.programs, ShellFolder(CSIDL_PROGRAMS));
    AddFolder(machine.programs, ShellFolder(CSIDL_COMMON_PROGRAMS));

    static const int kStandard[] = {
        CSIDL_PROGRAM_FILES,
        CSIDL_PROGRAM_FILESX86,
        CSIDL_PROGRAM_FILES_COMMON,
        CSIDL_PROGRAM_FILES_COMMONX86,
        CSIDL_STARTMENU,
        CSIDL_COMMON_STARTMENU,
        CSIDL_STARTUP,
        CSIDL_COMMON_STARTUP,
        CSIDL_DESKTOPDIRECTORY,
        CSIDL_COMMON_DESKTOPDIRECTORY,
        CSIDL_FAVORITES,
        CSIDL_COMMON_FAVORITES,
        CSIDL_APPDATA,
        CSIDL_LOCAL_APPDATA,
        CSIDL_COMMON_APPDATA,
        CSIDL_PERSONAL,
        CSIDL_COMMON_DOCUMENTS,
        CSIDL_MYPICTURES,
        CSIDL_COMMON_PICTURES,
        CSIDL_MYMUSIC,
        CSIDL_COMMON_MUSIC,
        CSIDL_MYVIDEO,
        CSIDL_COMMON_VIDEO,
        CSIDL_SENDTO,
        CSIDL_FONTS,
        CSIDL_PROFILE,
        CSIDL_TEMPLATES,
        CSIDL_COMMON_TEMPLATES,
        CSIDL_RECENT,
        CSIDL_NETHOOD,
        CSIDL_PRINTHOOD,
        CSIDL_COOKIES,
        CSIDL_INTERNET_CACHE,
        CSIDL_HISTORY,
        CSIDL_ADMINTOOLS,
        CSIDL_COMMON_ADMINTOOLS,
        CSIDL_RESOURCES,
        CSIDL_WINDOWS,
    };
    for (int csidl : kStandard)
        AddFolder(machine.standard, ShellFolder(csidl));
    std::string appData = ShellFolder(CSIDL_APPDATA);
    if (!appData.empty())
        AddFolder(machine.standard, appData + "\\Microsoft\\Internet Explorer\\Quick Launch");
    // The 64-bit Program Files folders, which a 32-bit program's shell calls do not name.
    AddFolder(machine.standard, Environment("ProgramW6432"));
    AddFolder(machine.standard, Environment("CommonProgramW6432"));
    length = GetTempPathA(MAX_PATH, buffer);
    if (length > 0 && length < MAX_PATH)
        AddFolder(machine.standard, std::string(buffer, length));
    return machine;
}

std::optional<std::string> ReadLogFile(const std::string& path, std::string& error) {
    win32::KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = "The installation log " + path + " cannot be opened.";
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) ||
        static_cast<unsigned long long>(size.QuadPart) > kMaxInstallLogBytes) {
        error = "The file " + path + " is too large to be an installation log.";
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD read = 0;
        if (!ReadFile(file.get(), text.data() + done, static_cast<DWORD>(text.size() - done), &read,
                      nullptr) ||
            read == 0)
            break;
        done += read;
    }
    text.resize(done);  // a log cut short while read still gives its first part
    return text;
}

std::vector<std::string> InstalledUninstallStrings() {
    std::vector<std::string> commands;
    win32::RegKey list;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallList, 0, KEY_READ, list.out()) != ERROR_SUCCESS)
        return commands;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof name;
        LONG status =
            RegEnumKeyExA(list.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS)
            continue;
        win32::RegKey entry;
        if (RegOpenKeyExA(list.get(), name, 0, KEY_QUERY_VALUE, entry.out()) != ERROR_SUCCESS)
            continue;
        char value[1024] = {};
        DWORD type = 0;
        DWORD size = sizeof value - 1;
        if (RegQueryValueExA(entry.get(), "UninstallString", nullptr, &type,
                             reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ))
            commands.emplace_back(value);
    }
    return commands;
}

RemoveOutcome MachineTarget::RemoveFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FromError(GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return RemoveOutcome::Failed;  // the log names a file here, not a folder
    return DeleteOneFile(path, attributes);
}

RemoveOutcome MachineTarget::DeleteTree(const std::string& folder,
                                        std::vector<std::pair<std::string, RemoveOutcome>>& stuck) {
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FromError(GetLastError());
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return RemoveOutcome::Failed;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return RemoveDirectoryA(folder.c_str()) ? RemoveOutcome::Removed
                                                : FromError(GetLastError());
    return DeleteTreeAt(folder, 0, stuck);
}

RemoveOutcome MachineTarget::RemoveEmptyFolder(const std::string& folder) {
    if (RemoveDirectoryA(folder.c_str()))
        return RemoveOutcome::Removed;
    DWORD error = GetLastError();
    // Some file systems answer access denied for a folder that still holds files.
    if (error == ERROR_ACCESS_DENIED) {
        WIN32_FIND_DATAA found;
        win32::FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &found));
        if (find) {
            do {
                std::string name = found.cFileName;
                if (name != "." && name != "..")
                    return RemoveOutcome::NotEmpty;
            } while (FindNextFileA(find.get(), &found));
        }
    }
    return FromError(error);
}

RemoveOutcome MachineTarget::DeleteKeyTree(const std::string& key) {
    LONG status = RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
    if (status == ERROR_FILE_NOT_FOUND)
        return RemoveOutcome::Missing;
    if (status != ERROR_SUCCESS)
        return FromError(static_cast<DWORD>(status));
    // Older systems empty the key but keep it: remove the emptied key itself.
    status = RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND)
        return RemoveOutcome::Removed;
    return FromError(static_cast<DWORD>(status));
}

RemoveOutcome MachineTarget::DeleteKeyIfEmpty(const std::string& key) {
    DWORD subkeys = 0;
    DWORD values = 0;
    {
        win32::RegKey opened;
        LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, opened.out());
        if (status != ERROR_SUCCESS)
            return FromError(static_cast<DWORD>(status));
        if (RegQueryInfoKeyA(opened.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return RemoveOutcome::Failed;
    }
    if (subkeys != 0 || values != 0)
        return RemoveOutcome::NotEmpty;
    LONG status = RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    return status == ERROR_SUCCESS ? RemoveOutcome::Removed : FromError(static_cast<DWORD>(status));
}

}  // namespace stepwise
