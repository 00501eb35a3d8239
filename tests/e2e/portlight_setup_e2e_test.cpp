// Portlight's own installer, as the build makes it in dist/portlight-setup, through its whole
// life: installed unattended into a folder given with /D= and removed with the uninstall
// entry's command and /S; then installed through every page of the wizard and removed with
// the uninstaller's one confirmation. Each time the program lands where asked, its shortcut
// targets it, the installed bar starts from there and shows its strip, the uninstall entry is
// registered, and afterwards the prefix equals its snapshot from before.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "bar_session.h"
#include "common/win32/handles_win.h"
#include "e2e.h"
#include "portlight/res/resource.h"
#include "prefix_snapshot.h"
#include "stepwise/res/resource.h"
#include "stepwise_e2e_support.h"

namespace stepwise_e2e {
namespace {

constexpr char kProduct[] = "Portlight";
constexpr char kSlotImageClass[] = "PortlightSlotImage";
constexpr char kUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Portlight";
constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "Kestro - Portlight";
// Test doubles put beside the installed bar so its strip has a connection to show.
constexpr const char* kFakes[] = {"netstat.exe", "fake-netstat.txt", "fake-netstat.log"};

std::string SetupFolder() {
    return e2e::BinFolder() + "..\\dist\\portlight-setup";
}

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

std::string UninstallString() {
    char value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", RRF_RT_REG_SZ, nullptr,
                     value, &size) != ERROR_SUCCESS)
        return "<missing>";
    return value;
}

std::string LinkTarget(const std::string& path) {
    std::string target;
    IShellLinkA* raw = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&raw))))
        return target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(raw->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::wstring wide(path.begin(), path.end());
        char text[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
            SUCCEEDED(raw->GetPath(text, MAX_PATH, nullptr, 0)))
            target = text;
        file->Release();
    }
    raw->Release();
    return target;
}

// Left out of the comparison, each for a reason:
// - the Wine temp folder: the installer extracts its payload there and leaves it (as the
//   extraction step does), and the unattended log is written there;
// - the uninstaller's copy in the System folder, which every Stepwise product shares and an
//   earlier scenario may have left: its removal is waited for on its own;
// - Wine's own bookkeeping that any program start changes.
bool Noise(const std::string& line) {
    static const char* const kNoise[] = {
        "file c:\\users\\root\\temp\\",
        "file c:\\windows\\system32\\wizuninst.exe",
        "file c:\\windows\\temp\\",
        "key hkcu\\software\\wine",
        "value hkcu\\software\\wine",
        "key hkcu\\volatile environment",
        "value hkcu\\volatile environment",
        "key hkcu\\software\\microsoft\\windows\\currentversion\\explorer",
        "value hkcu\\software\\microsoft\\windows\\currentversion\\explorer",
        "key hklm\\software\\microsoft\\windows\\currentversion\\explorer",
        "value hklm\\software\\microsoft\\windows\\currentversion\\explorer",
    };
    for (const char* prefix : kNoise)
        if (line.rfind(prefix, 0) == 0)
            return true;
    return false;
}

// Whether any slot of the bar's strip is showing.
bool StripShows(HWND bar) {
    for (HWND child : e2e::ChildWindows(bar)) {
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (std::string(cls) == kSlotImageClass && IsWindowVisible(child))
            return true;
    }
    return false;
}

// The wizard's page on show: its visible child dialog.
HWND VisiblePage(HWND wizard) {
    for (HWND child : e2e::ChildWindows(wizard)) {
        char cls[16] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (std::string(cls) == "#32770" && IsWindowVisible(child))
            return child;
    }
    return nullptr;
}

