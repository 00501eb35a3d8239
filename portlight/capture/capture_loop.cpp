#include "capture/capture_loop.h"

namespace portlight {

void DrainCapture(CaptureChild& child,
                  uint32_t timeLimitMs,
                  size_t outputCap,
                  CaptureResult& result) {
    const uint32_t start = child.Milliseconds();
    uint32_t hardStop = 0;
    char buffer[256];
    for (;;) {
        // Checked on every pass: a child that writes without pause never leaves the pipe
        // empty.
        uint32_t elapsed = child.Milliseconds() - start;
        if (!result.timedOut && elapsed >= timeLimitMs) {
            child.End();
            result.timedOut = true;
            hardStop = elapsed + kCaptureHardStopMs;
        } else if (result.timedOut && elapsed >= hardStop) {
            break;  // a grandchild still holds the pipe, or writes on: give up on it
        }
        std::optional<size_t> available = child.Available();
        if (!available)
            break;  // broken: every writer has gone
        if (*available == 0) {
            child.Wait();
            continue;
        }
        std::optional<size_t> got =
            child.Read(buffer, *available < sizeof buffer ? *available : sizeof buffer);
        if (!got)
            break;
        size_t room = outputCap - result.output.size();
        result.output.append(buffer, *got < room ? *got : room);
        if (*got >= room) {
            // Past the cap the child is not listing endpoints any more: end it and keep
            // what came.
            child.End();
            result.truncated = true;
            break;
        }
    }
}

}  // namespace portlight
