// The installation on its worker: progress reaches the page on the user-interface thread,
// install.log of a sample script line by line, and a held installation stopped by a cancel.
#include "install/installation_runner_win.h"

#include <gtest/gtest.h>

#include "install/install_test_folder_win.h"
#include "script/profile_win.h"
#include "wizard/wizard_state.h"

namespace stepwise {
namespace {

class PageDouble : public InstallationProgress {
  public:
    void SetStatus(const std::string& text) override {
        status = text;
        Note();
    }
    void SetCurrentFile(const std::string& text) override {
        file = text;
        Note();
    }
    void SetBar(int p, int r) override {
        position = p;
        range = r;
        Note();
    }
    void Note() { otherThread |= GetCurrentThreadId() != uiThread; }

    DWORD uiThread = GetCurrentThreadId();
    bool otherThread = false;
    std::string status, file;
    int position = -1, range = -1;
};

// Delivers messages until the installation state reaches 100 or about `limitMs` pass.
bool PumpUntilEnded(const WizardState& wizard, DWORD limitMs) {
    return WaitUntil(
        [&] {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            return wizard.installationState == kInstallEnded;
        },
        limitMs);
}

class RunnerRun : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* sub : {"setup", "temp", "system"})
            CreateDirectoryA((scratch / sub).c_str(), nullptr);
        installer.folders.systemFolder = scratch / "system";
        installer.folders.tempFolder = scratch / "temp\\";
        installer.folders.programFiles = scratch / "pf";
        installer.folders.windowsFolder = scratch / "win";
        installer.installFolder = installer.defaultInstallFolder = scratch / "pf\\Acme";
        installer.dataTagPath = scratch / "setup\\data.tag";
        script = std::make_unique<PrivateProfileFile>(installer.dataTagPath);
        installer.script = script.get();
        for (const char* name : {"F0_Acme.exe", "F1_readme.txt", "F2_core.dll", "wizuninst.exe"})
            CopyFileA(SampleComponent("plain").c_str(), (scratch / "temp\\" + name).c_str(), FALSE);
    }
    void TearDown() override {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey(appName).c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, ("Software\\" + appName).c_str());
        win32::RegKey environment;
        RegOpenKeyExA(HKEY_CURRENT_USER, "Environment", 0, KEY_SET_VALUE, environment.out());
        RegDeleteValueA(environment.get(), appName.c_str());
    }
    void WriteScript(const std::string& files) {
        std::string text =
            "[APPINFO]\r\n1=" + appName + "\r\n3=2.0\r\n5=<Program Files>\\Acme\r\n[FILES]\r\n" +
            files + "[ENVIR]\r\nTOTAL=1\r\nA0=" + appName +
            "\r\nB0=<Install Dir>\\bin\r\nC0=User\r\n[INI]\r\nTOTAL=1\r\n"
            "N10=Paths\r\nN20=Home\r\nN30=" +
            installer.defaultInstallFolder + "\r\nN40=acme.ini\r\nN50=<Install Dir>\r\n";
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr);
        win32::KernelHandle file(CreateFileA(installer.dataTagPath.c_str(), GENERIC_WRITE, 0,
                                             nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }

    ScratchFolder scratch{"install-runner"};
    std::string appName = "StepwiseRunner" + std::to_string(GetCurrentProcessId());
    InstallerContext installer;
    std::unique_ptr<PrivateProfileFile> script;
};

