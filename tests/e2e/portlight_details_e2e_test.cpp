// The details window as a user meets it: a left click on a program's icon writes its report
// (version values, path, one block per connection), a click on the connection count lists
// every connection with its owner, selecting a normal program's "Process ID" line enables
// Terminate, and with "Resolve Hosts" on and a slow resolver the bar stays live while the
// host lines fill in.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "display/details_ids.h"
#include "e2e.h"
#include "resource.h"
#include "sample_process.h"

namespace {

using namespace std::chrono_literals;
using portlight::kDetailsWindowClass;

constexpr int kSlotImageBase = 0x6000;

HWND BarChild(HWND bar, int id) {
    for (HWND child : e2e::ChildWindows(bar))
        if (GetDlgCtrlID(child) == id)
            return child;
    return nullptr;
}

HWND DetailsItem(HWND details, int id) {
    return GetDlgItem(GetDlgItem(details, portlight::kIdcPicNetstatsInfo), id);
}

// The lines of the details list, read from the other process.
std::vector<std::string> ListLines(HWND details) {
    return e2e::ListBoxLines(DetailsItem(details, portlight::kIdcLstNetstatsInfo));
}

int IndexOf(const std::vector<std::string>& lines, const std::string& prefix) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind(prefix, 0) == 0)
            return static_cast<int>(i);
    return -1;
}

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           _stricmp(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

int CountOf(const std::vector<std::string>& lines, const std::string& prefix) {
    int n = 0;
    for (const std::string& line : lines)
        n += line.rfind(prefix, 0) == 0;
    return n;
}

class DetailsScenario : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string bin = e2e::BinFolder();
        e2e::CopyFileOrFail(bin + "portlight.exe", folder_ / "portlight.exe");
        e2e::CopyFileOrFail(bin + "netstat.exe", folder_ / "netstat.exe");
        ASSERT_TRUE(app_.ready()) << app_.Problem();
        ASSERT_TRUE(plain_.ready()) << plain_.Problem();
        const std::string a = std::to_string(app_.pid());
        const std::string p = std::to_string(plain_.pid());
        e2e::WriteTextFile(
            folder_ / "fake-netstat.txt",
            "\r\nActive Connections\r\n\r\n"
            "  Proto  Local Address          Foreign Address        State           PID\r\n"
            "  TCP    127.0.0.1:135          127.0.0.1:49152        ESTABLISHED     " +
                a +
                "\r\n"
                "  TCP    [::1]:445              [::]:0                 LISTENING       " +
                a +
                "\r\n"
                "  UDP    0.0.0.0:500            *:*                                    " +
                a +
                "\r\n"
                "  TCP    127.0.0.1:50001        127.0.0.1:443          TIME_WAIT       " +
                p + "\r\n");
    }
    void TearDown() override {
        bar_.Kill();
        SetEnvironmentVariableA("PORTLIGHT_TEST_RESOLVER_DELAY_MS", nullptr);
    }

    // Starts the bar and waits for the first snapshot on the strip.
    HWND StartBar(const std::string& resolveHosts) {
        e2e::WriteTextFile(folder_ / "settings.db",
                           "[Main]\r\nActive=True\r\nRefresh=3\r\nTrayIcon=False\r\n"
                           "Autohide=False\r\nStartup=False\r\nSegmentPID=True\r\n"
                           "Unknown=All\r\nResolveHosts=" +
                               resolveHosts + "\r\n");
        bar_ = e2e::Process::Start(folder_ / "portlight.exe", "", folder_.path());
        HWND bar = e2e::WaitTopWindow(bar_.id(), PORTLIGHT_BAR_CLASS, "", 10s);
        if (!bar)
            return nullptr;
        bool counted = e2e::WaitFor(
            [&] {
                HWND label = BarChild(bar, IDC_LBLNETSTATCONNECTIONS);
                return label && e2e::WindowText(label) == "4";
            },
            15s);
        return counted ? bar : nullptr;
    }

    // Left-clicks slot 0 until the details window shows its report: a click while a snapshot
    // has emptied the strip finds no program, as it should.
    HWND OpenReport(HWND bar) {
        HWND image = BarChild(bar, kSlotImageBase);
        for (int attempt = 0; image && attempt < 10; ++attempt) {
            if (IsWindowVisible(image))
                PostMessageA(image, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
            HWND details = nullptr;
            if (e2e::WaitFor(
                    [&] {
                        details = e2e::FindTopWindow(bar_.id(), kDetailsWindowClass);
                        if (!details || !IsWindowVisible(details))
                            return false;
                        // A report, not the connection list a click has not yet replaced.
                        const std::vector<std::string> lines = ListLines(details);
                        return !lines.empty() && lines[0].rfind("Proto", 0) != 0;
                    },
                    1500ms))
                return details;
        }
        return nullptr;
    }

    // The listing line of the sample's first connection, as the fake netstat prints it.
    std::string FirstListingLine() const {
        return "TCP    127.0.0.1:135          127.0.0.1:49152        ESTABLISHED     " +
               std::to_string(app_.pid());
    }

    e2e::TempFolder folder_{"portlight-details"};
    samples::SampleProcess app_{samples::BesideThisProgram("portlight-sample-app.exe")};
    samples::SampleProcess plain_{samples::BesideThisProgram("portlight-sample-plain.exe")};
    e2e::Process bar_;
};

