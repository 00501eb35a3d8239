#include "stepwise_e2e_support.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "common/win32/handles_win.h"

namespace stepwise_e2e {

std::string StepwiseExe() {
    return e2e::BinFolder() + "Stepwise.exe";
}

std::string TempPath() {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    return temp;
}

std::string UniqueName(const std::string& stem, const std::string& extension) {
    static unsigned counter = 0;
    return stem + "-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(GetTickCount()) + "-" + std::to_string(++counter) + extension;
}

long RunAndWait(const std::string& exe, const std::string& args, const std::string& folder) {
    e2e::Process process = e2e::Process::Start(exe, args, folder);
    return process.Wait(60s);
}

void MakeCabinet(const std::string& cabinet,
                 const std::string& folder,
                 const std::vector<std::string>& names,
                 const std::string& options) {
    std::string args = "create " + options + (options.empty() ? "" : " ") + "\"" + cabinet + "\"";
    for (const std::string& name : names)
        args += " \"" + name + "\"";
    long code = RunAndWait(e2e::BinFolder() + "stepwise-cab.exe", args, folder);
    if (code != 0)
        throw std::runtime_error("stepwise-cab " + args + " failed with " + std::to_string(code));
}

void WriteStampedFile(const std::string& path,
                      const std::string& content,
                      const SYSTEMTIME& localTime,
                      DWORD attributes) {
    e2e::WriteTextFile(path, content);
    FILETIME local, utc;
    SystemTimeToFileTime(&localTime, &local);
    LocalFileTimeToFileTime(&local, &utc);
    win32::KernelHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        throw std::runtime_error("cannot open " + path);
    SetFileTime(file.get(), &utc, nullptr, &utc);
    file.reset();
    SetFileAttributesA(path.c_str(), attributes);
}

SYSTEMTIME LocalWriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    FILETIME local;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    SYSTEMTIME s = {};
    FileTimeToSystemTime(&local, &s);
    return s;
}

bool SameSecond(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

void RemoveFile(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

HWND WaitMessageBox(DWORD pid, const std::string& text, std::chrono::milliseconds limit) {
    HWND found = nullptr;
    e2e::WaitFor(
        [&] {
            for (HWND box : e2e::VisibleTopWindows(pid, "#32770"))
                for (HWND child : e2e::ChildWindows(box))
                    if (e2e::WindowText(child) == text)
                        return (found = box) != nullptr;
            return false;
        },
        limit);
    return found;
}

bool WaitUninstallerHelpersGone(std::chrono::milliseconds limit) {
    return e2e::WaitFor(
        [] {
            WIN32_FIND_DATAA found;
            win32::FindHandle find(
                FindFirstFileA((TempPath() + "wizuninst-*.bat").c_str(), &found));
            return !find;
        },
        limit);
}

void ClickButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND WaitPreparingWindow(DWORD pid, std::chrono::milliseconds limit) {
    return e2e::WaitTopWindow(pid, "#32770", "Corvane Stepwise", limit);
}

long WaitEndWithoutPages(e2e::Process& process, std::chrono::milliseconds limit) {
    HWND box = nullptr;
    e2e::WaitFor(
        [&] {
            if (!process.running())
                return true;
            box = WaitMessageBox(process.id(), "No dialogs configured!", 0ms);
            return box != nullptr;
        },
        limit);
    if (box)
        ClickButton(box, IDOK);
    return process.Wait(10s);
}

// A 24-bit bottom-up bitmap file of one colour.
std::string BitmapFile(int width, int height, BYTE red, BYTE green, BYTE blue) {
    int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = stride * height;
    file.bfType = 0x4d42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::string row(stride, '\0');
    for (int x = 0; x < width; ++x) {
        row[x * 3] = static_cast<char>(blue);
        row[x * 3 + 1] = static_cast<char>(green);
        row[x * 3 + 2] = static_cast<char>(red);
    }
    std::string out(reinterpret_cast<const char*>(&file), sizeof file);
    out.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int y = 0; y < height; ++y)
        out += row;
    return out;
}

std::set<DWORD> ExplorerProcesses() {
    std::set<DWORD> ids;
    win32::KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        std::string name = entry.szExeFile;
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (name == "explorer.exe")
            ids.insert(entry.th32ProcessID);
    }
    return ids;
}

void EndNewExplorers(const std::set<DWORD>& before) {
    for (DWORD id : ExplorerProcesses()) {
        if (before.count(id))
            continue;
        win32::KernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (process) {
            TerminateProcess(process.get(), 0);
            WaitForSingleObject(process.get(), 10000);
        }
    }
}

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += "  " + line + "\n";
    return text;
}

}  // namespace stepwise_e2e
