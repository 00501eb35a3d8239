#include "app/settings_store_win.h"

#include <windows.h>

#include "common/win32/handles_win.h"

namespace portlight {

namespace {

constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "Kestro - Portlight";

}  // namespace

std::string PrivateProfileStore::Read(const std::string& key, const std::string& fallback) {
    char buffer[255] = {};
    DWORD length = GetPrivateProfileStringA(section_.c_str(), key.c_str(), fallback.c_str(), buffer,
                                            sizeof buffer, path_.c_str());
    return std::string(buffer, length);
}

void PrivateProfileStore::Write(const std::string& key, const std::string& value) {
    WritePrivateProfileStringA(section_.c_str(), key.c_str(), value.c_str(), path_.c_str());
}

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    size_t slash = s.find_last_of('\\');
    return slash == std::string::npos ? std::string() : s.substr(0, slash);
}

std::string GetShortPath(const std::string& path) {
    char buffer[255] = {};
    DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    if (n >= sizeof buffer)
        return {};
    return std::string(buffer, n);
}

void ApplyStartWithWindows(bool startup, const std::string& programFolder) {
    win32::RegKey key;
    if (startup) {
        std::string shortPath = GetShortPath(programFolder + "\\portlight.exe");
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            key.out(), nullptr) == ERROR_SUCCESS)
            RegSetValueExA(key.get(), kRunValue, 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(shortPath.c_str()),
                           static_cast<DWORD>(shortPath.size() + 1));
    } else if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_WRITE, key.out()) ==
               ERROR_SUCCESS) {
        RegDeleteValueA(key.get(), kRunValue);
    }
}

}  // namespace portlight
