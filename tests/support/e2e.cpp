#include "e2e.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace e2e {

std::string BinFolder() {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\') + 1);
}

TempFolder::TempFolder(const std::string& prefix) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    for (unsigned attempt = 0;; ++attempt) {
        std::ostringstream name;
        name << temp << prefix << "-" << GetCurrentProcessId() << "-" << GetTickCount() << "-"
             << attempt;
        if (CreateDirectoryA(name.str().c_str(), nullptr)) {
            path_ = name.str();
            return;
        }
        if (attempt > 100)
            throw std::runtime_error("cannot create a temporary folder");
    }
}

static void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    win32::FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &data));
    if (find) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = folder + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(find.get(), &data));
        find.reset();
    }
    RemoveDirectoryA(folder.c_str());
}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

void CopyFileOrFail(const std::string& from, const std::string& to) {
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE))
        throw std::runtime_error("cannot copy " + from + " to " + to);
}

void WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Lower(std::string text) {
    CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

Process::Process(Process&& other) noexcept : process_(std::move(other.process_)), pid_(other.pid_) {
    other.pid_ = 0;
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Kill();
        process_ = std::move(other.process_);
        pid_ = other.pid_;
        other.pid_ = 0;
    }
    return *this;
}

Process::~Process() {
    Kill();
}

Process Process::Start(const std::string& exe,
                       const std::string& args,
                       const std::string& workingFolder) {
    const std::string cmd = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    // Wine now and then refuses a start with an internal error (1359) while the prefix is
    // busy; such a start is tried again for a while. A missing program fails at once.
    PROCESS_INFORMATION pi = {};
    DWORD error = 0;
    const bool started = WaitFor(
        [&] {
            STARTUPINFOA si = {};
            si.cb = sizeof si;
            std::string line = cmd;  // CreateProcessA may write to it
            if (CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               workingFolder.empty() ? nullptr : workingFolder.c_str(), &si, &pi))
                return true;
            error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                throw std::runtime_error("cannot start " + exe + ", error " +
                                         std::to_string(error));
            // Left in the test's output, so a refused start is seen even when a retry works.
            std::fprintf(stderr, "%s refused to start (error %lu), starting it again\n",
                         exe.c_str(), static_cast<unsigned long>(error));
            return false;
        },
        std::chrono::seconds(10));
    if (!started)
        throw std::runtime_error("cannot start " + exe + ", error " + std::to_string(error));
    win32::KernelHandle thread(pi.hThread);
    Process p;
    p.process_.reset(pi.hProcess);
    WaitForInputIdle(pi.hProcess, 5000);
    p.pid_ = pi.dwProcessId;
    return p;
}

bool Process::running() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

