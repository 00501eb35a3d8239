// Runs a console command hidden and captures everything it writes to standard output and
// standard error, in order of arrival, through one anonymous pipe.
#pragma once

#include <windows.h>

#include <string>

#include "capture/capture_result.h"

namespace portlight {

// A netstat that never exits must not hold the bar forever: past `timeLimitMs` the child
// is ended and what it printed so far is returned.
constexpr DWORD kCaptureTimeLimitMs = 60000;
// netstat's 501 table rows come to some 60 KB; a child that writes a few MB is not netstat
// at work but one that will not stop, and reading it on would fill memory.
constexpr size_t kCaptureOutputCap = 4u << 20;

// A bare program name is looked for in the program's own folder, the system and Windows
// folders and the absolute folders of PATH, never in the current directory; a name that is
// found nowhere fails as CreateProcess does ("CreateProcess failed. Error: 2").
CaptureResult RunAndCapture(const std::string& commandLine,
                            DWORD timeLimitMs = kCaptureTimeLimitMs,
                            size_t outputCap = kCaptureOutputCap);

}  // namespace portlight
