// Writes extracted files on a second thread, so the disk's time (creating files, copying
// pages, setting times) overlaps with decoding instead of adding to it. Requests are
// queued in order and handed over in batches; memory held by the queue is bounded. Failures
// are collected and reported by Finish(). A file that replaces an existing one is written
// under a temporary name beside its destination and moved into place only once complete, so
// a failed file never costs the one it would have replaced; a new file is written in place
// and removed if it fails.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cab/chunk_pool.h"
#include "tool/file_system.h"

namespace cabtool {

class AsyncFileWriter {
  public:
    // Moves a finished temporary file onto its destination (made plain just before).
    using MoveFn = std::function<bool(const std::string& from, const std::string& to)>;

    explicit AsyncFileWriter(MoveFn move = MoveIntoPlace);
    ~AsyncFileWriter();
    AsyncFileWriter(const AsyncFileWriter&) = delete;
    AsyncFileWriter& operator=(const AsyncFileWriter&) = delete;

    // Starts a file and returns its id; an existing one is replaced when the file is closed
    // with `keep`. Several files may be open at once (files that share bytes in a cabinet).
    int Open(const std::string& path);
    void Write(int id, const uint8_t* data, size_t size);
    // Ends the file: with `keep`, it replaces the destination and gets its stored time and
    // attributes; otherwise the partial file is removed and the destination left as it was.
    void Close(int id, bool keep, uint16_t date, uint16_t time, uint16_t attributes);

    // Waits for every request and returns one message per failure.
    std::vector<std::string> Finish();

  private:
    enum class Kind { Open, Data, Close };
    struct Request {
        Kind kind;
        int id = 0;
        std::string path;
        const uint8_t* bytes = nullptr;  // in a pool chunk
        size_t byteCount = 0;
        uint8_t* release = nullptr;  // a chunk that goes back to the pool once handled
        size_t size() const { return byteCount; }
        bool keep = false;
        uint16_t date = 0, time = 0, attributes = 0;
    };

    void Push(Request request);
    void FlushPending();
    void Run();
    void Handle(Request& request);
    void MakeFolderFor(const std::string& path);

    std::mutex mutex_;
    std::condition_variable roomFreed_;   // the caller waits here while the queue is full
    std::condition_variable workQueued_;  // the writer waits here while it is empty
    bool callerWaiting_ = false;
    bool writerWaiting_ = false;
    std::deque<Request> queue_;
    size_t queuedBytes_ = 0;
    bool finishing_ = false;
    // Writes gathered on the caller's side, in a chunk of the pool: chunks go round between
    // the threads, so their pages are touched fresh only once.
    cab::ChunkPool pool_;
    uint8_t* pendingChunk_ = nullptr;
    size_t pendingStart_ = 0;  // bytes of the chunk already queued (small writes share it)
    size_t pendingSize_ = 0;   // bytes after them not yet queued
    int pendingId_ = 0;        // the file they belong to
    int nextId_ = 0;

    // Writer thread state.
    struct OpenFile {
        std::FILE* file = nullptr;
        std::string path;      // the destination
        std::string partPath;  // the temporary file being written
        bool direct = false;   // written under its own name: nothing was there to replace
        bool failed = false;
    };
    std::map<int, OpenFile> open_;
    std::vector<std::string> failures_;
    std::set<std::string> madeFolders_;  // folders known to exist, to skip mkdir calls

    MoveFn move_;
    std::thread thread_;
};

}  // namespace cabtool
