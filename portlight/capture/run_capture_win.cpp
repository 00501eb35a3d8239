#include "capture/run_capture_win.h"

#include "capture/capture_loop.h"
#include "capture/command_search.h"
#include "common/win32/handles_win.h"

namespace portlight {

namespace {

std::string Failure(const char* what) {
    return std::string(what) + " failed. Error: " + std::to_string(GetLastError());
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return FolderOf(std::string(path, length));
}

std::string SystemFolder(UINT(WINAPI* query)(LPSTR, UINT)) {
    char folder[MAX_PATH] = {};
    UINT length = query(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

std::string PathVariable() {
    DWORD size = GetEnvironmentVariableA("PATH", nullptr, 0);
    if (size == 0)
        return {};
    std::string path(size, '\0');
    DWORD length = GetEnvironmentVariableA("PATH", path.data(), size);
    path.resize(length < size ? length : 0);
    return path;
}

// The file the command line's program names. A program given with a folder is left to
// CreateProcess (empty result); a bare name is searched for here, without the current
// directory; found nowhere, the result is empty and the last error ERROR_FILE_NOT_FOUND.
bool FindProgram(const std::string& commandLine, std::string& found) {
    found.clear();
    std::string program = ProgramToken(commandLine);
    if (program.empty() || HasFolder(program))
        return true;
    std::string file = ExecutableFileName(program);
    for (const std::string& folder :
         CommandSearchFolders(ProgramFolder(), SystemFolder(GetSystemDirectoryA),
                              SystemFolder(GetWindowsDirectoryA), PathVariable())) {
        std::string candidate = folder + "\\" + file;
        DWORD attributes = GetFileAttributesA(candidate.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            found = candidate;
            return true;
        }
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
}

// How long a child whose pipe has broken is given to end: a grandchild may hold the pipe,
// or the child may close its output just before it exits.
constexpr DWORD kExitCodeWaitMs = 1000;

// The child process and the read end of its pipe; both handles are borrowed.
class PipeChild : public CaptureChild {
  public:
    PipeChild(HANDLE process, HANDLE readEnd) : process_(process), readEnd_(readEnd) {}

    std::optional<size_t> Available() override {
        DWORD available = 0;
        if (!PeekNamedPipe(readEnd_, nullptr, 0, nullptr, &available, nullptr))
            return std::nullopt;
        return available;
    }
    std::optional<size_t> Read(char* buffer, size_t size) override {
        DWORD got = 0;
        if (!ReadFile(readEnd_, buffer, static_cast<DWORD>(size), &got, nullptr))
            return std::nullopt;
        return got;
    }
    void End() override { TerminateProcess(process_, 1); }
    void Wait() override {
        // Wakes at once when the child ends; the next peek then drains or sees the break.
        if (WaitForSingleObject(process_, 10) == WAIT_OBJECT_0)
            Sleep(1);
    }
    uint32_t Milliseconds() override { return GetTickCount(); }

  private:
    HANDLE process_;
    HANDLE readEnd_;
};

}  // namespace

CaptureResult RunAndCapture(const std::string& commandLine, DWORD timeLimitMs, size_t outputCap) {
    CaptureResult result;

    std::string program;
    if (!FindProgram(commandLine, program)) {
        result.failure = Failure("CreateProcess");
        return result;
    }

    SECURITY_ATTRIBUTES security = {};
    security.nLength = sizeof security;  // 12
    security.lpSecurityDescriptor = nullptr;
    security.bInheritHandle = TRUE;

    win32::KernelHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.out(), writeEnd.out(), &security, 0)) {
        result.failure = Failure("CreatePipe");
        return result;
    }
    // Only the write end goes to the child; an inherited read end would keep the pipe
    // open in any grandchild.
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;  // 68
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();

    PROCESS_INFORMATION process = {};
    std::string mutableLine = commandLine;
    if (!CreateProcessA(program.empty() ? nullptr : program.c_str(), mutableLine.data(), &security,
                        &security, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                        &process)) {
        result.failure = Failure("CreateProcess");
        return result;
    }
    win32::KernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    // The child holds its own copy; closing ours lets the pipe break when the child ends.
    writeEnd.reset();

    PipeChild child(processHandle.get(), readEnd.get());
    DrainCapture(child, timeLimitMs, outputCap, result);
    // The pipe broke because the child ended (or was ended): its exit code tells a netstat
    // that refused its switches, printing nothing, from one that found no endpoints.
    DWORD code = 0;
    if (WaitForSingleObject(processHandle.get(), kExitCodeWaitMs) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(processHandle.get(), &code))
        result.exitCode = static_cast<long>(code);
    return result;
}

}  // namespace portlight
