// The capture's read loop, apart from the pipe and the process it reads: how long it reads
// and how much it keeps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "capture/capture_result.h"

namespace portlight {

// The running child and the read end of its pipe, as the loop sees them.
class CaptureChild {
  public:
    virtual ~CaptureChild() = default;
    // Bytes waiting in the pipe; nullopt once it is broken (every writer has gone).
    virtual std::optional<size_t> Available() = 0;
    // Reads up to `size` bytes; nullopt when the read fails.
    virtual std::optional<size_t> Read(char* buffer, size_t size) = 0;
    // Ends the child.
    virtual void End() = 0;
    // Waits a moment for the child to end or to write.
    virtual void Wait() = 0;
    virtual uint32_t Milliseconds() = 0;  // a tick count
};

// How long a pipe still held by a grandchild is read after the child was ended.
inline constexpr uint32_t kCaptureHardStopMs = 2000;

// Reads the child's output into `result` until the pipe breaks. The time limit is checked
// on every pass, so a child that writes without pause is ended on time too; past the limit
// the child is ended and the pipe drained for at most kCaptureHardStopMs more. Output past
// `outputCap` is dropped, the child ended and the loop left at once.
void DrainCapture(CaptureChild& child,
                  uint32_t timeLimitMs,
                  size_t outputCap,
                  CaptureResult& result);

}  // namespace portlight
