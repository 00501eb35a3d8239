#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>

#include "common/win32/handles_win.h"
#include "tool/file_system.h"

namespace cabtool {
namespace {

constexpr uint16_t kStoredAttributeMask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                          FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

}  // namespace

FileFacts Inspect(const std::string& path) {
    FileFacts facts;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return facts;
    facts.exists = true;
    facts.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    FILETIME local;
    WORD date = 0, time = 0;
    if (FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) &&
        FileTimeToDosDateTime(&local, &date, &time)) {
        facts.date = date;
        facts.time = time;
    }
    facts.attributes = static_cast<uint16_t>(data.dwFileAttributes & kStoredAttributeMask);
    return facts;
}

bool ApplyStoredFacts(const std::string& path, uint16_t date, uint16_t time, uint16_t attributes) {
    bool ok = true;
    FILETIME local, utc;
    // Like the installer: creation and last-write time from the stored local time, skipped
    // when the stamp does not convert.
    if (DosDateTimeToFileTime(date, time, &local) && LocalFileTimeToFileTime(&local, &utc)) {
        win32::KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                             FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        ok = file.valid() && SetFileTime(file.get(), &utc, nullptr, &utc);
    }
    DWORD wanted = attributes & kStoredAttributeMask;
    if (!SetFileAttributesA(path.c_str(), wanted ? wanted : FILE_ATTRIBUTE_NORMAL))
        ok = false;
    return ok;
}

void MakePlain(const std::string& path) {
    constexpr DWORD kInTheWay =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    DWORD a = GetFileAttributesA(path.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY) && (a & kInTheWay))
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

bool MoveIntoPlace(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::FILE* CreateNewFile(const std::string& path) {
    // The C runtime's descriptor owns the file from here on: fclose ends it.
    const int fd =
        _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* file = _fdopen(fd, "wb");
    if (!file) {
        _close(fd);
        DeleteFileA(path.c_str());
    }
    return file;
}

bool MakeParentDirectories(const std::string& path) {
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] != '/' && path[i] != '\\')
            continue;
        if (i == 2 && path[1] == ':')
            continue;  // "C:\"
        std::string dir = path.substr(0, i);
        if (!CreateDirectoryA(dir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

bool LocalName(const std::string& stored, bool storedAsUtf8, std::string* local) {
    local->clear();
    if (!storedAsUtf8 || stored.empty()) {
        *local = stored;
        return true;
    }
    int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, stored.data(),
                                   static_cast<int>(stored.size()), nullptr, 0);
    if (wide <= 0)
        return false;
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, stored.data(), static_cast<int>(stored.size()), w.data(), wide);
    // Best-fit would map full-width letters to ASCII ones, so a checked name could become a
    // device name such as CON after the check: convert exactly or not at all.
    BOOL lossy = FALSE;
    int ansi = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), wide, nullptr, 0,
                                   nullptr, &lossy);
    if (ansi <= 0 || lossy)
        return false;
    std::string out(static_cast<size_t>(ansi), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), wide, out.data(), ansi, nullptr,
                        &lossy);
    if (lossy)
        return false;
    *local = std::move(out);
    return true;
}

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    win32::FindHandle find(FindFirstFileA((path + "\\*").c_str(), &found));
    if (!find)
        return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find.get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace cabtool