class PortlightLifeCycle : public ::testing::Test {
  protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(e2e::FileExists(SetupFolder() + "\\Stepwise.exe"))
            << "the build makes the installer";
        ASSERT_FALSE(e2e::FileExists(UninstallString())) << "Portlight is installed already";
        DeleteRunValue();  // another bar scenario may have left it
        before_ = e2e::TakeSnapshot(Noise);
    }
    void TearDown() override { CoUninitialize(); }

    static void DeleteRunValue() {
        win32::RegKey run;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, run.out()) ==
            ERROR_SUCCESS)
            RegDeleteValueA(run.get(), kRunValue);
    }

    // What every installation must show, wherever it went.
    void CheckInstalled(const std::string& folder) {
        const std::string exe = folder + "\\portlight.exe";
        EXPECT_TRUE(e2e::FileExists(exe));
        EXPECT_TRUE(e2e::FileExists(folder + "\\readme.txt"));
        const std::string group = ShellFolder(CSIDL_PROGRAMS) + "\\" + kProduct;
        const std::string target = LinkTarget(group + "\\Portlight.lnk");
        EXPECT_EQ(e2e::Lower(target), e2e::Lower(exe));
        EXPECT_EQ(e2e::Lower(LinkTarget(group + "\\Uninstall Portlight.lnk")),
                  e2e::Lower(SystemFolder() + "\\wizuninst.exe"));
        EXPECT_EQ(UninstallString(),
                  SystemFolder() + "\\wizuninst.exe \"" + folder + "\\install.log\"");

        // The bar started from the shortcut's target, with the fake netstat beside it
        // naming this test's process, shows a slot.
        ASSERT_FALSE(target.empty());
        e2e::CopyFileOrFail(e2e::BinFolder() + "netstat.exe", folder + "\\netstat.exe");
        e2e::WriteTextFile(
            folder + "\\fake-netstat.txt",
            e2e::NetstatListing({"  TCP    10.0.0.2:50000         93.184.216.34:443      "
                                 "ESTABLISHED     " +
                                 std::to_string(GetCurrentProcessId())}));
        e2e::Process bar = e2e::Process::Start(target, "", folder);
        HWND window = e2e::WaitTopWindow(bar.id(), PORTLIGHT_BAR_CLASS, "", 20s);
        ASSERT_NE(window, nullptr) << "the installed bar did not start";
        EXPECT_TRUE(e2e::WaitFor([&] { return StripShows(window); }, 20s));
        e2e::Screenshot("portlight-setup-installed-bar");
        bar.Kill();
        // The bar's own start-up entry, which its default options write at its first start:
        // the installer never wrote it, so install.log cannot name it and the uninstaller
        // would leave it pointing at a removed program. Removed here as a user would turn
        // the option off; the one thing this scenario does not expect the uninstaller to do.
        DeleteRunValue();
        for (const char* fake : kFakes)
            DeleteFileA((folder + "\\" + fake).c_str());
    }

    // Files the bar made for itself in its folder, if any, are listed for the report.
    void CheckPrefixAsBefore(const std::string& folder) {
        EXPECT_TRUE(
            e2e::WaitFor([&] { return !e2e::FileExists(SystemFolder() + "\\wizuninst.exe"); }, 30s))
            << "the uninstaller's own copy stays";
        EXPECT_TRUE(WaitUninstallerHelpersGone(60s)) << "its helper batch stays";
        e2e::Snapshot after = e2e::TakeSnapshot(Noise);
        EXPECT_TRUE(e2e::Missing(after, before_).empty()) << "left behind:\n"
                                                          << Join(e2e::Missing(after, before_));
        EXPECT_TRUE(e2e::Missing(before_, after).empty()) << "removed too:\n"
                                                          << Join(e2e::Missing(before_, after));
        EXPECT_FALSE(e2e::FileExists(folder));
    }

    e2e::Snapshot before_;
};

// Unattended: /S with /D= into a folder with blanks, then the uninstall entry's command with
// /S. Both end with exit code 0 and the log records the actions.
TEST_F(PortlightLifeCycle, SilentInstallAndUninstall) {
    const std::string folder = "C:\\Apps\\Kestro Tools\\" + UniqueName("Portlight", "");
    const std::string log = TempPath() + UniqueName("portlight-setup", ".log");
    EXPECT_EQ(RunAndWait(SetupFolder() + "\\Stepwise.exe",
                         "/S \"/D=" + folder + "\" \"/LOG=" + log + "\"", SetupFolder()),
              0);
    const std::string record = e2e::ReadTextFile(log);
    EXPECT_NE(record.find("copy \"" + TempPath() + "F0_portlight.exe\" to \"" + folder +
                          "\\portlight.exe\""),
              std::string::npos)
        << record;
    EXPECT_NE(record.find("exit code 0 (installed)"), std::string::npos) << record;
    EXPECT_EQ(record.find("FAILED"), std::string::npos) << record;
    CheckInstalled(folder);
    DeleteFileA(log.c_str());

    const std::string command = UninstallString();
    std::size_t blank = command.find(' ');
    ASSERT_NE(blank, std::string::npos) << command;
    EXPECT_EQ(
        RunAndWait(command.substr(0, blank), "/S " + command.substr(blank + 1), SystemFolder()), 0);
    CheckPrefixAsBefore(folder);
    RemoveDirectoryA("C:\\Apps\\Kestro Tools");  // made by the test's own choice of folder
    RemoveDirectoryA("C:\\Apps");
}

