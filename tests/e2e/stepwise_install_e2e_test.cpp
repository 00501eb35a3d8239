// A sample product installed through the wizard under Wine and removed again with the command
// its uninstall entry names: every file, shortcut, INI entry, registry value and the
// environment value checked after the installation, and the prefix compared with its
// snapshot from before. A second run is cancelled mid-installation and what it recorded is
// uninstalled.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common/win32/handles_win.h"
#include "e2e.h"
#include "prefix_snapshot.h"
#include "stepwise/res/resource.h"
#include "stepwise_e2e_support.h"

namespace stepwise_e2e {
namespace {

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

std::string ProgramFiles() {
    char path[MAX_PATH] = {};
    DWORD size = sizeof path;
    RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                 "ProgramFilesDir", RRF_RT_REG_SZ, nullptr, path, &size);
    return path;
}

std::string RegistryString(HKEY root, const std::string& key, const std::string& name) {
    char value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return "<missing>";
    return value;
}

void Press(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// A shell link's target and arguments, read through IShellLinkA.
struct LinkInfo {
    std::string target, arguments, working;
};
LinkInfo ReadLink(const std::string& path) {
    LinkInfo info;
    IShellLinkA* raw = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&raw))))
        return info;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(raw->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::wstring wide(path.begin(), path.end());
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
            char text[MAX_PATH] = {};
            raw->GetPath(text, MAX_PATH, nullptr, 0);
            info.target = text;
            raw->GetArguments(text, MAX_PATH);
            info.arguments = text;
            raw->GetWorkingDirectory(text, MAX_PATH);
            info.working = text;
        }
        file->Release();
    }
    raw->Release();
    return info;
}

