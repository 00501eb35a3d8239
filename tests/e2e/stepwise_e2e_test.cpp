// Stepwise started in a fresh setup folder under Wine: payload extraction, the cabinet
// chain rules, failure messages, the platform check and the background window.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "e2e.h"
#include "stepwise_e2e_support.h"

namespace stepwise_e2e {
namespace {

constexpr int kProgressBarId = 1009;
constexpr int kMessageId = 1004;

SYSTEMTIME Local(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME s = {};
    s.wYear = year;
    s.wMonth = month;
    s.wDay = day;
    s.wHour = hour;
    s.wMinute = minute;
    s.wSecond = second;
    return s;
}

struct SplashSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindSplash(HWND window, LPARAM lp) {
    auto* search = reinterpret_cast<SplashSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->pid || !IsWindowVisible(window) || !GetDlgItem(window, 1000))
        return TRUE;
    search->found = window;
    return FALSE;
}

// The picture window: a visible dialog of the process holding picture control 1000.
HWND FindSplashWindow(DWORD pid) {
    SplashSearch search{pid, nullptr};
    EnumWindows(FindSplash, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Pattern(size_t size, unsigned seed) {
    std::string data(size, '\0');
    unsigned x = seed;
    for (char& c : data) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 16);
    }
    return data;
}

// Whether the preparing window's animation has run to its end: the progress bar is full.
// From then on the window's 100 ms wait timer would close it within a tick or two.
bool AnimationDone(HWND window) {
    HWND bar = GetDlgItem(window, kProgressBarId);
    DWORD_PTR position = 0;
    DWORD_PTR high = 0;
    return SendMessageTimeoutA(bar, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG, 500, &high) &&
           SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 500, &position) &&
           high > 0 && position >= high;
}

// Ten ticks of the preparing window's wait timer: long enough for it to have closed.
constexpr auto kWaitTicks = 1s;

class StepwiseRun : public ::testing::Test {
  protected:
    void SetUp() override { CreateDirectoryA((setup / "src").c_str(), nullptr); }
    void TearDown() override {
        for (const std::string& name : extracted)
            RemoveFile(TempPath() + name);
    }

    std::string Source(const std::string& name) const { return setup / "src" + "\\" + name; }
    // Remembers a payload name so the file is removed from the temporary folder afterwards.
    std::string Payload(const std::string& stem, const std::string& extension) {
        extracted.push_back(UniqueName(stem, extension));
        return extracted.back();
    }
    void WriteScript(const std::string& text) { e2e::WriteTextFile(setup / "data.tag", text); }
    e2e::Process Start() { return e2e::Process::Start(StepwiseExe(), "", setup.path()); }

    // Follows the preparing window until the program ends; returns the highest progress
    // position seen, or -1 when the window never appeared.
    int WatchPreparing(e2e::Process& process) {
        HWND window = WaitPreparingWindow(process.id(), 10s);
        if (!window)
            return -1;
        RECT r = e2e::WindowRect(window);
        EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
        EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN) - 40);
        int highest = 0;
        HWND bar = GetDlgItem(window, kProgressBarId);
        e2e::WaitFor(
            [&] {
                DWORD_PTR position = 0;
                if (SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 500, &position))
                    highest = std::max(highest, static_cast<int>(position));
                return !IsWindow(window);
            },
            30s);
        return highest;
    }

    e2e::TempFolder setup{"stepwise-setup"};
    std::vector<std::string> extracted;
};

