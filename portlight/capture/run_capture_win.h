// Runs a console command hidden and captures everything it writes to standard output and
// standard error, in order of arrival, through one anonymous pipe.
#pragma once

#include <windows.h>

#include <string>

namespace portlight {

struct CaptureResult {
    std::string output;
    // The text of the message box to show when the pipe or the process could not be made,
    // such as "CreateProcess failed. Error: 2"; empty on success.
    std::string failure;
    bool timedOut = false;  // the child ran past the limit and was ended
};

// A netstat that never exits must not hold the bar forever: past `timeLimitMs` the child
// is ended and what it printed so far is returned.
constexpr DWORD kCaptureTimeLimitMs = 60000;

CaptureResult RunAndCapture(const std::string& commandLine,
                            DWORD timeLimitMs = kCaptureTimeLimitMs);

}  // namespace portlight
