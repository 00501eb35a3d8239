// Ending programs from the bar as a user does: "Terminate Process" in a program's icon menu
// and "Terminate" in the details window end that program and no other, and the next snapshot
// no longer shows it.
// With Wine's own netstat, which prints no owner column, the bar reads the system's tables
// and counts and lists this test's own listening socket and connection.
#include <winsock2.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "display/details_ids.h"
#include "e2e.h"
#include "loopback_pair.h"
#include "resource.h"
#include "sample_process.h"

namespace {

using namespace std::chrono_literals;
using portlight::kDetailsWindowClass;

constexpr char kSlotImageClass[] = "PortlightSlotImage";
constexpr int kSlotImageBase = 0x6000;

HWND BarChild(HWND bar, int id) {
    for (HWND child : e2e::ChildWindows(bar))
        if (GetDlgCtrlID(child) == id)
            return child;
    return nullptr;
}

// Hover texts of the visible slots, with their images, in slot order.
std::map<std::string, HWND> VisibleSlots(HWND bar) {
    std::map<int, HWND> images;
    for (HWND child : e2e::ChildWindows(bar)) {
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (std::string(cls) == kSlotImageClass && IsWindowVisible(child))
            images[GetDlgCtrlID(child) - kSlotImageBase] = child;
    }
    std::map<std::string, HWND> slots;
    for (const auto& [i, image] : images)
        slots[e2e::WindowText(image)] = image;
    return slots;
}

HWND OpenMenu(DWORD pid, HWND other = nullptr) {
    for (HWND menu : e2e::VisibleTopWindows(pid, "#32768"))
        if (menu != other)
            return menu;
    return nullptr;
}

// The right button on a slot until its menu opens: a press during a snapshot is ignored.
HWND RightClickForMenu(HWND image, DWORD pid) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        PostMessageA(image, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
        HWND menu = nullptr;
        if (e2e::WaitFor([&] { return (menu = OpenMenu(pid)) != nullptr; }, 1000ms))
            return menu;
    }
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

std::string Listed(DWORD pid, const std::string& localPort) {
    return "  TCP    127.0.0.1:" + localPort + "        127.0.0.1:443          ESTABLISHED     " +
           std::to_string(pid) + "\r\n";
}

class TerminationScenario : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(first_.ready()) << first_.Problem();
        ASSERT_TRUE(second_.ready()) << second_.Problem();
        e2e::CopyFileOrFail(e2e::BinFolder() + "portlight.exe", folder_ / "portlight.exe");
    }
    void TearDown() override { bar_.Kill(); }

    void UseFakeNetstat() {
        e2e::CopyFileOrFail(e2e::BinFolder() + "netstat.exe", folder_ / "netstat.exe");
        e2e::WriteTextFile(
            folder_ / "fake-netstat.txt",
            "\r\nActive Connections\r\n\r\n"
            "  Proto  Local Address          Foreign Address        State           PID\r\n" +
                Listed(first_.pid(), "50001") + Listed(second_.pid(), "50002") +
                Listed(first_.pid(), "50003"));
    }

    HWND StartBar(const std::string& options) {
        e2e::WriteTextFile(folder_ / "settings.db",
                           "[Main]\r\nActive=True\r\nRefresh=3\r\nTrayIcon=False\r\n"
                           "Autohide=False\r\nStartup=False\r\nSegmentPID=True\r\n" +
                               options);
        bar_ = e2e::Process::Start(folder_ / "portlight.exe", "", folder_.path());
        return e2e::WaitTopWindow(bar_.id(), PORTLIGHT_BAR_CLASS, "", 10s);
    }

    std::string Key(const samples::SampleProcess& p) const {
        return "Sample Courier - PID=" + std::to_string(p.pid());
    }

    // Waits until both samples have their slot.
    bool BothShown(HWND bar) {
        return e2e::WaitFor(
            [&] {
                auto slots = VisibleSlots(bar);
                return slots.count(Key(first_)) && slots.count(Key(second_));
            },
            20s);
    }

    // A snapshot after the end shows the program no more, while the other stays.
    void ExpectOnlyFirstGone(HWND bar) {
        EXPECT_TRUE(first_.WaitForExit(10000)) << "the chosen program still runs";
        EXPECT_FALSE(second_.WaitForExit(0)) << "another program was ended too";
        EXPECT_TRUE(e2e::WaitFor(
            [&] {
                auto slots = VisibleSlots(bar);
                return !slots.count(Key(first_)) && slots.count(Key(second_));
            },
            20s))
            << "the next snapshot still shows the ended program";
    }

    e2e::TempFolder folder_{"portlight-terminate"};
    samples::SampleProcess first_{samples::BesideThisProgram("portlight-sample-app.exe")};
    samples::SampleProcess second_{samples::BesideThisProgram("portlight-sample-app.exe")};
    e2e::Process bar_;
};