// A payload made by our writer lands in TempFolder with names, contents, times and
// attributes intact, after the preparing window's animation.
TEST_F(StepwiseRun, PayloadFromOurWriterLandsInTempFolder) {
    std::string text = Payload("F0_readonly", ".txt");
    std::string binary = Payload("F1_library", ".dll");
    const std::string textData = "first payload file\r\n";
    const std::string binaryData = Pattern(70000, 7) + std::string(30000, 'z');
    SYSTEMTIME textTime = Local(2019, 7, 14, 10, 20, 30);
    SYSTEMTIME binaryTime = Local(2020, 1, 2, 3, 4, 6);
    WriteStampedFile(Source(text), textData, textTime, FILE_ATTRIBUTE_READONLY);
    WriteStampedFile(Source(binary), binaryData, binaryTime, FILE_ATTRIBUTE_ARCHIVE);
    MakeCabinet(setup / "file1.cab", setup / "src", {text, binary}, "--compress mszip");
    WriteScript("[APPINFO]\r\n1=Acme\r\n5=<Program Files>\\Acme\\\r\n");

    e2e::Process process = Start();
    int progress = WatchPreparing(process);
    EXPECT_EQ(WaitEndWithoutPages(process, 30s), 0);
    EXPECT_GE(progress, 300) << "the preparing window closed before its animation ran";

    std::string temp = TempPath();
    EXPECT_EQ(e2e::ReadTextFile(temp + text), textData);
    EXPECT_EQ(e2e::ReadTextFile(temp + binary), binaryData);
    EXPECT_TRUE(SameSecond(LocalWriteTime(temp + text), textTime));
    EXPECT_TRUE(SameSecond(LocalWriteTime(temp + binary), binaryTime));
    DWORD textAttributes = GetFileAttributesA((temp + text).c_str());
    DWORD binaryAttributes = GetFileAttributesA((temp + binary).c_str());
    EXPECT_TRUE(textAttributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(binaryAttributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(binaryAttributes & FILE_ATTRIBUTE_ARCHIVE);

    // A second run replaces the read-only file and truncates a longer leftover.
    e2e::WriteTextFile(Source(text), "");
    RemoveFile(temp + binary);
    e2e::WriteTextFile(temp + binary, binaryData + binaryData);
    e2e::Process again = Start();
    EXPECT_EQ(WaitEndWithoutPages(again, 30s), 0);
    EXPECT_EQ(e2e::ReadTextFile(temp + text), textData);
    EXPECT_EQ(e2e::ReadTextFile(temp + binary), binaryData);
}

// A cabinet made by gcab (MSZIP) extracts the same way.
TEST_F(StepwiseRun, PayloadFromGcab) {
    std::string name = Payload("F0_gcab", ".txt");
    const std::string data = Pattern(40000, 3) + "end of the gcab payload";
    SYSTEMTIME stamp = Local(2021, 3, 4, 5, 6, 8);
    // gcab works in a host folder (Z: is the Unix root under Wine); the cabinet is then
    // copied into the setup folder.
    const std::string host = "/tmp/" + UniqueName("stepwise-gcab", "");
    const std::string hostWindows = "Z:" + host;
    ASSERT_TRUE(CreateDirectoryA(hostWindows.c_str(), nullptr));
    WriteStampedFile(hostWindows + "\\" + name, data, stamp, FILE_ATTRIBUTE_ARCHIVE);
    int made = e2e::RunHost("cd '" + host + "' && gcab -c -z -n file1.cab '" + name + "'");
    if (made == 0)
        e2e::CopyFileOrFail(hostWindows + "\\file1.cab", setup / "file1.cab");
    e2e::RunHost("rm -rf '" + host + "'");
    ASSERT_EQ(made, 0);
    WriteScript("[APPINFO]\r\n1=Acme\r\n");

    e2e::Process process = Start();
    EXPECT_GT(WatchPreparing(process), 0);
    EXPECT_EQ(WaitEndWithoutPages(process, 30s), 0);
    std::string temp = TempPath();
    EXPECT_EQ(e2e::ReadTextFile(temp + name), data);
    EXPECT_TRUE(SameSecond(LocalWriteTime(temp + name), stamp));
    EXPECT_TRUE(GetFileAttributesA((temp + name).c_str()) & FILE_ATTRIBUTE_ARCHIVE);
}

// With multi1.cab present, its ice1.cab goes to TempFolder and the payload comes from it,
// not from file1.cab.
TEST_F(StepwiseRun, FirstStageCabinetSuppliesIce1) {
    std::string fromIce = Payload("F0_ice", ".txt");
    std::string fromFile1 = Payload("F0_file1", ".txt");
    extracted.push_back("ice1.cab");
    e2e::WriteTextFile(Source(fromIce), "payload from ice1.cab");
    e2e::WriteTextFile(Source(fromFile1), "payload from file1.cab");
    MakeCabinet(Source("ice1.cab"), setup / "src", {fromIce});
    MakeCabinet(setup / "multi1.cab", setup / "src", {"ice1.cab"});
    MakeCabinet(setup / "file1.cab", setup / "src", {fromFile1});
    WriteScript("[APPINFO]\r\n1=Acme\r\n");

    e2e::Process process = Start();
    EXPECT_GT(WatchPreparing(process), 0);
    EXPECT_EQ(WaitEndWithoutPages(process, 30s), 0);
    std::string temp = TempPath();
    EXPECT_TRUE(e2e::FileExists(temp + "ice1.cab"));
    EXPECT_EQ(e2e::ReadTextFile(temp + fromIce), "payload from ice1.cab");
    EXPECT_FALSE(e2e::FileExists(temp + fromFile1));
}

// A payload spanning several cabinets asks for the next disk while its cabinet is missing
// and goes on once it is there.
TEST_F(StepwiseRun, SpannedPayloadAsksForNextDisk) {
    std::string name = Payload("F0_spanned", ".bin");
    const std::string data = Pattern(300000, 11);
    e2e::WriteTextFile(Source(name), data);
    MakeCabinet(setup / "file1.cab", setup / "src", {name}, "--compress none --max-size 120000");

    // Every cabinet after the first goes away until the prompt asks for it.
    std::vector<std::string> later;
    WIN32_FIND_DATAA found;
    win32::FindHandle find(FindFirstFileA((setup / "*.cab").c_str(), &found));
    ASSERT_TRUE(find);
    do {
        if (std::string(found.cFileName) != "file1.cab")
            later.push_back(found.cFileName);
    } while (FindNextFileA(find.get(), &found));
    find.reset();
    ASSERT_FALSE(later.empty()) << "the writer did not span the payload";
    CreateDirectoryA((setup / "away").c_str(), nullptr);
    for (const std::string& cab : later)
        ASSERT_TRUE(MoveFileA((setup / cab).c_str(), (setup / "away" + "\\" + cab).c_str()));
    WriteScript("[APPINFO]\r\n1=Acme\r\n");

    e2e::Process process = Start();
    HWND prompt = WaitMessageBox(process.id(), "Please insert next disk...", 20s);
    ASSERT_NE(prompt, nullptr);
    // OK while the cabinet is still missing asks again.
    ClickButton(prompt, IDOK);
    prompt = WaitMessageBox(process.id(), "Please insert next disk...", 10s);
    ASSERT_NE(prompt, nullptr);
    for (const std::string& cab : later)
        ASSERT_TRUE(MoveFileA((setup / "away" + "\\" + cab).c_str(), (setup / cab).c_str()));
    ClickButton(prompt, IDOK);
    EXPECT_EQ(WaitEndWithoutPages(process, 30s), 0);
    EXPECT_EQ(e2e::ReadTextFile(TempPath() + name), data);
}

// A ZIP archive named file1.cab is refused; the window stays open, and Cancel ends the
// program at once although the worker's message box is still open.
TEST_F(StepwiseRun, ZipInsteadOfCabinet) {
    // The empty ZIP archive: just its end-of-central-directory record.
    e2e::WriteTextFile(setup / "file1.cab", std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    WriteScript("[APPINFO]\r\n1=Acme\r\n");
    e2e::WriteTextFile(setup / "language.tag",
                       "[LANGUAGE]\r\n3=Cancelar\r\n50=Preparando o ********\r\n");

    e2e::Process process = Start();
    HWND box = WaitMessageBox(process.id(), "error, it's not DDC...", 20s);
    ASSERT_NE(box, nullptr);
    HWND window = WaitPreparingWindow(process.id(), 1s);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(e2e::WindowText(GetDlgItem(window, IDCANCEL)), "Cancelar");
    EXPECT_EQ(e2e::WindowText(GetDlgItem(window, kMessageId)), "Preparando o ********");
    // Past the animation the failed stage keeps the window open; a close fails at once.
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindow(window) || AnimationDone(window); }, 20s));
    EXPECT_FALSE(e2e::WaitFor([&] { return !process.running() || !IsWindow(window); }, kWaitTicks));
    EXPECT_TRUE(process.running());
    EXPECT_TRUE(IsWindow(window));
    e2e::Screenshot("stepwise-not-a-cabinet");
    ClickButton(window, IDCANCEL);
    EXPECT_EQ(process.Wait(5s), 0);
}