long Process::Wait(std::chrono::milliseconds limit) {
    if (!process_)
        return -1;
    if (WaitForSingleObject(process_.get(), static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return static_cast<long>(code);
}

static BOOL CALLBACK CloseWindowsOf(HWND window, LPARAM pid) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(pid))
        PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

void Process::Kill() {
    if (!process_)
        return;
    if (running()) {
        EnumWindows(CloseWindowsOf, static_cast<LPARAM>(pid_));
        if (WaitForSingleObject(process_.get(), 2000) != WAIT_OBJECT_0) {
            TerminateProcess(process_.get(), 1);
            WaitForSingleObject(process_.get(), 5000);
        }
    }
    process_.reset();
    pid_ = 0;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

namespace {
struct FindArgs {
    DWORD pid;
    const std::string* className;
    const std::string* title;
    bool anyProcess;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK FindTop(HWND window, LPARAM lp) {
    auto* a = reinterpret_cast<FindArgs*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (!a->anyProcess && owner != a->pid)
        return TRUE;
    if (a->visibleOnly && !IsWindowVisible(window))
        return TRUE;
    if (!a->className->empty()) {
        char cls[256] = {};
        GetClassNameA(window, cls, sizeof cls);
        if (*a->className != cls)
            return TRUE;
    }
    if (!a->title->empty() && WindowText(window) != *a->title)
        return TRUE;
    a->found = window;
    return FALSE;
}
}  // namespace

HWND FindTopWindow(DWORD pid, const std::string& className, const std::string& title) {
    FindArgs a{pid, &className, &title, false, false, nullptr};
    EnumWindows(FindTop, reinterpret_cast<LPARAM>(&a));
    return a.found;
}

namespace {
struct ClassSearch {
    DWORD pid;
    const std::string* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisibleOfClass(HWND window, LPARAM lp) {
    auto* s = reinterpret_cast<ClassSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char cls[256] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (owner == s->pid && IsWindowVisible(window) && _stricmp(cls, s->className->c_str()) == 0)
        s->found.push_back(window);
    return TRUE;
}
}  // namespace

std::vector<HWND> VisibleTopWindows(DWORD pid, const std::string& className) {
    ClassSearch search{pid, &className, {}};
    EnumWindows(CollectVisibleOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitTopWindow(DWORD pid,
                   const std::string& className,
                   const std::string& title,
                   std::chrono::milliseconds limit) {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindTopWindow(pid, className, title)) != nullptr; }, limit);
    return found;
}

HWND WaitWindowByTitle(const std::string& title, std::chrono::milliseconds limit) {
    std::string noClass;
    HWND found = nullptr;
    WaitFor(
        [&] {
            FindArgs a{0, &noClass, &title, true, true, nullptr};
            EnumWindows(FindTop, reinterpret_cast<LPARAM>(&a));
            found = a.found;
            return found != nullptr;
        },
        limit);
    return found;
}

std::string WindowText(HWND window) {
    char text[1024] = {};
    // WM_GETTEXT works across processes for any window class.
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

std::string ItemText(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

static BOOL CALLBACK CollectChild(HWND window, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(window);
    return TRUE;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

RECT WindowRect(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

std::string UnixPath(const std::string& windowsPath) {
    // Wine's own export: takes a wide DOS path, returns a heap-allocated Unix path.
    using Convert = char*(CDECL*)(const wchar_t*);
    auto convert = reinterpret_cast<Convert>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
    if (!convert)
        throw std::runtime_error("not running under Wine");
    std::wstring wide(windowsPath.begin(), windowsPath.end());
    char* unix = convert(wide.c_str());
    if (!unix)
        throw std::runtime_error("no Unix path for " + windowsPath);
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

int RunHost(const std::string& shellCommand, std::chrono::milliseconds limit) {
    // Wine starts a Unix executable given by its Unix path, but the handle it returns for
    // it cannot be waited on: the command reports its exit status through a marker file.
    static int counter = 0;
    std::string marker = "/tmp/e2e-host-" + std::to_string(GetCurrentProcessId()) + "-" +
                         std::to_string(GetTickCount()) + "-" + std::to_string(++counter);
    std::string script = "(" + shellCommand + "); echo $? > '" + marker + ".part' && mv '" +
                         marker + ".part' '" + marker + "'";
    std::string escaped;
    for (char c : script) {
        if (c == '"' || c == '\\')
            escaped += '\\';
        escaped += c;
    }
    std::string cmd = "/bin/sh -c \"" + escaped + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return -1;
    win32::KernelHandle thread(pi.hThread);
    win32::KernelHandle process(pi.hProcess);
    std::string windowsMarker = "Z:" + marker;
    for (char& c : windowsMarker)
        if (c == '/')
            c = '\\';
    if (!WaitFor([&] { return FileExists(windowsMarker); }, limit))
        return -1;
    std::string status = ReadTextFile(windowsMarker);
    DeleteFileA(windowsMarker.c_str());
    return status.empty() ? -1 : std::stoi(status);
}

void Screenshot(const std::string& name) {
    std::string screens = UnixPath(BinFolder()) + "/../../screens";
    RunHost("mkdir -p '" + screens + "' && import -window root '" + screens + "/" + name + ".png'");
}

std::vector<std::string> ListBoxLines(HWND list) {
    std::vector<std::string> lines;
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count) ||
        static_cast<LRESULT>(count) == LB_ERR)
        return lines;
    for (int i = 0; i < static_cast<int>(count); ++i) {
        wchar_t text[1024] = {};
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, 2000, &length) ||
            static_cast<LRESULT>(length) == LB_ERR || length >= sizeof text / sizeof text[0])
            return {};
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text),
                                 SMTO_ABORTIFHUNG, 2000, &copied) ||
            static_cast<LRESULT>(copied) == LB_ERR)
            return {};
        const int wide = static_cast<int>(wcsnlen(text, sizeof text / sizeof text[0]));
        std::string line(static_cast<size_t>(wide) * 2, '\0');
        const int bytes = WideCharToMultiByte(CP_ACP, 0, text, wide, line.data(),
                                              static_cast<int>(line.size()), nullptr, nullptr);
        line.resize(bytes > 0 ? static_cast<size_t>(bytes) : 0);
        lines.push_back(line);
    }
    return lines;
}

}  // namespace e2e
