// Soak benchmark (not a test): the real bar under Wine with a fake netstat whose listing
// changes at every snapshot, sample programs appearing and vanishing. It prints the bar
// process's handle count and its GDI and USER object counts at the start, every 100
// snapshots and at the end, then its CPU use while idle at the 3-second refresh.
//
//   portlight_soak_bench [snapshots] [idle seconds]     default 1000 and 60
//   portlight_soak_bench --smoke                        60 snapshots, 6 s idle
//
// The counts are read between snapshots, when none is running. It exits 1 when a count
// grew after the warm-up (the first tenth of the snapshots, at least 20): the short form
// runs in CI and fails on growth. Times are printed, never judged.
#include <windows.h>

#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/commands.h"
#include "e2e.h"
#include "resource.h"
#include "sample_process.h"

namespace {

using namespace std::chrono_literals;

struct Counts {
    DWORD handles = 0;
    DWORD gdi = 0;
    DWORD user = 0;
};

// Wine answers GetProcessHandleCount for another process with 0; its system handle list
// (from the wine server) has every process's handles.
DWORD HandlesInSystemList(DWORD pid) {
    std::vector<unsigned char> buffer(1 << 20);
    for (int attempt = 0; attempt < 6; ++attempt) {
        ULONG needed = 0;
        NTSTATUS status = NtQuerySystemInformation(
            static_cast<SYSTEM_INFORMATION_CLASS>(16),  // SystemHandleInformation
            buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            const auto* info = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buffer.data());
            DWORD n = 0;
            for (ULONG i = 0; i < info->Count; ++i)
                n += info->Handle[i].OwnerPid == pid;
            return n;
        }
        buffer.resize(buffer.size() * 2 > needed ? buffer.size() * 2 : needed);
    }
    return 0;
}

// Windows are USER objects; where GetGuiResources is a stub (Wine) the process's windows
// stand in for the USER count.
struct WindowWalk {
    DWORD pid;
    DWORD count;
};

BOOL CALLBACK CountChild(HWND, LPARAM walk) {
    ++reinterpret_cast<WindowWalk*>(walk)->count;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND top, LPARAM walk) {
    auto* w = reinterpret_cast<WindowWalk*>(walk);
    DWORD owner = 0;
    GetWindowThreadProcessId(top, &owner);
    if (owner == w->pid) {
        ++w->count;
        EnumChildWindows(top, CountChild, walk);
    }
    return TRUE;
}

DWORD WindowsOf(DWORD pid) {
    WindowWalk walk{pid, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&walk));
    return walk.count;
}

// How the counts were read, decided on the first reading.
struct Sources {
    bool handlesFromList = false;
    bool userFromWindows = false;
    bool gdiAvailable = true;
};
Sources sources;

Counts CountsOf(HANDLE process, DWORD pid) {
    Counts c;
    GetProcessHandleCount(process, &c.handles);
    c.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    c.user = GetGuiResources(process, GR_USEROBJECTS);
    if (c.handles == 0) {
        sources.handlesFromList = true;
        c.handles = HandlesInSystemList(pid);
    }
    if (c.user == 0) {
        sources.userFromWindows = true;
        c.user = WindowsOf(pid);
    }
    sources.gdiAvailable = c.gdi != 0;
    return c;
}

void Print(const char* when, int snapshot, const Counts& c) {
    std::printf("%-8s snapshot %5d: handles %5lu  GDI ", when, snapshot,
                static_cast<unsigned long>(c.handles));
    if (sources.gdiAvailable)
        std::printf("%5lu", static_cast<unsigned long>(c.gdi));
    else
        std::printf("  n/a");
    std::printf("  %s %5lu\n", sources.userFromWindows ? "windows" : "USER",
                static_cast<unsigned long>(c.user));
    std::fflush(stdout);
}

bool UnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// The bar's CPU time in seconds. Wine's times for another process do not move, so there the
// host's own account of the bar's Unix process is read (found by its program folder).
double CpuSeconds(HANDLE process, const e2e::TempFolder& folder) {
    FILETIME created, exited, kernel, user;
    if (!UnderWine() && GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        auto seconds = [](FILETIME t) {
            return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7;
        };
        if (seconds(kernel) + seconds(user) > 0)
            return seconds(kernel) + seconds(user);
    }
    const std::string out = folder / "cpu.txt";
    const std::string name = folder.path().substr(folder.path().find_last_of('\\') + 1);
    e2e::RunHost("p=$(pgrep -f '" + name + ".portlight[.]exe' | head -1); t=$(getconf CLK_TCK); " +
                 "awk -v t=$t '{printf \"%.3f\", ($14+$15)/t}' /proc/$p/stat > '" +
                 e2e::UnixPath(out) + "'");
    return std::atof(e2e::ReadTextFile(out).c_str());
}