// A missing or truncated payload cabinet gives its message; the window stays open until
// Cancel ends the program.
TEST_F(StepwiseRun, BrokenPayloadWaitsForCancel) {
    std::string name = Payload("F0_broken", ".bin");
    e2e::WriteTextFile(Source(name), Pattern(50000, 5));
    MakeCabinet(Source("whole.cab"), setup / "src", {name}, "--compress none");
    std::string whole = e2e::ReadTextFile(Source("whole.cab"));
    WriteScript("[APPINFO]\r\n1=Acme\r\n");

    struct Case {
        const char* what;
        std::string cabinet;  // empty: no file1.cab at all
        const char* message;
    };
    const Case cases[] = {
        {"missing", "", "error destroy..."},
        {"truncated", whole.substr(0, whole.size() * 6 / 10), "error..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveFile(setup / "file1.cab");
        if (!c.cabinet.empty())
            e2e::WriteTextFile(setup / "file1.cab", c.cabinet);
        e2e::Process process = Start();
        HWND box = WaitMessageBox(process.id(), c.message, 20s);
        ASSERT_NE(box, nullptr);
        HWND window = WaitPreparingWindow(process.id(), 1s);
        ASSERT_NE(window, nullptr);
        ClickButton(box, IDOK);
        // The failed stage never lets the window close by itself, past the animation either.
        ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindow(window) || AnimationDone(window); }, 20s));
        EXPECT_FALSE(e2e::WaitFor([&] { return !IsWindow(window); }, kWaitTicks));
        EXPECT_TRUE(IsWindow(window));
        ClickButton(window, IDCANCEL);
        EXPECT_EQ(process.Wait(5s), 0);
    }
}