// A sample script installed on the worker: the page hears of it on its own thread, and
// install.log holds exactly the expected lines (the profile functions may add blank lines
// between sections, which are not compared).
TEST_F(RunnerRun, SampleScriptLogLineByLine) {
    WriteScript(
        "TOTAL=3\r\nPR0=Acme.exe\r\nON0=<Program Files>\\Acme\\bin\r\nPR1=readme.txt\r\n"
        "ON1=<Install Dir>\r\nPR2=core.dll\r\nON2=<Shared DLLs>\r\n");
    PageDouble page;
    WizardState wizard;
    wizard.installationState = kInstalling;
    wizard.userName = "Ann";
    {
        InstallationRunner runner(installer);
        runner.Begin(page, wizard);
        ASSERT_TRUE(PumpUntilEnded(wizard, 60000));
    }
    EXPECT_FALSE(page.otherThread);
    EXPECT_EQ(page.status, "Copying Files...");
    EXPECT_EQ(page.position, 3);
    EXPECT_EQ(page.range, 3);

    const std::string pf = scratch / "pf";
    const std::string lowerAcme = LowerCase(pf + "\\Acme");
    const std::string system = scratch / "system";
    // Every level of the installation folder is handled, the scratch folder's own included.
    std::vector<std::string> expected = {"[DIR]"};
    int dir = 0;
    for (std::size_t at = pf.find('\\', 3); at != std::string::npos; at = pf.find('\\', at + 1))
        expected.push_back(std::to_string(dir++) + "=" + pf.substr(0, at + 1));
    for (const std::string& folder :
         {pf + "\\", pf + "\\Acme\\", pf + "\\Acme\\bin\\", system + "\\"})
        expected.push_back(std::to_string(dir++) + "=" + folder);
    expected.insert(expected.end(),
                    {
                        "[LOG]",
                        "0=" + lowerAcme + "\\bin\\acme.exe",
                        "1=" + lowerAcme + "\\readme.txt",
                        "3=" + lowerAcme + "\\data.tag",
                        "4=" + lowerAcme + "\\acme.ini",
                        "[UNINSTALL]",
                        "PATH=SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + appName,
                        "[CAMINHO]",
                        "PATH1=",
                        "PATH2=",
                        "PATH3=",
                        "PATH4=",
                        "[RTYPE]",
                        "VELMIRA=NAO",
                        "[REGISTRY]",
                        "PATH=Software\\" + appName,
                    });
    // Some of the scratch path's letters may come in another case; compare as written.
    EXPECT_EQ(NonEmptyLines(ReadFileText(pf + "\\Acme\\install.log")), expected);
    EXPECT_NE(GetFileAttributesA((system + "\\core.dll").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesA((system + "\\wizuninst.exe").c_str()), INVALID_FILE_ATTRIBUTES);

    char value[MAX_PATH] = {};
    DWORD size = sizeof value;
    RegGetValueA(HKEY_LOCAL_MACHINE, UninstallKey(appName).c_str(), "UninstallString",
                 RRF_RT_REG_SZ, nullptr, value, &size);
    EXPECT_EQ(std::string(value), system + "\\wizuninst.exe \"" + pf + "\\Acme\\install.log\"");
    size = sizeof value;
    RegGetValueA(HKEY_LOCAL_MACHINE, ("Software\\" + appName).c_str(), "NAME", RRF_RT_REG_SZ,
                 nullptr, value, &size);
    EXPECT_STREQ(value, "Ann");
    size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, "Environment", appName.c_str(), RRF_RT_REG_SZ, nullptr, value,
                 &size);
    EXPECT_EQ(std::string(value), pf + "\\Acme\\bin");
    GetPrivateProfileStringA("Paths", "Home", "", value, sizeof value,
                             (pf + "\\Acme\\acme.ini").c_str());
    EXPECT_EQ(std::string(value), pf + "\\Acme");
}

// Held while the user is asked, then cancelled: the worker stops before its first copy and
// nothing of the final steps happens.
TEST_F(RunnerRun, HeldThenCancelledStopsBeforeCopying) {
    WriteScript("TOTAL=1\r\nPR0=Acme.exe\r\nON0=<Install Dir>\r\n");
    PageDouble page;
    WizardState wizard;
    wizard.installationState = kInstalling;
    {
        InstallationRunner runner(installer);
        runner.Hold(true);
        runner.Begin(page, wizard);
    }  // the cancel: the program ends and the runner with it
    EXPECT_EQ(wizard.installationState, kInstalling);
    std::string log = ReadFileText(scratch / "pf\\Acme\\install.log");
    EXPECT_NE(log.find("[DIR]"), std::string::npos);
    EXPECT_EQ(log.find("[LOG]"), std::string::npos);
    EXPECT_EQ(GetFileAttributesA((scratch / "pf\\Acme\\Acme.exe").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST(FailureMessage, ListsItemsAndCutsLongLists) {
    EXPECT_EQ(FailureMessage({"C:\\a.dll", "C:\\b.lnk"}),
              "The following items could not be installed:\r\n\r\nC:\\a.dll\r\nC:\\b.lnk\r\n");
    std::vector<std::string> many(25, "x");
    std::string text = FailureMessage(many);
    EXPECT_NE(text.find("... and 5 more"), std::string::npos);
}

}  // namespace
}  // namespace stepwise