// "Terminate Process" in the icon menu ends the slot's program and nothing else.
TEST_F(TerminationScenario, IconMenuTerminateProcess) {
    UseFakeNetstat();
    HWND bar = StartBar("Unknown=All\r\n");
    ASSERT_TRUE(bar);
    ASSERT_TRUE(BothShown(bar));
    HWND menu = nullptr;
    HWND submenu = nullptr;
    for (int attempt = 0; attempt < 5 && !submenu; ++attempt) {
        HWND image = VisibleSlots(bar)[Key(first_)];
        if (!image || !(menu = RightClickForMenu(image, bar_.id())))
            continue;
        // Down to "Terminate Process" (hover text, "Show Info", "Terminate Connection",
        // "Terminate Process") and open it; its first entry is the program's PID.
        for (int key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT})
            PostMessageA(menu, WM_KEYDOWN, key, 0);
        e2e::WaitFor([&] { return (submenu = OpenMenu(bar_.id(), menu)) != nullptr; }, 5s);
        if (!submenu)
            PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    ASSERT_TRUE(submenu) << "the process submenu did not open";
    e2e::Screenshot("portlight-terminate-process-menu");
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    ExpectOnlyFirstGone(bar);
}

// "Terminate" in the details window ends the program of the selected "Process ID" line.
TEST_F(TerminationScenario, DetailsWindowTerminate) {
    UseFakeNetstat();
    HWND bar = StartBar("Unknown=All\r\n");
    ASSERT_TRUE(bar);
    ASSERT_TRUE(BothShown(bar));
    HWND details = nullptr;
    std::vector<std::string> lines;
    const std::string pidLine =
        "Process ID       : " + std::to_string(first_.pid()) + " >> [Normal]";
    for (int attempt = 0; attempt < 10 && IndexOf(lines, pidLine) < 0; ++attempt) {
        HWND image = VisibleSlots(bar)[Key(first_)];
        if (image)
            PostMessageA(image, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        e2e::WaitFor(
            [&] {
                details = e2e::FindTopWindow(bar_.id(), kDetailsWindowClass);
                lines = details ? ListLines(details) : std::vector<std::string>();
                return IndexOf(lines, pidLine) >= 0;
            },
            1500ms);
    }
    ASSERT_GE(IndexOf(lines, pidLine), 0) << "no report of the program";
    HWND list = DetailsItem(details, portlight::kIdcLstNetstatsInfo);
    HWND terminate = DetailsItem(details, portlight::kIdcCmdNetstatsTerminate);
    auto select = [&](int index) {
        SendMessageTimeoutA(list, LB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
        PostMessageA(details, WM_COMMAND, MAKEWPARAM(portlight::kIdcLstNetstatsInfo, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    };
    select(IndexOf(lines, pidLine));
    ASSERT_TRUE(e2e::WaitFor([&] { return IsWindowEnabled(terminate) != FALSE; }, 5s));
    PostMessageA(details, WM_COMMAND, MAKEWPARAM(portlight::kIdcCmdNetstatsTerminate, BN_CLICKED),
                 reinterpret_cast<LPARAM>(terminate));
    EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowEnabled(terminate) == FALSE; }, 5s));
    ExpectOnlyFirstGone(bar);
}

// Wine's netstat prints no owner column: the bar lists the system's own tables, so this
// test's listening socket and connection are counted and listed.
TEST_F(TerminationScenario, WineNetstatFallsBackOnTheSystemTables) {
    samples::LoopbackPair pair;
    ASSERT_TRUE(pair.ready());
    HWND bar = StartBar("Unknown=ShowAll\r\nMonitor=TCP\r\nActiveOnly=False\r\n");
    ASSERT_TRUE(bar);
    HWND label = nullptr;
    ASSERT_TRUE(e2e::WaitFor(
        [&] {
            label = BarChild(bar, IDC_LBLNETSTATCONNECTIONS);
            return label && std::atoi(e2e::WindowText(label).c_str()) >= 3;
        },
        20s))
        << "the count stayed below the test's three endpoints";
    e2e::Screenshot("portlight-terminate-system-tables");

    HWND details = nullptr;
    const std::string listener = "127.0.0.1:" + std::to_string(pair.listenPort);
    const std::string client = "127.0.0.1:" + std::to_string(pair.clientPort);
    std::vector<std::string> lines;
    bool listed = false;
    for (int attempt = 0; attempt < 10 && !listed; ++attempt) {
        PostMessageA(bar, WM_COMMAND, MAKEWPARAM(IDC_LBLNETSTATCONNECTIONS, STN_CLICKED),
                     reinterpret_cast<LPARAM>(label));
        listed = e2e::WaitFor(
            [&] {
                details = e2e::FindTopWindow(bar_.id(), kDetailsWindowClass);
                lines = details ? ListLines(details) : std::vector<std::string>();
                return !lines.empty() && lines[0].rfind("Proto", 0) == 0;
            },
            2s);
    }
    ASSERT_TRUE(listed) << "the count label showed no connection list";
    int listening = 0, connected = 0;
    for (const std::string& line : lines) {
        if (line.find(listener) != std::string::npos && line.find("LISTENING") != std::string::npos)
            ++listening;
        if (line.find(client) != std::string::npos && line.find(listener) != std::string::npos &&
            line.find("ESTABLISHED") != std::string::npos)
            ++connected;
    }
    EXPECT_EQ(listening, 1);
    EXPECT_EQ(connected, 2) << "both ends of the connection";
    e2e::Screenshot("portlight-terminate-system-list");
}

}  // namespace
