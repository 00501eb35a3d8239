// Stepwise.exe /S on setup folders made with stepwise-pack.exe: the exit codes an
// administrator's script sees and the log lines that explain them, without a window.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e.h"
#include "stepwise_e2e_support.h"

namespace stepwise_e2e {
namespace {

class SilentRun : public ::testing::Test {
  protected:
    // Packs `script` with one payload file into the setup folder.
    void Pack(const std::string& script) {
        e2e::WriteTextFile(work / "data.tag", script);
        CreateDirectoryA((work / "src").c_str(), nullptr);
        e2e::WriteTextFile(work / "src\\notes.txt", "notes");
        ASSERT_EQ(RunAndWait(e2e::BinFolder() + "stepwise-pack.exe",
                             "--compress mszip data.tag src setup", work.path()),
                  0);
    }
    long Install(const std::string& args) { return RunAndWait(StepwiseIn(), args, work / "setup"); }
    std::string StepwiseIn() const { return work / "setup\\Stepwise.exe"; }
    long Uninstall(const std::string& folder) {
        char system[MAX_PATH] = {};
        GetSystemDirectoryA(system, MAX_PATH);
        long code = RunAndWait(std::string(system) + "\\wizuninst.exe",
                               "/S \"" + folder + "\\install.log\"", system);
        EXPECT_TRUE(WaitUninstallerHelpersGone(60s));
        return code;
    }

    e2e::TempFolder work{"stepwise-silent"};
    std::string product = UniqueName("Silent", "");
    std::string log = work / "setup.log";
};

// Without data.tag nothing can run: 3, and the log says why.
TEST_F(SilentRun, MissingScriptCannotRun) {
    CreateDirectoryA((work / "setup").c_str(), nullptr);
    e2e::CopyFileOrFail(StepwiseExe(), StepwiseIn());
    EXPECT_EQ(Install("/S \"/LOG=" + log + "\""), 3);
    std::string text = e2e::ReadTextFile(log);
    EXPECT_NE(text.find("FAILED: Data file not found..."), std::string::npos) << text;
    EXPECT_NE(text.find("exit code 3"), std::string::npos) << text;
}

// A bad command line is 4, before anything is read.
TEST_F(SilentRun, BadCommandLine) {
    CreateDirectoryA((work / "setup").c_str(), nullptr);
    e2e::CopyFileOrFail(StepwiseExe(), StepwiseIn());
    EXPECT_EQ(Install("/S /D=relative"), 4);
    std::string text = e2e::ReadTextFile(TempPath() + "stepwise-setup.log");
    EXPECT_NE(text.find("bad command line"), std::string::npos) << text;
}

// A download the unattended run cannot fetch makes it fail (2) though the rest is installed;
// without it, a script that asks for a restart ends with 5.
TEST_F(SilentRun, FailedDownloadAndNeededRestart) {
    const std::string head = "[APPINFO]\r\n1=" + product + "\r\n5=<Program Files>\\" + product +
                             "\r\n[DIALOG]\r\nCOMPLETE2=0\r\n[FILES]\r\n";
    Pack(head +
         "TOTAL=2\r\nPR0=notes.txt\r\nON0=<Install Dir>\r\nPR1=http://127.0.0.1:9/extra.zip\r\n"
         "PA1=http://127.0.0.1:9/extra.zip\r\nON1=<Install Dir>\r\n");
    const std::string folder = work / "installed";
    EXPECT_EQ(Install("/S \"/D=" + folder + "\" \"/LOG=" + log + "\""), 2);
    std::string text = e2e::ReadTextFile(log);
    EXPECT_NE(text.find("FAILED: download http://127.0.0.1:9/extra.zip"), std::string::npos)
        << text;
    EXPECT_TRUE(e2e::FileExists(folder + "\\notes.txt"));
    EXPECT_EQ(Uninstall(folder), 0);

    // Packed again into an emptied setup folder: the packer refuses one with files in it.
    e2e::WriteTextFile(work / "data.tag",
                       head + "TOTAL=1\r\nPR0=notes.txt\r\nON0=<Install Dir>\r\n");
    for (const char* name : {"Stepwise.exe", "data.tag", "file1.cab"})
        DeleteFileA((work / "setup\\" + name).c_str());
    RemoveDirectoryA((work / "setup").c_str());
    ASSERT_EQ(RunAndWait(e2e::BinFolder() + "stepwise-pack.exe",
                         "--compress mszip data.tag src setup", work.path()),
              0);
    EXPECT_EQ(Install("/S \"/D=" + folder + "\" \"/LOG=" + log + "\""), 5);
    text = e2e::ReadTextFile(log);
    EXPECT_NE(text.find("Windows must restart"), std::string::npos) << text;
    EXPECT_EQ(text.find("FAILED"), std::string::npos) << text;
    EXPECT_EQ(Uninstall(folder), 0);
}

}  // namespace
}  // namespace stepwise_e2e
