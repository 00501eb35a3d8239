// Decodes the folders of a cabinet on several threads while their files are still handed
// out on the calling thread, one folder after another in the order given: the caller's
// callbacks (opening files, writing them, notifications) see exactly the calls and the
// order a single thread would make, and a folder's failure reaches only what it reached
// there. Folders decode ahead into pipes of bounded size, and only a bounded number of
// folders run ahead of the one being handed out, so memory stays bounded however far the
// threads get.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "cab/folder_pass.h"
#include "cab/folder_stream.h"

namespace cab {

struct FolderJob {
    // Makes the decoder for the folder; it runs on a pool thread, so it and the stream may
    // only touch what stays unchanged while the jobs run (and sources that lock their
    // reads). Empty: the folder needs the calling thread (it asks for the next cabinet),
    // and the pass decodes it itself.
    std::function<std::unique_ptr<FolderStream>()> makeStream;
    // Bytes of the folder the pass will read, from its start.
    uint64_t end = 0;
};

// Runs `pass(i, bytes)` on the calling thread for every job in order; `bytes` delivers the
// folder decoded on a pool thread, or is null for a job without makeStream (and for every
// job when one thread is asked for or fewer than two jobs can run on the pool). `pass`
// returns false to stop: later jobs are abandoned and their threads stopped.
using FolderPass = std::function<bool(size_t job, FolderBytes* bytes)>;
void RunFolderJobs(const std::vector<FolderJob>& jobs, unsigned threads, const FolderPass& pass);

// The thread count that `0` asks for: the machine's hardware threads, at least 1, at most a
// bound that keeps the memory held by folders decoded ahead small.
unsigned ResolveDecodeThreads(unsigned requested);

}  // namespace cab