// MAINWINDOW "2" shows setup.bmp in the picture window, sized to the picture, until the
// preparation ends.
TEST_F(StepwiseRun, PictureWindowWhilePreparing) {
    std::string name = Payload("F0_picture", ".txt");
    e2e::WriteTextFile(Source(name), "picture");
    MakeCabinet(setup / "file1.cab", setup / "src", {name});
    e2e::WriteTextFile(setup / "setup.bmp", BitmapFile(160, 90, 200, 30, 30));
    // The screen warning holds the program after preparation.
    WriteScript(
        "[APPINFO]\r\n1=Acme\r\n[MAINWINDOW]\r\n2=1\r\n[SYSTEM]\r\n6=9999x9999\r\n"
        "4=Too small\r\n");

    e2e::Process process = Start();
    HWND splash = nullptr;
    ASSERT_TRUE(
        e2e::WaitFor([&] { return (splash = FindSplashWindow(process.id())) != nullptr; }, 10s));
    RECT client = {};
    GetClientRect(splash, &client);
    EXPECT_EQ(client.right, 160);
    EXPECT_EQ(client.bottom, 90);
    e2e::Screenshot("stepwise-picture-window");

    HWND box = WaitMessageBox(process.id(), "Too small", 30s);
    ASSERT_NE(box, nullptr);
    // The preparing window's end asks the picture window to close on its next tick.
    EXPECT_TRUE(e2e::WaitFor([&] { return !IsWindow(splash); }, 3s));
    EXPECT_EQ(WaitPreparingWindow(process.id(), 0s), nullptr);
    ClickButton(box, IDOK);
    EXPECT_EQ(WaitEndWithoutPages(process, 10s), 0);
    EXPECT_EQ(e2e::ReadTextFile(TempPath() + name), "picture");
}

