#include "prefix_snapshot.h"

#include <windows.h>

#include <algorithm>

#include "common/win32/handles_win.h"
#include "e2e.h"

namespace e2e {

namespace {

void ListFiles(const std::string& folder,
               const std::function<bool(const std::string&)>& skip,
               Snapshot& out) {
    WIN32_FIND_DATAA found;
    win32::FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!find)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = folder + "\\" + name;
        bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        bool link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        std::string line = Lower("file " + path + (isFolder ? "\\" : ""));
        if (skip(line))
            continue;
        if (!isFolder)
            line += " " + std::to_string(found.nFileSizeLow);
        out.insert(line);
        if (isFolder && !link)
            ListFiles(path, skip, out);
    } while (FindNextFileA(find.get(), &found));
}

std::string ValueText(DWORD type, const std::vector<BYTE>& data, DWORD size) {
    if (type == REG_SZ || type == REG_EXPAND_SZ)
        return std::string(reinterpret_cast<const char*>(data.data()),
                           strnlen(reinterpret_cast<const char*>(data.data()), size));
    std::string hex;
    static const char digits[] = "0123456789abcdef";
    for (DWORD i = 0; i < size; ++i) {
        hex += digits[data[i] >> 4];
        hex += digits[data[i] & 15];
    }
    return hex;
}

void ListKeys(HKEY root,
              const std::string& name,
              const std::string& path,
              const std::function<bool(const std::string&)>& skip,
              Snapshot& out) {
    std::string line = Lower("key " + name + "\\" + path);
    if (skip(line))
        return;
    win32::RegKey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return;
    out.insert(line);
    for (DWORD i = 0;; ++i) {
        char valueName[16384];
        DWORD nameSize = sizeof valueName;
        DWORD type = 0;
        DWORD size = 0;
        if (RegEnumValueA(key.get(), i, valueName, &nameSize, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            break;
        std::vector<BYTE> data(size + 1);
        nameSize = sizeof valueName;
        RegEnumValueA(key.get(), i, valueName, &nameSize, nullptr, &type, data.data(), &size);
        std::string valueLine = Lower("value " + name + "\\" + path + " | " + valueName) + " = " +
                                ValueText(type, data, size);
        if (!skip(Lower(valueLine)))
            out.insert(valueLine);
    }
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        char child[512];
        DWORD childSize = sizeof child;
        if (RegEnumKeyExA(key.get(), i, child, &childSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        children.push_back(child);
    }
    key.reset();
    for (const std::string& child : children)
        ListKeys(root, name, path.empty() ? child : path + "\\" + child, skip, out);
}

}  // namespace

Snapshot TakeSnapshot(const std::function<bool(const std::string&)>& skip) {
    Snapshot out;
    ListFiles("C:", skip, out);
    ListKeys(HKEY_LOCAL_MACHINE, "hklm", "Software", skip, out);
    ListKeys(HKEY_CURRENT_USER, "hkcu", "", skip, out);
    return out;
}

std::vector<std::string> Missing(const Snapshot& a, const Snapshot& b) {
    std::vector<std::string> missing;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(missing));
    return missing;
}

}  // namespace e2e
