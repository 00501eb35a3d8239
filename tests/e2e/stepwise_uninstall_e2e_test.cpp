// wizuninst.exe under Wine: a product laid out by hand in the prefix (files, a program group,
// a desktop shortcut, a shared DLL, the product and uninstall keys) with its hand-written
// install.log, removed silently and interactively; a file held open; bad logs.
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/win32/handles_win.h"
#include "e2e.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kUninstallList = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string SystemFolder() {
    char path[MAX_PATH] = {};
    GetSystemDirectoryA(path, MAX_PATH);
    return path;
}

bool FolderExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool KeyExists(const std::string& key) {
    win32::RegKey opened;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, opened.out()) ==
           ERROR_SUCCESS;
}

void SetKeyValue(const std::string& key, const std::string& name, const std::string& value) {
    win32::RegKey created;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              created.out(), nullptr),
              ERROR_SUCCESS)
        << key;
    RegSetValueExA(created.get(), name.c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

// The whole text of a message box (its static text), read as UTF-16 across processes.
std::string BoxText(HWND box) {
    std::string all;
    for (HWND child : e2e::ChildWindows(box)) {
        wchar_t text[4096] = {};
        SendMessageTimeoutW(child, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 2000, nullptr);
        char narrow[8192] = {};
        WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
        all += narrow;
        all += "\n";
    }
    return all;
}

HWND WaitBoxWith(DWORD pid, const std::string& part) {
    HWND found = nullptr;
    e2e::WaitFor(
        [&] {
            for (HWND box : e2e::VisibleTopWindows(pid, "#32770"))
                if (BoxText(box).find(part) != std::string::npos)
                    return (found = box) != nullptr;
            return false;
        },
        20s);
    return found;
}

// A button pressed with the pointer, as a user would.
void ClickWithPointer(HWND box, int id) {
    RECT r = e2e::WindowRect(GetDlgItem(box, id));
    e2e::RunHost("xdotool mousemove " + std::to_string((r.left + r.right) / 2) + " " +
                 std::to_string((r.top + r.bottom) / 2) + " click 1");
}

// One installed product, laid out as the installer leaves it, with its install.log. Names
// carry the test's process id and a tag, so runs never meet; the destructor tidies up.
class Product {
  public:
    explicit Product(const std::string& tag)
        : name_("WizTest" + std::to_string(GetCurrentProcessId()) + tag),
          company_("WizCo" + std::to_string(GetCurrentProcessId()) + tag),
          folder_(ShellFolder(CSIDL_PROGRAM_FILES) + "\\" + name_),
          group_(ShellFolder(CSIDL_PROGRAMS) + "\\" + name_),
          desktopLink_(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\" + name_ + ".lnk"),
          sharedDll_(SystemFolder() + "\\" + name_ + ".dll"),
          uninstaller_(SystemFolder() + "\\wizuninst-" + name_ + ".exe") {}

    ~Product() {
        DeleteFileA(sharedDll_.c_str());
        DeleteFileA(uninstaller_.c_str());
        for (const auto& file : Files())
            DeleteFileA(file.c_str());
        DeleteFileA(log().c_str());
        DeleteFileA((group_ + "\\notes.txt").c_str());
        for (const auto& folder : {folder_ + "\\data\\maps", folder_ + "\\data", folder_, group_})
            RemoveDirectoryA(folder.c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, ("Software\\" + company_).c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, uninstallKey().c_str());
    }

    void LayOut() {
        ASSERT_TRUE(FolderExists(ShellFolder(CSIDL_PROGRAM_FILES)));
        for (const auto& folder : {folder_, folder_ + "\\data", folder_ + "\\data\\maps", group_})
            ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
        for (const auto& file : Files())
            e2e::WriteTextFile(file, "content of " + file);
        // The installer copies read-only payload files as they are.
        SetFileAttributesA(Readme().c_str(), FILE_ATTRIBUTE_READONLY);
        e2e::WriteTextFile(group_ + "\\notes.txt", "a file the user put into the group");
        e2e::WriteTextFile(sharedDll_, "shared DLL");
        e2e::CopyFileOrFail(e2e::BinFolder() + "wizuninst.exe", uninstaller_);

        SetKeyValue(productKey(), "PATH", folder_);
        SetKeyValue(productKey() + "\\Options", "Colour", "blue");
        SetKeyValue(uninstallKey(), "DisplayName", name_);
        SetKeyValue(uninstallKey(), "UninstallString", uninstaller_ + " \"" + log() + "\"");

        // As the installer writes it: DIR from the drive down, LOG in lower case without the
        // uninstaller's key 3 and with the group folder last.
        std::string text = "[DIR]\r\n";
        std::vector<std::string> dirs = {ShellFolder(CSIDL_PROGRAM_FILES).substr(0, 3),
                                         ShellFolder(CSIDL_PROGRAM_FILES) + "\\",
                                         folder_ + "\\",
                                         folder_ + "\\data\\",
                                         folder_ + "\\data\\maps\\",
                                         group_ + "\\"};
        for (std::size_t i = 0; i < dirs.size(); ++i)
            text += std::to_string(i) + "=" + dirs[i] + "\r\n";
        text += "[LOG]\r\n";
        std::vector<std::string> logged = {App(), WorldMap(), sharedDll_};
        logged.push_back(Readme());
        logged.push_back(group_ + "\\" + name_ + ".lnk");
        logged.push_back(desktopLink_);
        logged.push_back(folder_ + "\\data.tag");
        logged.push_back(group_ + "\\");
        for (std::size_t i = 0; i < logged.size(); ++i)
            text += std::to_string(i < 3 ? i : i + 1) + "=" + e2e::Lower(logged[i]) + "\r\n";
        text += "[UNINSTALL]\r\nPATH=" + uninstallKey() + "\r\n";
        text += "[CAMINHO]\r\nPATH1=\r\nPATH2=\r\nPATH3=\r\nPATH4=\r\n";
        text += "[RTYPE]\r\nVELMIRA=NAO\r\n";
        text += "[REGISTRY]\r\nPATH=" + productKey() + "\r\n";
        e2e::WriteTextFile(log(), text);
    }

    std::vector<std::string> Files() const {
        return {App(),        WorldMap(),
                Readme(),     group_ + "\\" + name_ + ".lnk",
                desktopLink_, folder_ + "\\data.tag"};
    }
    std::string App() const { return folder_ + "\\app.exe"; }
    std::string WorldMap() const { return folder_ + "\\data\\maps\\world.map"; }
    std::string Readme() const { return folder_ + "\\readme.txt"; }
    std::string log() const { return folder_ + "\\install.log"; }
    std::string productKey() const { return "Software\\" + company_ + "\\" + name_; }
    std::string uninstallKey() const { return std::string(kUninstallList) + "\\" + name_; }
    const std::string& name() const { return name_; }
    const std::string& folder() const { return folder_; }
    const std::string& group() const { return group_; }
    const std::string& sharedDll() const { return sharedDll_; }
    const std::string& uninstaller() const { return uninstaller_; }
    std::string companyKey() const { return "Software\\" + company_; }

    // Everything the log lists is gone; the standard folders and the shared DLL stay.
    void ExpectRemoved() const {
        for (const auto& file : Files())
            EXPECT_FALSE(e2e::FileExists(file)) << file;
        EXPECT_FALSE(e2e::FileExists(log()));
        EXPECT_FALSE(FolderExists(folder_));
        EXPECT_FALSE(FolderExists(group_));
        EXPECT_FALSE(KeyExists(productKey()));
        EXPECT_FALSE(KeyExists(companyKey())) << "the emptied company key stays";
        EXPECT_FALSE(KeyExists(uninstallKey()));
        EXPECT_TRUE(e2e::FileExists(sharedDll_));
        for (int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY, CSIDL_SYSTEM,
                          CSIDL_WINDOWS})
            EXPECT_TRUE(FolderExists(ShellFolder(csidl))) << csidl;
        EXPECT_TRUE(KeyExists(kUninstallList));
        EXPECT_TRUE(KeyExists("Software"));
    }

    // The uninstaller's copy and its helper batch are gone once it has ended.
    void ExpectOwnCopyRemoved() const {
        EXPECT_TRUE(e2e::WaitFor([&] { return !e2e::FileExists(uninstaller_); }, 60s))
            << uninstaller_;
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        EXPECT_TRUE(e2e::WaitFor(
            [&] {
                WIN32_FIND_DATAA found;
                win32::FindHandle find(
                    FindFirstFileA((std::string(temp) + "wizuninst-*.bat").c_str(), &found));
                return !find;
            },
            60s))
            << "the helper batch stays in " << temp;
    }

  private:
    std::string name_, company_, folder_, group_, desktopLink_, sharedDll_, uninstaller_;
};

long RunSilently(const std::string& exe, const std::string& args) {
    e2e::Process process = e2e::Process::Start(exe, args, "");
    return process.Wait(60s);
}

TEST(WizUninst, SilentRunRemovesWhatTheLogListsAndKeepsWhatIsShared) {
    Product product("S");
    ASSERT_NO_FATAL_FAILURE(product.LayOut());
    // Started as Windows starts "UninstallString", from inside the installation folder.
    e2e::Process process = e2e::Process::Start(product.uninstaller(),
                                               "/S \"" + product.log() + "\"", product.folder());
    EXPECT_EQ(process.Wait(60s), 0);
    product.ExpectRemoved();
    product.ExpectOwnCopyRemoved();
}

TEST(WizUninst, FileInUseIsReportedAndTheEntryKeptForASecondRun) {
    Product product("U");
    ASSERT_NO_FATAL_FAILURE(product.LayOut());
    {
        // Opened without FILE_SHARE_DELETE: Windows refuses to delete it while it is open.
        win32::KernelHandle held(CreateFileA(product.App().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(RunSilently(product.uninstaller(), "/S \"" + product.log() + "\""), 2);
        EXPECT_TRUE(e2e::FileExists(product.App()));
        EXPECT_FALSE(e2e::FileExists(product.WorldMap()));
        EXPECT_FALSE(FolderExists(product.group()));
        EXPECT_FALSE(KeyExists(product.productKey()));
        // Kept for the second run: the log, the uninstall entry, the uninstaller itself.
        EXPECT_TRUE(e2e::FileExists(product.log()));
        EXPECT_TRUE(KeyExists(product.uninstallKey()));
        EXPECT_TRUE(FolderExists(product.folder()));
    }
    // The program that held the file has ended: the second run completes.
    EXPECT_TRUE(e2e::FileExists(product.uninstaller()));
    EXPECT_EQ(RunSilently(product.uninstaller(), "/S \"" + product.log() + "\""), 0);
    product.ExpectRemoved();
    product.ExpectOwnCopyRemoved();
}

TEST(WizUninst, BadLogsAndBadCommandLinesEndWithTheirExitCodes) {
    e2e::TempFolder folder("wizuninst");
    const std::string exe = e2e::BinFolder() + "wizuninst.exe";
    EXPECT_EQ(RunSilently(exe, "/S \"" + (folder / "missing.log") + "\""), 3);
    e2e::WriteTextFile(folder / "settings.db", "[Main]\r\nActive=True\r\n");
    EXPECT_EQ(RunSilently(exe, "/S \"" + (folder / "settings.db") + "\""), 3);
    EXPECT_TRUE(e2e::FileExists(folder / "settings.db"));
    EXPECT_EQ(RunSilently(exe, "/S"), 4);
    EXPECT_EQ(RunSilently(exe, "/S /Q \"" + (folder / "settings.db") + "\""), 4);
    // A copy outside the System folder does not remove itself.
    EXPECT_TRUE(e2e::FileExists(exe));
}

TEST(WizUninst, InteractiveRunAsksOnceThenShowsOneSummary) {
    Product product("I");
    ASSERT_NO_FATAL_FAILURE(product.LayOut());
    const std::string args = "\"" + product.log() + "\"";

    // No: nothing is touched.
    {
        e2e::Process process = e2e::Process::Start(product.uninstaller(), args, "");
        HWND question = WaitBoxWith(process.id(), "Do you want to remove " + product.name());
        ASSERT_NE(question, nullptr);
        ClickWithPointer(question, IDNO);
        EXPECT_EQ(process.Wait(30s), 1);
        for (const auto& file : product.Files())
            EXPECT_TRUE(e2e::FileExists(file)) << file;
        EXPECT_TRUE(KeyExists(product.uninstallKey()));
    }

    // Yes: one question, then one summary naming what went and what stayed.
    e2e::Process process = e2e::Process::Start(product.uninstaller(), args, "");
    HWND question = WaitBoxWith(process.id(), "Do you want to remove " + product.name());
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(e2e::WindowText(question), "Uninstall " + product.name());
    e2e::Screenshot("wizuninst-1-question");
    ClickWithPointer(question, IDYES);

    HWND summary = WaitBoxWith(process.id(), product.name() + " was removed from your computer.");
    ASSERT_NE(summary, nullptr);
    std::string text = BoxText(summary);
    EXPECT_NE(text.find(e2e::Lower(product.App())), std::string::npos) << text;
    EXPECT_NE(text.find(e2e::Lower(product.group()) + "\\"), std::string::npos) << text;
    EXPECT_NE(text.find("Shared system files kept for other programs: 1."), std::string::npos)
        << text;
    EXPECT_EQ(text.find("Do you want"), std::string::npos) << "asked a second time";
    EXPECT_EQ(e2e::VisibleTopWindows(process.id(), "#32770").size(), 1u);
    e2e::Screenshot("wizuninst-2-summary");
    ClickWithPointer(summary, IDOK);
    EXPECT_EQ(process.Wait(30s), 0);
    product.ExpectRemoved();
    product.ExpectOwnCopyRemoved();
}

}  // namespace