// Advanced mode runs TempFolder\StepwiseMM.exe from the payload with "BEFORE" and the
// script's path, and the preparing window waits for it to end.
TEST_F(StepwiseRun, AdvancedModeRunsCompanion) {
    extracted.push_back("StepwiseMM.exe");
    extracted.push_back("StepwiseMM.log");
    RemoveFile(TempPath() + "StepwiseMM.log");
    e2e::CopyFileOrFail(e2e::BinFolder() + "stepwise_mm_fake.exe", Source("StepwiseMM.exe"));
    MakeCabinet(setup / "file1.cab", setup / "src", {"StepwiseMM.exe"}, "--compress mszip");
    WriteScript("[APPINFO]\r\n1=Acme\r\n[MAINWINDOW]\r\nADVANCED=1\r\n[SPLASH]\r\n1=1\r\n");

    e2e::Process process = Start();
    HWND window = WaitPreparingWindow(process.id(), 10s);
    ASSERT_NE(window, nullptr);
    std::string log = TempPath() + "StepwiseMM.log";
    ASSERT_TRUE(e2e::WaitFor([&] { return e2e::FileExists(log); }, 20s));
    EXPECT_TRUE(IsWindow(window)) << "the window closed before the companion program ended";
    EXPECT_EQ(WaitEndWithoutPages(process, 20s), 0);
    std::string recorded = e2e::ReadTextFile(log);
    EXPECT_NE(recorded.find("BEFORE \"" + (setup / "data.tag") + "\""), std::string::npos)
        << recorded;
    EXPECT_NE(recorded.find("done"), std::string::npos) << "Stepwise did not wait";
}

// Started at a drive root (a Wine drive letter mapped onto the setup folder), the program
// finds its script and cabinet directly in the root.
TEST_F(StepwiseRun, SetupFolderAtDriveRoot) {
    std::string name = Payload("F0_root", ".txt");
    e2e::WriteTextFile(Source(name), "from the root");
    MakeCabinet(setup / "file1.cab", setup / "src", {name});
    WriteScript("[APPINFO]\r\n1=Acme\r\n");

    DWORD used = GetLogicalDrives();
    char letter = 'Q';
    while (letter <= 'Y' && (used & (1u << (letter - 'A'))))
        ++letter;
    ASSERT_LE(letter, 'Y') << "no free drive letter";
    std::string drives = e2e::UnixPath("C:\\");  // <prefix>/dosdevices/c:/
    drives = drives.substr(0, drives.find_last_of('/', drives.size() - 2) + 1);
    std::string link = drives + static_cast<char>(letter - 'A' + 'a') + ":";
    ASSERT_EQ(e2e::RunHost("ln -s \"$(readlink -f '" + e2e::UnixPath(setup.path()) + "')\" '" +
                           link + "'"),
              0);
    std::string root = std::string(1, letter) + ":\\";
    long code = -1;
    if (e2e::FileExists(root + "data.tag")) {
        e2e::Process process = e2e::Process::Start(StepwiseExe(), "", root);
        code = WaitEndWithoutPages(process, 30s);
    }
    e2e::RunHost("rm -f '" + link + "'");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(e2e::ReadTextFile(TempPath() + name), "from the root");
}

// Started without data.tag the program says so and ends.
// An earlier run's readme and license go first, read-only or not.
TEST_F(StepwiseRun, MissingScript) {
    const std::string readme = TempPath() + "readme.txt";
    const std::string license = TempPath() + "license.txt";
    e2e::WriteTextFile(readme, "old readme");
    e2e::WriteTextFile(license, "old license");
    SetFileAttributesA(license.c_str(), FILE_ATTRIBUTE_READONLY);
    e2e::Process process = Start();
    HWND box = WaitMessageBox(process.id(), "Data file not found...", 15s);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WaitPreparingWindow(process.id(), 0s), nullptr);
    ClickButton(box, IDOK);
    EXPECT_EQ(process.Wait(10s), 0);
    EXPECT_FALSE(e2e::FileExists(readme));
    EXPECT_FALSE(e2e::FileExists(license));
    RemoveFile(license);
}

// After preparation the screen, colour and memory checks warn in that order with the
// script's messages and the program goes on; a 24-bit display meets the true-colour need.
TEST_F(StepwiseRun, MachineWarningsInOrder) {
    std::string name = Payload("F0_checks", ".txt");
    e2e::WriteTextFile(Source(name), "checks");
    MakeCabinet(setup / "file1.cab", setup / "src", {name});
    WriteScript(
        "[APPINFO]\r\n1=Acme\r\n[SYSTEM]\r\n6=9999x9999\r\n4=Screen warning\r\n"
        "5=16M TrueColor (24-Bit)\r\n3=Colour warning\r\n1=2000000000\r\n"
        "2=Memory warning\r\n");
    e2e::Process process = Start();
    HWND box = WaitMessageBox(process.id(), "Screen warning", 30s);
    ASSERT_NE(box, nullptr);
    ClickButton(box, IDOK);
    box = WaitMessageBox(process.id(), "Memory warning", 10s);
    ASSERT_NE(box, nullptr);
    ClickButton(box, IDOK);
    EXPECT_EQ(WaitEndWithoutPages(process, 10s), 0);
}

