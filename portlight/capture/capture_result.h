// What one run of the capture gave: the child's text and how the run ended.
#pragma once

#include <string>

namespace portlight {

struct CaptureResult {
    std::string output;
    // The text of the message box to show when the pipe or the process could not be made,
    // such as "CreateProcess failed. Error: 2"; empty on success.
    std::string failure;
    bool timedOut = false;   // the child ran past the limit and was ended
    bool truncated = false;  // the output passed the cap: the child was ended
    // The child's exit code once it has ended; -1 when it was not seen to end.
    long exitCode = -1;
};

}  // namespace portlight