// What the comparison leaves out, each for a stated reason:
// - the Wine temp folder: the installer extracts its payload there (and leaves it, as the
//   extraction step does), and the scenario's setup folder lives there;
// - Wine's own bookkeeping that any program start changes: HKCU\Software\Wine, the
//   per-session volatile and explorer state keys, the registry files and logs of the prefix.
bool Noise(const std::string& line) {
    static const char* const kNoise[] = {
        "file c:\\users\\root\\temp\\",
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

class InstallRun : public ::testing::Test {
  protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        CreateDirectoryA((setup / "src").c_str(), nullptr);
        installFolder = ProgramFiles() + "\\" + product;
    }
    void TearDown() override {
        // Left on purpose by the installation: the shared DLL and the environment value.
        DeleteFileA((SystemFolder() + "\\" + sharedDll).c_str());
        win32::RegKey environment;
        RegOpenKeyExA(HKEY_CURRENT_USER, "Environment", 0, KEY_SET_VALUE, environment.out());
        RegDeleteValueA(environment.get(), envName.c_str());
        CoUninitialize();
    }

    void Payload(const std::string& name, const std::string& from) {
        e2e::CopyFileOrFail(from, setup / "src\\" + name);
        names.push_back(name);
    }

    e2e::Process Start() { return e2e::Process::Start(StepwiseExe(), "", setup.path()); }

    // Runs the uninstall entry's command with /S and waits for it; returns its exit code.
    long UninstallSilently(const std::string& command) {
        std::size_t blank = command.find(' ');
        if (blank == std::string::npos)
            return -1;
        return RunAndWait(command.substr(0, blank), "/S " + command.substr(blank + 1),
                          setup.path());
    }

    e2e::TempFolder setup{"stepwise-install"};
    std::string product = UniqueName("Acme", "");
    std::string company = UniqueName("Kestro", "");
    std::string sharedDll = e2e::Lower(UniqueName("acmeshared", ".dll"));
    std::string envName = UniqueName("ACME_HOME_", "");
    std::string installFolder;
    std::vector<std::string> names;
};

// Installs a sample product through the wizard, checks every installed item, then runs the
// uninstall command silently: the prefix equals its snapshot from before, except the shared
// DLL in the System folder and the environment value, which the log does not record.
TEST_F(InstallRun, InstallThenUninstallLeavesThePrefixAsBefore) {
    const std::string bin = e2e::BinFolder();
    Payload("F0_acme.exe", bin + "stepwise_mm_fake.exe");
    Payload("F1_readme.txt", bin + "install-sample-plain.dll");
    Payload("F2_helper.dll", bin + "install-sample-500.dll");
    Payload("F3_" + sharedDll, bin + "install-sample-500.dll");
    Payload("wizuninst.exe", bin + "wizuninst.exe");
    MakeCabinet(setup / "file1.cab", setup / "src", names);
    e2e::WriteTextFile(
        setup / "data.tag",
        "[APPINFO]\r\n1=" + product + "\r\n3=1.0\r\n4=" + company + "\r\n5=<Program Files>\\" +
            product +
            "\r\n[DIALOG]\r\n8=1\r\n10=1\r\nCOMPLETE1=1\r\nCOMPLETE2=1\r\n"
            "[FILES]\r\nTOTAL=4\r\nPR0=acme.exe\r\nON0=<Install Dir>\r\nPR1=readme.txt\r\n"
            "ON1=<Install Dir>\r\nPR2=helper.dll\r\nON2=<Install Dir>\\tools\r\nPR3=" +
            sharedDll +
            "\r\nON3=<Shared DLLs>\r\n"
            "[FOLDER]\r\nTOTAL=4\r\nA0=Acme\r\nB0=Programs Menu Folder\r\nC0=Maximized\r\n"
            "D0=acme.exe\r\nE0=<Install Dir>\r\nA1=Uninstall Acme\r\nB1=Programs Menu Folder\r\n"
            "D1=wizuninst.exe\r\nA2=" +
            product + "\r\nB2=Desktop Folder\r\nD2=acme.exe\r\nE2=<Install Dir>\r\nA3=" + product +
            " readme\r\nB3=Favorites Folder\r\nD3=readme.txt\r\n"
            "[INI]\r\nTOTAL=1\r\nN10=Paths\r\nN20=Home\r\nN30=<Install Dir>\r\nN40=acme.ini\r\n"
            "N50=<Install Dir>\r\n[ENVIR]\r\nTOTAL=1\r\nA0=" +
            envName + "\r\nB0=<Install Dir>\\tools\r\nC0=User\r\n");

    e2e::Snapshot before = e2e::TakeSnapshot(Noise);
    const std::set<DWORD> explorers = ExplorerProcesses();

    e2e::Process process = Start();
    HWND wizard = e2e::WaitTopWindow(process.id(), "#32770", product + " - Stepwise", 60s);
    ASSERT_NE(wizard, nullptr);
    ASSERT_TRUE(e2e::WaitFor(
        [&] {
            EXPECT_EQ(WaitMessageBox(process.id(), "could not be installed", 0ms), nullptr);
            return e2e::ItemText(wizard, IDC_WIZARD_CANCEL) == "Finish";
        },
        60s));
    e2e::Screenshot("stepwise-install-complete");

    // Files, the System-folder copies, the log.
    const std::string system = SystemFolder();
    for (const char* name :
         {"acme.exe", "readme.txt", "tools\\helper.dll", "acme.ini", "data.tag", "install.log"})
        EXPECT_TRUE(e2e::FileExists(installFolder + "\\" + name)) << name;
    EXPECT_TRUE(e2e::FileExists(system + "\\" + sharedDll));
    EXPECT_TRUE(e2e::FileExists(system + "\\wizuninst.exe"));
    const std::string log = e2e::ReadTextFile(installFolder + "\\install.log");
    EXPECT_NE(log.find("0=" + e2e::Lower(installFolder) + "\\acme.exe"), std::string::npos) << log;
    EXPECT_EQ(log.find(sharedDll), std::string::npos) << "a System DLL is never logged";

    // Shortcuts: the program, the uninstaller, the desktop and the Favorites address.
    const std::string group = ShellFolder(CSIDL_PROGRAMS) + "\\" + product;
    LinkInfo program = ReadLink(group + "\\Acme.lnk");
    EXPECT_EQ(e2e::Lower(program.target), e2e::Lower(installFolder + "\\acme.exe"));
    EXPECT_EQ(e2e::Lower(program.working), e2e::Lower(installFolder));
    LinkInfo uninstall = ReadLink(group + "\\Uninstall Acme.lnk");
    EXPECT_EQ(e2e::Lower(uninstall.target), e2e::Lower(system + "\\wizuninst.exe"));
    EXPECT_EQ(uninstall.arguments, "\"" + installFolder + "\\install.log\"");
    const std::string desktopLink = ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\" + product + ".lnk";
    EXPECT_EQ(e2e::Lower(ReadLink(desktopLink).target), e2e::Lower(installFolder + "\\acme.exe"));
    char address[MAX_PATH] = {};
    const std::string url = ShellFolder(CSIDL_FAVORITES) + "\\" + product + " readme.url";
    GetPrivateProfileStringA("InternetShortcut", "URL", "", address, MAX_PATH, url.c_str());
    EXPECT_EQ(std::string(address), installFolder + "\\readme.txt");

    // INI, registry values, the uninstall entry and the environment.
    char home[MAX_PATH] = {};
    GetPrivateProfileStringA("Paths", "Home", "", home, MAX_PATH,
                             (installFolder + "\\acme.ini").c_str());
    EXPECT_EQ(std::string(home), installFolder);
    const std::string productKey = "Software\\" + company + "\\" + product;
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, productKey, "PATH"), installFolder);
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, productKey, "VERSION"), "1.0");
    const std::string uninstallKey =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product;
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, uninstallKey, "DisplayName"), product);
    const std::string command = RegistryString(HKEY_LOCAL_MACHINE, uninstallKey, "UninstallString");
    EXPECT_EQ(command, system + "\\wizuninst.exe \"" + installFolder + "\\install.log\"");
    EXPECT_EQ(RegistryString(HKEY_CURRENT_USER, "Environment", envName), installFolder + "\\tools");

    Press(wizard, IDC_WIZARD_CANCEL);  // Finish
    EXPECT_EQ(process.Wait(20s), 0);
    // The program group was opened in a shell window at the end of the installation.
    EXPECT_NE(ExplorerProcesses(), explorers);
    EndNewExplorers(explorers);

    // The uninstall command, silently; its copy in the System folder goes after it.
    EXPECT_EQ(UninstallSilently(command), 0);
    EXPECT_TRUE(e2e::WaitFor([&] { return !e2e::FileExists(system + "\\wizuninst.exe"); }, 30s));

    e2e::Snapshot after = e2e::TakeSnapshot(Noise);
    std::vector<std::string> gone = e2e::Missing(before, after);
    std::vector<std::string> added = e2e::Missing(after, before);
    // Kept on purpose: the shared DLL, and the environment value the log cannot record.
    std::vector<std::string> unexpected;
    for (const std::string& line : added) {
        if (line.find(sharedDll) == std::string::npos &&
            line.find(e2e::Lower(envName)) == std::string::npos)
            unexpected.push_back(line);
    }
    EXPECT_TRUE(gone.empty()) << "missing after uninstall:\n" << Join(gone);
    EXPECT_TRUE(unexpected.empty()) << "left after uninstall:\n" << Join(unexpected);
    EXPECT_TRUE(e2e::FileExists(system + "\\" + sharedDll));
}

