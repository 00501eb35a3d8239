#include "capture/run_capture_win.h"

#include "common/win32/handles_win.h"

namespace portlight {

namespace {

std::string Failure(const char* what) {
    return std::string(what) + " failed. Error: " + std::to_string(GetLastError());
}

}  // namespace

CaptureResult RunAndCapture(const std::string& commandLine, DWORD timeLimitMs) {
    CaptureResult result;

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
    if (!CreateProcessA(nullptr, mutableLine.data(), &security, &security, TRUE,
                        NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process)) {
        result.failure = Failure("CreateProcess");
        return result;
    }
    win32::KernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    // The child holds its own copy; closing ours lets the pipe break when the child ends.
    writeEnd.reset();

    const DWORD start = GetTickCount();
    DWORD hardStop = 0;
    char buffer[256];
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr))
            break;  // broken: every writer has gone
        if (available > 0) {
            DWORD got = 0;
            DWORD want = available < sizeof buffer ? available : sizeof buffer;
            if (!ReadFile(readEnd.get(), buffer, want, &got, nullptr))
                break;
            result.output.append(buffer, got);
            continue;
        }
        DWORD elapsed = GetTickCount() - start;
        if (!result.timedOut && elapsed >= timeLimitMs) {
            TerminateProcess(processHandle.get(), 1);
            result.timedOut = true;
            hardStop = elapsed + 2000;
        } else if (result.timedOut && elapsed >= hardStop) {
            break;  // a grandchild still holds the pipe: give up on it
        }
        // Wakes at once when the child ends; the next peek then drains or sees the break.
        if (WaitForSingleObject(processHandle.get(), 10) == WAIT_OBJECT_0)
            Sleep(1);
    }
    return result;
}

}  // namespace portlight