HWND BarChild(HWND bar, int id) {
    for (HWND child : e2e::ChildWindows(bar))
        if (GetDlgCtrlID(child) == id)
            return child;
    return nullptr;
}

const char* const kSamples[] = {"portlight-sample-app.exe", "portlight-sample-neutral.exe",
                                "portlight-sample-plain.exe"};

// About 100 rows: each live sample owns a share, plus owner-0 rows and a gone process.
std::string Listing(const std::vector<std::unique_ptr<samples::SampleProcess>>& live,
                    int snapshot) {
    std::string text =
        "\r\nActive Connections\r\n\r\n"
        "  Proto  Local Address          Foreign Address        State           PID\r\n";
    int port = 40000 + (snapshot % 7) * 1000;
    for (size_t i = 0; i < live.size(); ++i) {
        // Every snapshot shows a different part of the programs.
        if ((static_cast<int>(i) + snapshot) % 4 == 0)
            continue;
        const std::string pid = std::to_string(live[i]->pid());
        for (int k = 0; k < 11; ++k)
            text += "  TCP    10.0.0.2:" + std::to_string(port++) +
                    "         93.184.216.34:443      ESTABLISHED     " + pid + "\r\n";
        text += "  UDP    0.0.0.0:" + std::to_string(port++) +
                "           *:*                                    " + pid + "\r\n";
    }
    for (int k = 0; k < 8; ++k)
        text += "  TCP    10.0.0.2:" + std::to_string(port++) +
                "         10.0.0.9:80            TIME_WAIT       0\r\n";
    text += "  TCP    10.0.0.2:" + std::to_string(port++) +
            "         10.0.0.9:80            CLOSE_WAIT      99999\r\n";
    return text;
}

// The lowest reading of each count over a span: a snapshot the timer started just then
// holds a few handles for a moment, a leak raises the floor.
struct Floor {
    Counts c{~0ul, ~0ul, ~0ul};
    void Add(const Counts& x) {
        c.handles = x.handles < c.handles ? x.handles : c.handles;
        c.gdi = x.gdi < c.gdi ? x.gdi : c.gdi;
        c.user = x.user < c.user ? x.user : c.user;
    }
};

// A leak costs at least one object per snapshot, tens over the span compared; a program that
// appeared late may still hold one or two in the caches, which end with it.
constexpr DWORD kSlack = 3;

bool Grew(const Counts& now, const Counts& warm) {
    return now.handles > warm.handles + kSlack || now.gdi > warm.gdi + kSlack ||
           now.user > warm.user + kSlack;
}

}  // namespace