// Cancelled while it copies, the installation stops where the question was asked; the
// uninstaller, started on the log of what was recorded, removes that, and the prefix is as
// before.
TEST_F(InstallRun, CancelMidInstallationThenUninstallWhatWasRecorded) {
    constexpr int kFiles = 400;
    std::string files = "[FILES]\r\nTOTAL=" + std::to_string(kFiles) + "\r\n";
    const std::string content(4096, 'x');
    for (int i = 0; i < kFiles; ++i) {
        std::string n = std::to_string(i);
        std::string name = "F" + n + "_part" + n + ".bin";
        e2e::WriteTextFile(setup / "src\\" + name, content);
        names.push_back(name);
        files += "PR" + n + "=part" + n + ".bin\r\nON" + n + "=<Install Dir>\\data\r\n";
    }
    MakeCabinet(setup / "file1.cab", setup / "src", names);
    e2e::WriteTextFile(setup / "data.tag", "[APPINFO]\r\n1=" + product + "\r\n5=<Program Files>\\" +
                                               product + "\r\n[DIALOG]\r\n8=1\r\n10=1\r\n" + files);

    e2e::Snapshot before = e2e::TakeSnapshot(Noise);
    e2e::Process process = Start();
    HWND wizard = e2e::WaitTopWindow(process.id(), "#32770", product + " - Stepwise", 60s);
    ASSERT_NE(wizard, nullptr);
    const std::string logPath = installFolder + "\\install.log";
    ASSERT_TRUE(e2e::WaitFor(
        [&] { return e2e::ReadTextFile(logPath).find("[LOG]") != std::string::npos; }, 60s));
    Press(wizard, IDC_WIZARD_CANCEL);
    HWND question = WaitMessageBox(process.id(), "Do you wish cancel the installation ?", 20s);
    ASSERT_NE(question, nullptr);
    e2e::Screenshot("stepwise-install-cancel-question");
    Press(question, IDCANCEL);  // "Yes"
    EXPECT_EQ(process.Wait(30s), 0);

    const std::string log = e2e::ReadTextFile(logPath);
    EXPECT_EQ(log.find("[UNINSTALL]"), std::string::npos) << "the final steps never ran";
    EXPECT_EQ(log.find(std::to_string(kFiles - 1) + "=" + e2e::Lower(installFolder)),
              std::string::npos)
        << "the last file was not reached";
    EXPECT_FALSE(
        e2e::FileExists(installFolder + "\\data\\part" + std::to_string(kFiles - 1) + ".bin"));

    EXPECT_EQ(
        RunAndWait(e2e::BinFolder() + "wizuninst.exe", "/S \"" + logPath + "\"", setup.path()), 0);
    e2e::Snapshot after = e2e::TakeSnapshot(Noise);
    std::vector<std::string> gone = e2e::Missing(before, after);
    std::vector<std::string> added = e2e::Missing(after, before);
    EXPECT_TRUE(gone.empty()) << "missing after uninstall:\n" << Join(gone);
    EXPECT_TRUE(added.empty()) << "left after uninstall:\n" << Join(added);
}

}  // namespace
}  // namespace stepwise_e2e