// Interactive: Next through every configured page (welcome, readme, destination, summary),
// the installation, Finish; then the uninstall command as the shortcut runs it, answered Yes.
TEST_F(PortlightLifeCycle, WizardInstallAndConfirmedUninstall) {
    char programFiles[MAX_PATH] = {};
    DWORD size = sizeof programFiles;
    RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                 "ProgramFilesDir", RRF_RT_REG_SZ, nullptr, programFiles, &size);
    const std::string folder = std::string(programFiles) + "\\Kestro\\Portlight";
    const std::set<DWORD> explorers = ExplorerProcesses();

    e2e::Process setup = e2e::Process::Start(SetupFolder() + "\\Stepwise.exe", "", SetupFolder());
    HWND wizard = e2e::WaitTopWindow(setup.id(), "#32770", "Portlight - Stepwise", 60s);
    ASSERT_NE(wizard, nullptr);
    // Welcome, readme, destination and summary pages, each left with a click on Next through
    // the X server; the summary's Next starts the installation.
    for (int page = 0; page < 4; ++page) {
        HWND next = GetDlgItem(wizard, IDC_WIZARD_NEXT);
        HWND shown = nullptr;
        ASSERT_TRUE(e2e::WaitFor(
            [&] { return IsWindowEnabled(next) && (shown = VisiblePage(wizard)) != nullptr; },
            10s));
        if (page == 0)
            e2e::Screenshot("portlight-setup-welcome");
        SetForegroundWindow(wizard);
        RECT r = e2e::WindowRect(next);
        e2e::RunHost("xdotool mousemove " + std::to_string((r.left + r.right) / 2) + " " +
                     std::to_string((r.top + r.bottom) / 2) + " click 1");
        ASSERT_TRUE(e2e::WaitFor([&] { return VisiblePage(wizard) != shown; }, 10s))
            << "page " << page << " stayed after the click on Next";
    }
    ASSERT_TRUE(e2e::WaitFor(
        [&] { return e2e::WindowText(GetDlgItem(wizard, IDC_WIZARD_CANCEL)) == "Finish"; }, 60s));
    e2e::Screenshot("portlight-setup-complete");
    ClickButton(wizard, IDC_WIZARD_CANCEL);
    EXPECT_EQ(setup.Wait(20s), 0);
    EndNewExplorers(explorers);
    CheckInstalled(folder);

    const std::string command = UninstallString();
    std::size_t blank = command.find(' ');
    ASSERT_NE(blank, std::string::npos) << command;
    e2e::Process uninstall =
        e2e::Process::Start(command.substr(0, blank), command.substr(blank + 1), SystemFolder());
    HWND question = nullptr;
    ASSERT_TRUE(e2e::WaitFor(
        [&] {
            for (HWND box : e2e::VisibleTopWindows(uninstall.id(), "#32770"))
                for (HWND child : e2e::ChildWindows(box))
                    if (e2e::WindowText(child).rfind("Do you want to remove", 0) == 0)
                        return (question = box) != nullptr;
            return false;
        },
        30s));
    ClickButton(question, IDYES);
    HWND summary = nullptr;
    ASSERT_TRUE(e2e::WaitFor(
        [&] {
            for (HWND box : e2e::VisibleTopWindows(uninstall.id(), "#32770"))
                if (box != question)
                    return (summary = box) != nullptr;
            return false;
        },
        30s));
    e2e::Screenshot("portlight-setup-uninstalled");
    ClickButton(summary, IDOK);
    EXPECT_EQ(uninstall.Wait(30s), 0);
    CheckPrefixAsBefore(folder);
}

}  // namespace
}  // namespace stepwise_e2e
