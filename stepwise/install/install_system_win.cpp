#include "install/install_system_win.h"

#include <intshcut.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <vector>

#include "common/win32/com_win.h"
#include "common/win32/handles_win.h"

namespace stepwise {

namespace {

constexpr std::size_t kVersionChars = 250;  // the installer reads at most this much
constexpr UINT kAnnounceTimeoutMs = 5000;   // per window; a hung window is skipped at once

// The classes and interfaces by their numbers, so no import library has to carry them.
constexpr CLSID kShellLinkClass = {0x00021401,
                                   0x0000,
                                   0x0000,
                                   {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kShellLinkA = {0x000214EE,
                             0x0000,
                             0x0000,
                             {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr CLSID kInternetShortcutClass = {0xFBF23B40,
                                          0xE3F0,
                                          0x101B,
                                          {0x84, 0x88, 0x00, 0xAA, 0x00, 0x3E, 0x56, 0xF8}};
constexpr IID kUniformResourceLocatorA = {0xFBF23B80,
                                          0xE3F0,
                                          0x101B,
                                          {0x84, 0x88, 0x00, 0xAA, 0x00, 0x3E, 0x56, 0xF8}};
constexpr IID kPersistFile = {0x0000010B,
                              0x0000,
                              0x0000,
                              {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

std::wstring Wide(const std::string& text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(n > 0 ? n : 1, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
    return wide;  // with its terminator inside, as the persist call wants a C string
}

bool SaveThrough(IUnknown* object, const std::string& path) {
    win32::ComPtr<IPersistFile> file;
    if (FAILED(object->QueryInterface(kPersistFile, file.out())))
        return false;
    return SUCCEEDED(file->Save(Wide(path).c_str(), TRUE));
}

bool SetString(HKEY key, const std::string& name, const std::string& value) {
    return RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace

bool OpenOrCreateKey(HKEY root, const std::string& key, HKEY* result) {
    win32::RegKey current;
    HKEY parent = root;
    std::size_t from = 0;
    while (from <= key.size()) {
        std::size_t at = key.find('\\', from);
        std::string level =
            key.substr(from, at == std::string::npos ? std::string::npos : at - from);
        win32::RegKey next;
        if (!level.empty() &&
            RegOpenKeyExA(parent, level.c_str(), 0, KEY_ALL_ACCESS, next.out()) != ERROR_SUCCESS &&
            RegCreateKeyExA(parent, level.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            next.out(), nullptr) != ERROR_SUCCESS)
            return false;
        if (next) {
            current = std::move(next);
            parent = current.get();
        }
        if (at == std::string::npos)
            break;
        from = at + 1;
    }
    if (!current)
        return false;
    *result = current.release();
    return true;
}

bool WindowsInstallSystem::CreateFolder(const std::string& path) {
    CreateDirectoryA(path.c_str(), nullptr);
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WindowsInstallSystem::FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WindowsInstallSystem::CopyTo(const std::string& from, const std::string& to, bool replace) {
    return CopyFileA(from.c_str(), to.c_str(), replace ? FALSE : TRUE) != FALSE;
}

std::optional<std::string> ReadFileVersionString(const std::string& path) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
        return std::nullopt;
    char query[64];
    void* translation = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation, &length) &&
        length == 4) {
        const auto* pair = static_cast<const WORD*>(translation);
        std::snprintf(query, sizeof query, "\\StringFileInfo\\%02X%02X%02X%02X\\FileVersion",
                      pair[0] >> 8, pair[0] & 0xFF, pair[1] >> 8, pair[1] & 0xFF);
    } else {
        std::snprintf(query, sizeof query, "\\StringFileInfo\\%04X04B0\\FileVersion",
                      GetUserDefaultLangID());
    }
    void* text = nullptr;
    if (!VerQueryValueA(block.data(), query, &text, &length) || !text)
        return std::nullopt;
    std::string version(static_cast<const char*>(text));
    if (version.size() > kVersionChars)
        version.resize(kVersionChars);
    return version;
}

std::optional<std::string> WindowsInstallSystem::FileVersion(const std::string& path) {
    return ReadFileVersionString(path);
}

bool WindowsInstallSystem::Register(const std::string& path) {
    std::string command = "regsvr32.exe /s \"" + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    // Not waited for: the registration runs on its own and its result is not read.
    win32::KernelHandle ownedProcess(process.hProcess);
    win32::KernelHandle ownedThread(process.hThread);
    return true;
}

bool WindowsInstallSystem::WriteProfileValue(const std::string& file,
                                             const std::string& section,
                                             const std::string& key,
                                             const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
           FALSE;
}

bool WindowsInstallSystem::SetEnvironmentValue(EnvironmentScope scope,
                                               const std::string& name,
                                               const std::string& value) {
    HKEY root = scope == EnvironmentScope::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    const char* path = scope == EnvironmentScope::User
                           ? "Environment"
                           : "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
    win32::RegKey key;
    if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.out(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return SetString(key.get(), name, value);
}

void WindowsInstallSystem::AnnounceEnvironment() {
    // A broadcast send; SMTO_ABORTIFHUNG skips a frozen window instead of waiting on it.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                        reinterpret_cast<LPARAM>("Environment"), SMTO_ABORTIFHUNG,
                        kAnnounceTimeoutMs, &ignored);
}

bool WindowsInstallSystem::WriteMachineValues(
    const std::string& key,
    const std::vector<std::pair<std::string, std::string>>& values) {
    win32::RegKey opened;
    if (!OpenOrCreateKey(HKEY_LOCAL_MACHINE, key, opened.out()))
        return false;
    bool all = true;
    for (const auto& [name, value] : values)
        all &= SetString(opened.get(), name, value);
    return all;
}

bool WindowsInstallSystem::CreateShellLink(const ShellLink& link) {
    win32::ComPtr<IShellLinkA> shell;
    if (FAILED(CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkA,
                                shell.out())))
        return false;
    shell->SetPath(link.target.c_str());
    if (!link.arguments.empty())
        shell->SetArguments(link.arguments.c_str());
    if (link.showCommand != 0)
        shell->SetShowCmd(link.showCommand);
    shell->SetWorkingDirectory(link.workingFolder.c_str());
    return SaveThrough(shell.get(), link.path);
}

bool WindowsInstallSystem::CreateInternetShortcut(const std::string& path,
                                                  const std::string& address) {
    win32::ComPtr<IUniformResourceLocatorA> url;
    if (FAILED(CoCreateInstance(kInternetShortcutClass, nullptr, CLSCTX_INPROC_SERVER,
                                kUniformResourceLocatorA, url.out())))
        return false;
    if (FAILED(url->SetURL(address.c_str(), 0)))
        return false;
    return SaveThrough(url.get(), path);
}

void WindowsInstallSystem::OpenFolder(const std::string& path) {
    ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace stepwise
