// The installation's system calls on real files, the registry and shell objects under Wine,
// and the whole sequence over them with a sample script.
#include "install/install_system_win.h"

#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "common/win32/com_win.h"
#include "install/install_test_folder_win.h"
#include "install/installation.h"
#include "script/fake_profile.h"

namespace stepwise {
namespace {

class NoProgress : public InstallationProgress {
  public:
    void SetStatus(const std::string&) override {}
    void SetCurrentFile(const std::string&) override {}
    void SetBar(int, int) override {}
};

std::string RegistryString(HKEY root, const std::string& key, const std::string& name) {
    char value[512] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return "<missing>";
    return value;
}

std::string UniqueName(const std::string& stem) {
    return stem + std::to_string(GetCurrentProcessId()) + "x" + std::to_string(GetTickCount());
}

// The version strings of the sample components, as the Shared DLLs rule reads them.
TEST(FileVersion, ReadsTheSampleVersions) {
    EXPECT_EQ(ReadFileVersionString(SampleComponent("401")), "4.0.1");
    EXPECT_EQ(ReadFileVersionString(SampleComponent("500")), "5.0.0");
    EXPECT_EQ(ReadFileVersionString(SampleComponent("plain")), std::nullopt);
    EXPECT_EQ(ReadFileVersionString("C:\\no\\such\\file.dll"), std::nullopt);
}

class SharedDllRun : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateDirectoryA((scratch / "temp").c_str(), nullptr);
        CreateDirectoryA((scratch / "system").c_str(), nullptr);
        script.Set("APPINFO", "1", UniqueName("StepwiseTest"));
        script.Set("FILES", "TOTAL", "3");
        script.Set("FILES", "PR0", "common.dll");
        script.Set("FILES", "ON0", "<Shared DLLs>");
        script.Set("FILES", "PR1", "Grid.ocx");
        script.Set("FILES", "ON1", "<Shared DLLs>");
        script.Set("FILES", "PR2", "kept.dll");
        script.Set("FILES", "ON2", "<Install Dir>");
        CopyFileA(SampleComponent("500").c_str(), (scratch / "temp\\F1_Grid.ocx").c_str(), FALSE);
        CopyFileA(SampleComponent("500").c_str(), (scratch / "temp\\F2_kept.dll").c_str(), FALSE);
    }
    void TearDown() override {
        WaitForProgramsToEnd({"regsvr32.exe"}, 60000);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey(script.Read("APPINFO", "1", 100)).c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE,
                      ("Software\\" + script.Read("APPINFO", "1", 100)).c_str());
    }
    void Install(const std::string& newVersion) {
        CopyFileA(SampleComponent(newVersion).c_str(), (scratch / "temp\\F0_common.dll").c_str(),
                  FALSE);
        InstallationInput in;
        in.script = &script;
        in.tokens[DestinationKind::SharedDlls] = scratch / "system";
        in.tokens.installFolder = in.tokens.defaultInstallFolder = scratch / "app";
        in.tempFolder = scratch / "temp\\";
        in.systemFolder = scratch / "system";
        in.dataTagPath = scratch / "no-data.tag";
        WindowsInstallSystem system;
        NoProgress progress;
        Installation installation(in, system, progress, [] { return false; });
        ASSERT_TRUE(installation.Run());
    }
    std::string SystemVersion() {
        return ReadFileVersionString(scratch / "system\\common.dll").value_or("none");
    }

    ScratchFolder scratch{"install-rules"};
    FakeProfile script;
};

// With "Always Overwrite", an existing 4.0.1 is replaced by 5.0.0 but not by 4.9.9; with any
// other value it stays whatever the version; the control is always replaced and registered;
// the installation folder's DLL stays without "Always Overwrite".
TEST_F(SharedDllRun, VersionAndOverwriteRules) {
    script.Set("Shared DLLs", "3", "Always Overwrite");
    CopyFileA(SampleComponent("401").c_str(), (scratch / "system\\common.dll").c_str(), FALSE);
    CopyFileA(SampleComponent("401").c_str(), (scratch / "system\\Grid.ocx").c_str(), FALSE);
    CreateDirectoryA((scratch / "app").c_str(), nullptr);
    CopyFileA(SampleComponent("401").c_str(), (scratch / "app\\kept.dll").c_str(), FALSE);

    Install("499");
    EXPECT_EQ(SystemVersion(), "4.0.1");
    Install("500");
    EXPECT_EQ(SystemVersion(), "5.0.0");
    EXPECT_EQ(ReadFileVersionString(scratch / "system\\Grid.ocx"), "5.0.0");
    EXPECT_EQ(ReadFileVersionString(scratch / "app\\kept.dll"), "4.0.1");
    EXPECT_TRUE(WaitUntil(
        [&] {
            return GetFileAttributesA((scratch / "system\\Grid.ocx.registered").c_str()) !=
                   INVALID_FILE_ATTRIBUTES;
        },
        30000))
        << "regsvr32 did not register the control";

    script.Set("Shared DLLs", "3", "Overwrite");
    CopyFileA(SampleComponent("401").c_str(), (scratch / "system\\common.dll").c_str(), FALSE);
    Install("500");
    EXPECT_EQ(SystemVersion(), "4.0.1");
}

