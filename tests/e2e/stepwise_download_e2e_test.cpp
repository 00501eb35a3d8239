// FILES entries fetched over HTTP through the wizard under Wine, against the local test
// server, in one installation: a throttled file from a two-level address arrives byte for
// byte with the download controls shown; a 404 and a 401 bring the retry question, and No
// skips them with nothing left behind (a file that was there before stays as it was); a
// body that drops mid-way, then Yes, continues where it stopped. The final steps still run,
// the fetched files are in install.log, and the uninstaller removes them.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/win32/handles_win.h"
#include "e2e.h"
#include "http_test_server.h"
#include "stepwise/res/resource.h"
#include "stepwise_e2e_support.h"

namespace stepwise_e2e {
namespace {

constexpr char kRetryQuestion[] = "Can't download file.\nTry again ?";
constexpr size_t kGoodSize = 90000;    // at 40000 bytes/s: a little over two seconds
constexpr size_t kResumeSize = 60000;  // the first answer drops after kDropAfter bytes
constexpr size_t kDropAfter = 25000;

std::string ProgramFiles() {
    char path[MAX_PATH] = {};
    DWORD size = sizeof path;
    RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                 "ProgramFilesDir", RRF_RT_REG_SZ, nullptr, path, &size);
    return path;
}

// The wizard's progress page: the visible child dialog that holds the download bar.
HWND ProgressPage(HWND wizard) {
    for (HWND child : e2e::ChildWindows(wizard))
        if (GetDlgItem(child, IDC_DOWNLOAD_BAR) && IsWindowVisible(child))
            return child;
    return nullptr;
}

// Answers the next retry question (after `previous` has gone) with `button`.
HWND Answer(DWORD pid, HWND previous, int button) {
    e2e::WaitFor([&] { return !previous || !IsWindow(previous); }, 20s);
    HWND question = WaitMessageBox(pid, kRetryQuestion, 30s);
    if (question) {
        EXPECT_EQ(e2e::WindowText(question), "Stepwise Error");
        ClickButton(question, button);
    }
    return question;
}

TEST(DownloadRun, FetchSkipAndResumeThroughTheWizard) {
    e2e::TestServer server(
        "{\"/dl/v1/good.bin\": {\"pattern\": " + std::to_string(kGoodSize) +
        ", \"rate\": 40000},"
        "\"/missing/keep.txt\": {\"status\": 404, \"body\": \"<html>not here</html>\"},"
        "\"/auth/secret.bin\": {\"status\": 401, \"body\": \"<html>log in</html>\"},"
        "\"/r/resume.bin\": [{\"pattern\": " +
        std::to_string(kResumeSize) +
        ", \"ranges\": true, \"drop_after\": " + std::to_string(kDropAfter) +
        "}, {\"pattern\": " + std::to_string(kResumeSize) + ", \"ranges\": true}]}");
    ASSERT_TRUE(server.started());

    e2e::TempFolder setup("stepwise-download");
    const std::string product = UniqueName("Fetch", "");
    const std::string installFolder = ProgramFiles() + "\\" + product;
    CreateDirectoryA((setup / "src").c_str(), nullptr);
    e2e::WriteTextFile(setup / "src\\F0_readme.txt", "local copy");
    e2e::CopyFileOrFail(e2e::BinFolder() + "wizuninst.exe", setup / "src\\wizuninst.exe");
    MakeCabinet(setup / "file1.cab", setup / "src", {"F0_readme.txt", "wizuninst.exe"});
    // A file the failing download of the same name must leave alone.
    CreateDirectoryA(installFolder.c_str(), nullptr);
    e2e::WriteTextFile(installFolder + "\\keep.txt", "precious");

    const std::vector<std::string> addresses = {
        server.base() + "/dl/v1/good.bin", server.base() + "/missing/keep.txt",
        server.base() + "/auth/secret.bin", server.base() + "/r/resume.bin"};
    std::string files = "[FILES]\r\nTOTAL=" + std::to_string(addresses.size() + 1) +
                        "\r\nPR0=readme.txt\r\nON0=<Install Dir>\r\n";
    for (size_t i = 0; i < addresses.size(); ++i) {
        std::string n = std::to_string(i + 1);
        files += "PR" + n + "=" + addresses[i] + "\r\nPA" + n + "=" + addresses[i] + "\r\nON" + n +
                 "=<Install Dir>\r\n";
    }
    e2e::WriteTextFile(setup / "data.tag",
                       "[APPINFO]\r\n1=" + product + "\r\n5=<Program Files>\\" + product +
                           "\r\n[DIALOG]\r\n8=1\r\n10=1\r\nCOMPLETE2=1\r\n" + files);

    e2e::Process process = e2e::Process::Start(StepwiseExe(), "", setup.path());
    HWND wizard = e2e::WaitTopWindow(process.id(), "#32770", product + " - Stepwise", 60s);
    ASSERT_NE(wizard, nullptr);

    // Mid-download: the controls are shown and report time left and rate.
    HWND page = nullptr;
    ASSERT_TRUE(e2e::WaitFor(
        [&] {
            page = ProgressPage(wizard);
            return page &&
                   e2e::ItemText(page, IDC_DOWNLOAD_TIME).rfind("Estimated time left: ", 0) == 0 &&
                   e2e::ItemText(page, IDC_DOWNLOAD_RATE).rfind("Transfer Rate: ", 0) == 0 &&
                   e2e::ItemText(page, IDC_DOWNLOAD_RATE).size() > 15;  // a rate after a second
        },
        60s));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, IDC_DOWNLOAD_LABEL)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, IDC_DOWNLOAD_BAR)));
    EXPECT_EQ(e2e::ItemText(page, IDC_DOWNLOAD_LABEL), "Download Progress:");
    EXPECT_EQ(e2e::ItemText(page, IDC_PROGRESS_STATUS), "Downloading files from Internet...");
    EXPECT_EQ(e2e::ItemText(page, IDC_PROGRESS_FILE), addresses[0]);
    EXPECT_NE(e2e::ItemText(page, IDC_DOWNLOAD_TIME).find(" copied)"), std::string::npos)
        << e2e::ItemText(page, IDC_DOWNLOAD_TIME);
    e2e::Screenshot("stepwise-download-progress");

    // 404 and 401: No skips each. The dropped body: Yes continues it.
    HWND question = Answer(process.id(), nullptr, IDNO);
    ASSERT_NE(question, nullptr) << "no question for the 404";
    EXPECT_EQ(server.Requests("/missing/keep.txt").size(), 1u);
    question = Answer(process.id(), question, IDNO);
    ASSERT_NE(question, nullptr) << "no question for the 401";
    EXPECT_EQ(server.Requests("/auth/secret.bin").size(), 1u);
    question = Answer(process.id(), question, IDYES);
    ASSERT_NE(question, nullptr) << "no question for the dropped body";

    ASSERT_TRUE(e2e::WaitFor(
        [&] {
            EXPECT_EQ(WaitMessageBox(process.id(), "could not be installed", 0ms), nullptr);
            return e2e::ItemText(wizard, IDC_WIZARD_CANCEL) == "Finish";
        },
        60s));

    EXPECT_EQ(e2e::ReadTextFile(installFolder + "\\good.bin"), e2e::PatternBytes(kGoodSize));
    EXPECT_EQ(e2e::ReadTextFile(installFolder + "\\resume.bin"), e2e::PatternBytes(kResumeSize));
    std::vector<e2e::TestServer::Request> resumed = server.Requests("/r/resume.bin");
    ASSERT_EQ(resumed.size(), 2u);
    EXPECT_EQ(resumed[1].Header("Range"), "bytes=" + std::to_string(kDropAfter) + "-");
    EXPECT_EQ(resumed[1].Header("If-Range"), "\"v1\"");
    EXPECT_EQ(e2e::ReadTextFile(installFolder + "\\keep.txt"), "precious");
    EXPECT_FALSE(e2e::FileExists(installFolder + "\\secret.bin"));
    WIN32_FIND_DATAA found;
    win32::FindHandle parts(FindFirstFileA((installFolder + "\\*.part").c_str(), &found));
    EXPECT_FALSE(parts.valid()) << "a temporary file was left: " << found.cFileName;

    const std::string log = e2e::ReadTextFile(installFolder + "\\install.log");
    EXPECT_NE(log.find(e2e::Lower(installFolder) + "\\good.bin"), std::string::npos) << log;
    EXPECT_NE(log.find(e2e::Lower(installFolder) + "\\resume.bin"), std::string::npos) << log;
    EXPECT_EQ(log.find("keep.txt"), std::string::npos) << log;
    EXPECT_NE(log.find("[UNINSTALL]"), std::string::npos) << "the final steps ran";

    PostMessageA(GetDlgItem(wizard, IDC_WIZARD_CANCEL), BM_CLICK, 0, 0);  // Finish
    long exitCode = process.Wait(20s);
    if (exitCode != 0)
        e2e::Screenshot("stepwise-download-finish-failed");
    EXPECT_EQ(exitCode, 0);

    // The uninstaller removes the fetched files with the copied ones.
    EXPECT_EQ(RunAndWait(e2e::BinFolder() + "wizuninst.exe",
                         "/S \"" + installFolder + "\\install.log\"", setup.path()),
              0);
    EXPECT_FALSE(e2e::FileExists(installFolder + "\\good.bin"));
    EXPECT_FALSE(e2e::FileExists(installFolder + "\\resume.bin"));
    EXPECT_FALSE(e2e::FileExists(installFolder + "\\readme.txt"));
    EXPECT_EQ(e2e::ReadTextFile(installFolder + "\\keep.txt"), "precious");
    DeleteFileA((installFolder + "\\keep.txt").c_str());
    RemoveDirectoryA(installFolder.c_str());
}

}  // namespace
}  // namespace stepwise_e2e
