#include "ticker/ticker_cache_win.h"

#include <windows.h>

#include <algorithm>

#include "common/win32/handles_win.h"

namespace portlight {

namespace {

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool WriteAll(HANDLE file, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file, text.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return FlushFileBuffers(file) != FALSE;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
    win32::KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    std::string text;
    char buffer[8192];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr))
            return std::nullopt;
        if (read == 0)
            return text;
        text.append(buffer, read);
    }
}

bool ReplaceFileContents(const std::string& target, const std::string& text) {
    char temp[MAX_PATH] = {};
    // Same folder, so the move is a rename on one volume and never a copy.
    if (!GetTempFileNameA(FolderOf(target).c_str(), "tkr", 0, temp))
        return false;
    bool written = false;
    {
        win32::KernelHandle file(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        written = file && WriteAll(file.get(), text);
    }
    if (written &&
        MoveFileExA(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temp);
    return false;
}

std::optional<std::string> FileTickerCache::Read() {
    return ReadWholeFile(path());
}

bool FileTickerCache::Replace(const std::string& text) {
    return ReplaceFileContents(path(), text);
}

}  // namespace portlight
