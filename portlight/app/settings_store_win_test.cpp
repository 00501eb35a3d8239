#include "app/settings_store_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>

#include "app/commands.h"
#include "common/win32/handles_win.h"

namespace portlight {
namespace {

std::string TempSettingsPath() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string path =
        std::string(temp) + "portlight-settings-" + std::to_string(GetCurrentProcessId()) + ".db";
    DeleteFileA(path.c_str());
    return path;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The private-profile file is made on first write; keys match whatever their case.
TEST(PrivateProfileStore, CreatesFileOnFirstWriteAndIgnoresKeyCase) {
    std::string path = TempSettingsPath();
    PrivateProfileStore store(path, "Main");
    EXPECT_EQ(store.Read("Refresh", "3"), "3") << "missing file gives the default";
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);

    store.Write("Refresh", "5");
    EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(store.Read("REFRESH", "3"), "5");
    EXPECT_EQ(store.Read("refresh", "3"), "5");
    store.Write("rEfReSh", "7");
    EXPECT_EQ(store.Read("Refresh", "3"), "7");

    store.Write("Empty", "");
    EXPECT_EQ(store.Read("Empty", "fallback"), "") << "present but empty reads as empty";
    EXPECT_NE(Slurp(path).find("[Main]"), std::string::npos);
    DeleteFileA(path.c_str());
}

// Saving after a command writes all thirteen keys into the real file.
TEST(PrivateProfileStore, SaveOptionsWritesEveryKey) {
    std::string path = TempSettingsPath();
    PrivateProfileStore store(path, "Main");
    Options options;
    options.Refresh = "10";
    options.Active = false;
    SaveOptions(options, store);
    std::string text = Slurp(path);
    for (const char* key :
         {"Autohide=True", "OnTop=True", "Startup=True", "TrayIcon=False", "ActiveOnly=False",
          "ResolveHosts=False", "ShowLocalHost=True", "Monitor=All", "Refresh=10", "Unknown=All",
          "SegmentPID=True", "Active=False", "SlidingEffect=False"})
        EXPECT_NE(text.find(key), std::string::npos) << key;
    DeleteFileA(path.c_str());
}

std::string RunEntry() {
    win32::RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                      KEY_READ, key.out()) != ERROR_SUCCESS)
        return "<no key>";
    char value[512] = {};
    DWORD size = sizeof value;
    DWORD type = 0;
    LONG status = RegQueryValueExA(key.get(), "Kestro - Portlight", nullptr, &type,
                                   reinterpret_cast<BYTE*>(value), &size);
    return status == ERROR_SUCCESS && type == REG_SZ ? std::string(value) : "<none>";
}

// The Run entry holds the short path of portlight.exe and goes away again.
TEST(StartWithWindows, RunEntryFollowsTheOption) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "Portlight Long Folder Name";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string exe = folder + "\\portlight.exe";
    { std::ofstream(exe) << "x"; }

    ApplyStartWithWindows(true, folder);
    std::string entry = RunEntry();
    EXPECT_EQ(entry, GetShortPath(exe));
    EXPECT_EQ(entry.find(' '), std::string::npos) << entry;

    ApplyStartWithWindows(false, folder);
    EXPECT_EQ(RunEntry(), "<none>");
    DeleteFileA(exe.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace portlight
