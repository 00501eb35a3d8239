// Writes extracted files on a second thread, so the disk's time (creating files, copying
// pages, setting times) overlaps with decoding instead of adding to it. Requests are
// queued in order; memory held by the queue is bounded. Failures are collected and
// reported by Finish().
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace cabtool {

class AsyncFileWriter {
  public:
    AsyncFileWriter();
    ~AsyncFileWriter();
    AsyncFileWriter(const AsyncFileWriter&) = delete;
    AsyncFileWriter& operator=(const AsyncFileWriter&) = delete;

    // Starts a file; an existing one is replaced (truncated, made writable first).
    void Open(const std::string& path);
    void Write(const uint8_t* data, size_t size);
    // Ends the file: with `keep`, stored time and attributes are applied; otherwise the
    // partial file is removed.
    void Close(bool keep, uint16_t date, uint16_t time, uint16_t attributes);

    // Waits for every request and returns one message per failure.
    std::vector<std::string> Finish();

  private:
    enum class Kind { Open, Data, Close };
    struct Request {
        Kind kind;
        std::string path;
        std::vector<uint8_t> data;
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
    std::vector<uint8_t> pending_;  // small writes gathered on the caller's side
    // Emptied buffers handed back by the writer thread: reusing them spares a fresh
    // allocation (and its page faults) for every chunk.
    std::vector<std::vector<uint8_t>> spare_;

    // Writer thread state.
    std::FILE* file_ = nullptr;
    std::string path_;
    bool opened_ = false;  // this file was created here, so a failure may remove it
    bool fileFailed_ = false;
    std::vector<std::string> failures_;
    std::set<std::string> madeFolders_;  // folders known to exist, to skip mkdir calls

    std::thread thread_;
};

}  // namespace cabtool