// The platform check runs after preparation: an unknown platform fails with its message,
// while a script written for the 95-to-XP family passes on the running Windows.
TEST_F(StepwiseRun, PlatformRequirement) {
    std::string name = Payload("F0_platform", ".txt");
    e2e::WriteTextFile(Source(name), "platform");
    MakeCabinet(setup / "file1.cab", setup / "src", {name});

    WriteScript("[APPINFO]\r\n1=Acme\r\n[SYSTEM]\r\n7=Windows ME\r\n");
    e2e::Process failing = Start();
    HWND box = WaitMessageBox(failing.id(), "This program only works with WindowsOS.", 20s);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(e2e::FileExists(TempPath() + name));  // prepared before the check
    ClickButton(box, IDOK);
    EXPECT_EQ(failing.Wait(10s), 0);

    WriteScript("[APPINFO]\r\n1=Acme\r\n[SYSTEM]\r\n7=Windows 95/98/NT/2000/XP\r\n");
    e2e::Process passing = Start();
    // A platform message would hold the program open until the wait gives up.
    EXPECT_EQ(WaitEndWithoutPages(passing, 30s), 0);
}

// The background window is maximised, topmost, captioned, painted in the script's colour
// and shows the title; a screen warning keeps it up for the screenshot.
TEST_F(StepwiseRun, BackgroundWindowShowsTitle) {
    std::string name = Payload("F0_background", ".txt");
    e2e::WriteTextFile(Source(name), "background");
    MakeCabinet(setup / "file1.cab", setup / "src", {name});
    WriteScript(
        "[APPINFO]\r\n1=Acme\r\n[MAINWINDOW]\r\nBackGround=SIM\r\n1=Acme Setup Title\r\n"
        "4=Blue\r\n[SYSTEM]\r\n6=9999x9999\r\n4=Your screen is too small\r\n");

    e2e::Process process = Start();
    HWND box = WaitMessageBox(process.id(), "Your screen is too small", 30s);
    ASSERT_NE(box, nullptr);
    HWND background = e2e::FindTopWindow(process.id(), "StepwiseBackground");
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(e2e::WindowText(background), "Corvane Stepwise");
    EXPECT_TRUE(IsZoomed(background));
    RECT covered = e2e::WindowRect(background);
    RECT area = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_LE(covered.left, area.left);
    EXPECT_LE(covered.top, area.top);
    EXPECT_GE(covered.right, area.right);
    EXPECT_GE(covered.bottom, area.bottom);
    EXPECT_TRUE(GetWindowLongA(background, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(box, GW_OWNER), background);
    // Painted once the fill shows below the title.
    POINT fill = {5, 100};
    ClientToScreen(background, &fill);
    e2e::WaitFor(
        [&] {
            win32::ScreenDC dc = win32::GetScreenDC();
            return GetPixel(dc.get(), fill.x, fill.y) == RGB(0, 0, 255);
        },
        5s);
    e2e::Screenshot("stepwise-background");

    // The fill below the title is blue; the title strip holds white text and its black
    // shadow.
    POINT origin = {0, 0};
    ClientToScreen(background, &origin);
    win32::ScreenDC screen = win32::GetScreenDC();
    EXPECT_EQ(GetPixel(screen.get(), origin.x + 5, origin.y + 100), RGB(0, 0, 255));
    int white = 0, black = 0;
    for (int y = 11; y < 60; ++y) {
        for (int x = 21; x < 300; ++x) {
            COLORREF c = GetPixel(screen.get(), origin.x + x, origin.y + y);
            white += c == RGB(255, 255, 255);
            black += c == RGB(0, 0, 0);
        }
    }
    screen.reset();
    EXPECT_GT(white, 50);
    EXPECT_GT(black, 50);

    ClickButton(box, IDOK);
    EXPECT_EQ(WaitEndWithoutPages(process, 10s), 0);
}

}  // namespace
}  // namespace stepwise_e2e