int main(int argc, char** argv) {
    int snapshots = 1000;
    int idleSeconds = 60;
    if (argc > 1 && std::string(argv[1]) == "--smoke") {
        snapshots = 60;
        idleSeconds = 6;
    } else {
        if (argc > 1)
            snapshots = std::atoi(argv[1]);
        if (argc > 2)
            idleSeconds = std::atoi(argv[2]);
    }
    // A tenth of the run, at least 20, but never the whole of a short run: the readings
    // after it are what growth is judged on.
    int warmUp = snapshots / 10 > 20 ? snapshots / 10 : 20;
    if (warmUp > snapshots / 2)
        warmUp = snapshots / 2;
    const int every = snapshots >= 200 ? 100 : 20;

    e2e::TempFolder folder("portlight-soak");
    e2e::CopyFileOrFail(e2e::BinFolder() + "portlight.exe", folder / "portlight.exe");
    e2e::CopyFileOrFail(e2e::BinFolder() + "netstat.exe", folder / "netstat.exe");
    // Refresh 10 while snapshots are driven by hand, so the timer seldom adds one.
    e2e::WriteTextFile(folder / "settings.db",
                       "[Main]\r\nActive=True\r\nRefresh=10\r\nTrayIcon=False\r\n"
                       "Autohide=False\r\nStartup=False\r\nSegmentPID=True\r\n"
                       "Unknown=ShowAll\r\n");
    std::vector<std::unique_ptr<samples::SampleProcess>> live;
    for (int i = 0; i < 8; ++i)
        live.push_back(
            std::make_unique<samples::SampleProcess>(samples::BesideThisProgram(kSamples[i % 3])));
    e2e::WriteTextFile(folder / "fake-netstat.txt", Listing(live, 0));

    e2e::Process bar = e2e::Process::Start(folder / "portlight.exe", "", folder.path());
    HWND window = e2e::WaitTopWindow(bar.id(), PORTLIGHT_BAR_CLASS, "", 20s);
    HWND netstats = nullptr;
    if (!window ||
        !e2e::WaitFor([&] { return (netstats = BarChild(window, IDC_CMDNETSTATS)); }, 10s)) {
        std::printf("the bar did not start\n");
        return 2;
    }
    auto calls = [&] {
        std::string log = e2e::ReadTextFile(folder / "fake-netstat.log");
        size_t n = 0;
        for (char c : log)
            n += c == '\n';
        return n;
    };
    // One snapshot: a new listing, the hidden button clicked until netstat has run once
    // more, then the snapshot's end (the button enabled again).
    auto snapshot = [&](int i) {
        e2e::WriteTextFile(folder / "fake-netstat.txt", Listing(live, i));
        const size_t before = calls();
        for (int attempt = 0; attempt < 20; ++attempt) {
            e2e::WaitFor([&] { return IsWindowEnabled(netstats) != FALSE; }, 10s);
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_CMDNETSTATS, BN_CLICKED),
                         reinterpret_cast<LPARAM>(netstats));
            if (e2e::WaitFor([&] { return calls() > before; }, 3s))
                break;
        }
        e2e::WaitFor([&] { return IsWindowEnabled(netstats) != FALSE; }, 10s);
        // Let the window finish the snapshot's messages before anything is counted.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    };

    snapshot(0);
    Counts start = CountsOf(bar.handle(), bar.id());
    if (sources.handlesFromList)
        std::printf("handles from the system handle list (GetProcessHandleCount gave 0)\n");
    if (!sources.gdiAvailable)
        std::printf(
            "GetGuiResources gives 0 here (Wine): no GDI count; windows stand in for "
            "USER objects\n");
    Print("start", 0, start);
    Counts last = start;
    Floor warm;   // the ten snapshots after the warm-up
    Floor final;  // the last ten
    for (int i = 1; i <= snapshots; ++i) {
        // Programs vanish and new ones appear under new process ids.
        if (i % 25 == 0) {
            const size_t k = static_cast<size_t>(i / 25) % live.size();
            live[k] = std::make_unique<samples::SampleProcess>(
                samples::BesideThisProgram(kSamples[(i / 25) % 3]));
        }
        snapshot(i);
        last = CountsOf(bar.handle(), bar.id());
        if (i > warmUp && i <= warmUp + 10)
            warm.Add(last);
        if (i > snapshots - 10)
            final.Add(last);
        if (i % every == 0 && i != snapshots)
            Print("", i, last);
    }
    Print("end", snapshots, last);

    // Idle: the 3-second refresh with an unchanging listing, nothing driven from outside.
    PostMessageA(window, WM_COMMAND,
                 MAKEWPARAM(IDM_SETTINGS_BASE + static_cast<int>(portlight::Command::Refresh3), 0),
                 0);
    e2e::WriteTextFile(folder / "fake-netstat.txt", Listing(live, 1));
    snapshot(1);
    const size_t idleCallsBefore = calls();
    const double cpuBefore = CpuSeconds(bar.handle(), folder);
    const DWORD tickBefore = GetTickCount();
    Sleep(static_cast<DWORD>(idleSeconds) * 1000);  // the span measured
    const double cpu = CpuSeconds(bar.handle(), folder) - cpuBefore;
    const double wall = (GetTickCount() - tickBefore) / 1000.0;
    std::printf("idle %.0f s at the 3 s refresh: %zu snapshots, CPU %.3f s = %.2f %% of one core\n",
                wall, calls() - idleCallsBefore, cpu, wall > 0 ? 100.0 * cpu / wall : 0.0);

    if (Grew(final.c, warm.c)) {
        std::printf(
            "FAIL: counts grew after the first %d snapshots: lowest %lu/%lu/%lu after "
            "the warm-up, %lu/%lu/%lu at the end (handles/GDI/USER)\n",
            warmUp, static_cast<unsigned long>(warm.c.handles),
            static_cast<unsigned long>(warm.c.gdi), static_cast<unsigned long>(warm.c.user),
            static_cast<unsigned long>(final.c.handles), static_cast<unsigned long>(final.c.gdi),
            static_cast<unsigned long>(final.c.user));
        return 1;
    }
    std::printf("counts flat after the first %d snapshots\n", warmUp);
    return 0;
}