// The report of a program, Terminate on its "Process ID" line, then the connection list
// from a click on the count.
TEST_F(DetailsScenario, ReportSelectionAndConnectionList) {
    HWND bar = StartBar("False");
    ASSERT_TRUE(bar) << "no snapshot reached the bar";
    HWND details = OpenReport(bar);
    ASSERT_TRUE(details) << "a click on the icon showed no report";
    EXPECT_EQ(e2e::WindowText(details), "Details Window");

    std::vector<std::string> lines = ListLines(details);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Sample Courier Suite");
    EXPECT_EQ(IndexOf(lines, "File Description : Sample Courier"), 2);
    const int pathLine = IndexOf(lines, "Path             : ");
    ASSERT_GE(pathLine, 0);
    EXPECT_TRUE(EndsWithNoCase(lines[pathLine], "\\portlight-sample-app.exe")) << lines[pathLine];
    EXPECT_EQ(CountOf(lines, "*** Connection Number :  "), 3);
    EXPECT_GE(IndexOf(lines, "*** Connection Number :  3  ***"), 0);
    EXPECT_GE(IndexOf(lines, "Remote Addr  : 127.0.0.1"), 0);
    ASSERT_EQ(CountOf(lines, "Local Host   : "), 3);
    EXPECT_EQ(lines[IndexOf(lines, "Local Host   : ")], "Local Host   : ") << "resolving is off";
    EXPECT_GE(IndexOf(lines, "FileVersion      : 2.5.0.17"), 0);
    const int pidLine = IndexOf(lines, "Process ID       : ");
    ASSERT_GE(pidLine, 0);
    EXPECT_EQ(lines[pidLine], "Process ID       : " + std::to_string(app_.pid()) + " >> [Normal]");
    e2e::Screenshot("portlight-details-report");

    // Selecting the "Process ID" line of a normal program enables Terminate; another line
    // disables it again.
    HWND list = DetailsItem(details, portlight::kIdcLstNetstatsInfo);
    HWND terminate = DetailsItem(details, portlight::kIdcCmdNetstatsTerminate);
    EXPECT_FALSE(IsWindowEnabled(terminate));
    auto select = [&](int index) {
        SendMessageTimeoutA(list, LB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
        PostMessageA(details, WM_COMMAND, MAKEWPARAM(portlight::kIdcLstNetstatsInfo, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    };
    select(pidLine);
    EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowEnabled(terminate) != FALSE; }, 5s));
    select(2);
    EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowEnabled(terminate) == FALSE; }, 5s));

    // A click on the connection count lists every connection with its owner's path.
    HWND label = BarChild(bar, IDC_LBLNETSTATCONNECTIONS);
    RECT r = e2e::WindowRect(label);
    e2e::RunHost("xdotool mousemove " + std::to_string((r.left + r.right) / 2) + " " +
                 std::to_string((r.top + r.bottom) / 2) + " click 1");
    std::vector<std::string> listLines;
    ASSERT_TRUE(e2e::WaitFor(
        [&] {
            listLines = ListLines(details);
            return listLines.size() == 7 && listLines[0].rfind("Proto", 0) == 0;
        },
        10s))
        << "the count label showed no connection list";
    EXPECT_EQ(listLines[2], "");
    const std::string pid = std::to_string(app_.pid());
    const std::string padded = FirstListingLine() + std::string(16 - pid.size(), ' ');
    const std::string reportPath = lines[pathLine].substr(sizeof "Path             : " - 1);
    EXPECT_EQ(listLines[3], padded + reportPath);
    EXPECT_TRUE(EndsWithNoCase(listLines[6], "\\portlight-sample-plain.exe")) << listLines[6];
    e2e::Screenshot("portlight-details-list");
}

