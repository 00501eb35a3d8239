#include "capture/process_system_win.h"

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include "capture/module_path.h"
#include "common/win32/handles_win.h"

namespace portlight {

namespace {

// Access rights of the module-path read: PROCESS_QUERY_INFORMATION | PROCESS_VM_READ.
constexpr DWORD kModuleReadAccess = 0x0410;
// PROCESS_QUERY_LIMITED_INFORMATION: granted for most processes of other users and for
// protected processes, where the full rights are refused.
constexpr DWORD kLimitedQueryAccess = 0x1000;
// Room for 50 module handles; only the first (the executable) is read.
constexpr DWORD kModuleListBytes = 200;
// A process list past this many ids is not a real one; stops a misbehaving call from
// growing the buffer forever.
constexpr size_t kMaxProcessIds = 1 << 20;

using QueryFullProcessImageNameAFn = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);

// Resolved once: the call is missing before Vista.
QueryFullProcessImageNameAFn QueryFullProcessImageNameAPtr() {
    static const QueryFullProcessImageNameAFn fn = [] {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        return kernel ? reinterpret_cast<QueryFullProcessImageNameAFn>(reinterpret_cast<void*>(
                            GetProcAddress(kernel, "QueryFullProcessImageNameA")))
                      : nullptr;
    }();
    return fn;
}

ModuleRead ReadModules(uint32_t pid) {
    ModuleRead read;
    win32::KernelHandle process(OpenProcess(kModuleReadAccess, FALSE, pid));
    read.opened = process.valid();
    if (!read.opened)
        return read;
    HMODULE modules[kModuleListBytes / sizeof(HMODULE)] = {};
    DWORD needed = 0;
    if (!EnumProcessModules(process.get(), modules, kModuleListBytes, &needed))
        return read;
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameExA(process.get(), modules[0], path, MAX_PATH);
    read.path = TrimSpaces(std::string_view(path, length));
    return read;
}

}  // namespace

// A 32-bit program cannot list the modules of a 64-bit process; the image name needs only
// the limited query right.
std::string Win32ProcessSystem::ReadImageName(uint32_t pid) {
    QueryFullProcessImageNameAFn query = QueryFullProcessImageNameAPtr();
    if (!query)
        return {};
    win32::KernelHandle process(OpenProcess(kLimitedQueryAccess, FALSE, pid));
    if (!process.valid())
        return {};
    char path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (!query(process.get(), 0, path, &length))
        return {};
    return TrimSpaces(std::string_view(path, length));
}

std::vector<uint32_t> Win32ProcessSystem::EnumerateProcessIds() {
    // Grow the buffer until a call leaves part of it empty: only then is the list complete.
    std::vector<DWORD> ids;
    DWORD bufferBytes = 8;
    DWORD filledBytes = 96;
    while (bufferBytes <= filledBytes) {
        bufferBytes *= 2;
        if (bufferBytes / sizeof(DWORD) > kMaxProcessIds)
            return {};
        ids.assign(bufferBytes / sizeof(DWORD), 0);
        if (!EnumProcesses(ids.data(), bufferBytes, &filledBytes))
            return {};
    }
    ids.resize(filledBytes / sizeof(DWORD));
    return std::vector<uint32_t>(ids.begin(), ids.end());
}

std::string Win32ProcessSystem::ReadMainModulePath(uint32_t pid) {
    return MainModulePath(ReadModules(pid), [pid] { return ReadImageName(pid); });
}

std::vector<std::pair<uint32_t, std::string>> Win32ProcessSystem::SnapshotProcessNames() {
    std::vector<std::pair<uint32_t, std::string>> names;
    win32::KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid())
        return names;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        // szExeFile is a fixed 260-character field; read it only up to its NUL.
        size_t length = strnlen(entry.szExeFile, sizeof entry.szExeFile);
        names.emplace_back(entry.th32ProcessID, std::string(entry.szExeFile, length));
    }
    return names;
}

}  // namespace portlight