// A shell link's target, arguments, show state and working folder read back through
// IShellLinkA; an Internet shortcut's address read from its file.
TEST(Shortcuts, ReadBackThroughTheShell) {
    win32::ComApartment com;
    ASSERT_TRUE(com.initialised());
    ScratchFolder scratch("install-links");
    WindowsInstallSystem system;
    ShellLink link;
    link.path = scratch / "Acme.lnk";
    link.target = SampleComponent("500");
    link.arguments = "\"C:\\Acme\\install.log\"";
    link.showCommand = SW_SHOWMAXIMIZED;
    link.workingFolder = scratch.path();
    ASSERT_TRUE(system.CreateShellLink(link));

    win32::ComPtr<IShellLinkA> shell;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                              IID_IShellLinkA, shell.out()));
    win32::ComPtr<IPersistFile> file;
    ASSERT_HRESULT_SUCCEEDED(shell->QueryInterface(IID_IPersistFile, file.out()));
    std::wstring wide(link.path.begin(), link.path.end());
    ASSERT_HRESULT_SUCCEEDED(file->Load(wide.c_str(), STGM_READ));
    char text[MAX_PATH] = {};
    shell->GetPath(text, MAX_PATH, nullptr, 0);
    EXPECT_STRCASEEQ(text, link.target.c_str());
    shell->GetArguments(text, MAX_PATH);
    EXPECT_STREQ(text, link.arguments.c_str());
    shell->GetWorkingDirectory(text, MAX_PATH);
    EXPECT_STRCASEEQ(text, link.workingFolder.c_str());
    // Wine's shell link saves the show state but does not load it back (GetShowCmd answers
    // SW_SHOWNORMAL); the saved header's ShowCommand field (offset 0x3C) is what Windows
    // reads.
    std::string raw = ReadFileText(link.path);
    ASSERT_GE(raw.size(), 0x40u);
    EXPECT_EQ(static_cast<unsigned char>(raw[0x3C]), SW_SHOWMAXIMIZED);

    std::string url = scratch / "Help.url";
    ASSERT_TRUE(system.CreateInternetShortcut(url, "C:\\Acme\\help.chm"));
    char address[MAX_PATH] = {};
    GetPrivateProfileStringA("InternetShortcut", "URL", "", address, MAX_PATH, url.c_str());
    EXPECT_STREQ(address, "C:\\Acme\\help.chm");
    WaitForProgramsToEnd({"winemenubuilder.exe"}, 60000);
}

// Registry values under every level created, the user's environment in HKCU, INI entries.
TEST(SystemValues, RegistryEnvironmentAndIni) {
    WindowsInstallSystem system;
    const std::string company = UniqueName("StepwiseCo");
    const std::string key = "Software\\" + company + "\\Acme";
    ASSERT_TRUE(system.WriteMachineValues(key, {{"PATH", "C:\\Acme"}, {"VERSION", "1.2"}}));
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, key, "PATH"), "C:\\Acme");
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, key, "VERSION"), "1.2");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, ("Software\\" + company).c_str());

    const std::string name = UniqueName("STEPWISE_TEST_");
    ASSERT_TRUE(system.SetEnvironmentValue(EnvironmentScope::User, name, "C:\\Acme\\bin"));
    system.AnnounceEnvironment();  // returns even with windows of other programs about
    EXPECT_EQ(RegistryString(HKEY_CURRENT_USER, "Environment", name), "C:\\Acme\\bin");
    win32::RegKey environment;
    RegOpenKeyExA(HKEY_CURRENT_USER, "Environment", 0, KEY_SET_VALUE, environment.out());
    RegDeleteValueA(environment.get(), name.c_str());

    ScratchFolder scratch("install-ini");
    ASSERT_TRUE(system.WriteProfileValue(scratch / "acme.ini", "Paths", "Home", "C:\\Acme"));
    char value[64] = {};
    GetPrivateProfileStringA("Paths", "Home", "", value, sizeof value,
                             (scratch / "acme.ini").c_str());
    EXPECT_STREQ(value, "C:\\Acme");
}

}  // namespace
}  // namespace stepwise