// With "Resolve Hosts" on and every lookup slowed down, the report shows at once with
// "Resolving Hosts", the bar keeps answering and taking snapshots, and the host lines fill in
// afterwards.
TEST_F(DetailsScenario, SlowResolverNeverHoldsUpTheBar) {
    SetEnvironmentVariableA("PORTLIGHT_TEST_RESOLVER_DELAY_MS", "3000");
    HWND bar = StartBar("True");
    ASSERT_TRUE(bar) << "no snapshot reached the bar";
    HWND details = OpenReport(bar);
    ASSERT_TRUE(details) << "a click on the icon showed no report";
    HWND status = DetailsItem(details, portlight::kIdcLblNetstatsInfo);
    EXPECT_EQ(e2e::WindowText(status), "Resolving Hosts");
    std::vector<std::string> lines = ListLines(details);
    ASSERT_GE(IndexOf(lines, "Local Host   : "), 0);
    EXPECT_EQ(lines[IndexOf(lines, "Local Host   : ")], "Local Host   : ")
        << "the first lookup cannot have finished yet";

    // While the lookups run, the bar and its count label answer well within one lookup's 3 s
    // (1.5 s leaves room for a loaded machine; a bar held by a lookup would still miss it).
    HWND label = BarChild(bar, IDC_LBLNETSTATCONNECTIONS);
    int answered = 0;
    int checks = 0;
    e2e::WaitFor(
        [&] {
            ++checks;
            DWORD_PTR result = 0;
            answered +=
                SendMessageTimeoutA(bar, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1500, &result) != 0;
            answered +=
                SendMessageTimeoutA(label, WM_GETTEXT, 0, 0, SMTO_ABORTIFHUNG, 1500, &result) != 0;
            return e2e::WindowText(status) != "Resolving Hosts";
        },
        40s);
    EXPECT_GT(checks, 5) << "the lookups should take seconds";
    EXPECT_EQ(answered, 2 * checks) << "the bar stopped answering while names resolved";

    ASSERT_TRUE(e2e::WaitFor(
        [&] {
            lines = ListLines(details);
            return IndexOf(lines, "Local Host   : localhost") >= 0 &&
                   e2e::WindowText(status).empty();
        },
        10s))
        << "the host lines were not filled";
    EXPECT_GE(CountOf(lines, "Remote Host  : localhost"), 1);
    EXPECT_EQ(CountOf(lines, "Local Host   : "), 3);
    e2e::Screenshot("portlight-details-resolved");

    // The connection list replaces the report; a new report of the same program then takes
    // every name from the session's cache, at once.
    PostMessageA(bar, WM_COMMAND, MAKEWPARAM(IDC_LBLNETSTATCONNECTIONS, STN_CLICKED),
                 reinterpret_cast<LPARAM>(label));
    ASSERT_TRUE(e2e::WaitFor(
        [&] {
            lines = ListLines(details);
            return !lines.empty() && lines[0].rfind("Proto", 0) == 0;
        },
        10s));
    ASSERT_TRUE(OpenReport(bar));
    // The report may still be filling when it first shows; a cached name arrives well within
    // the resolver's 3 s delay, so waiting less than that still tells the cache from a lookup.
    EXPECT_TRUE(e2e::WaitFor(
        [&] {
            lines = ListLines(details);
            return IndexOf(lines, "Local Host   : localhost") >= 0;
        },
        2s));
    EXPECT_EQ(e2e::WindowText(status), "") << "a cached name needs no lookup";
}

}  // namespace
