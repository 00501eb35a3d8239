#include "tool/async_file_writer.h"

#include <cstdio>

#include "tool/file_system.h"

namespace cabtool {
namespace {

// Writes are handed over in pieces of this size, and at most this much waits in the queue.
// Below malloc's mmap threshold, so buffers come from the heap and are reused. A small queue
// keeps cycling the same few chunks: a larger one buys no speed and touches fresh pages,
// a page fault each.
constexpr size_t kChunk = 64 * 1024;
constexpr size_t kMaxQueued = 1024 * 1024;

}  // namespace

AsyncFileWriter::AsyncFileWriter() : thread_([this] { Run(); }) {}

AsyncFileWriter::~AsyncFileWriter() {
    Finish();
}

void AsyncFileWriter::Open(const std::string& path) {
    FlushPending();
    Push({Kind::Open, path, {}});
}

void AsyncFileWriter::Write(const uint8_t* data, size_t size) {
    pending_.insert(pending_.end(), data, data + size);
    if (pending_.size() >= kChunk)
        FlushPending();
}

void AsyncFileWriter::Close(bool keep, uint16_t date, uint16_t time, uint16_t attributes) {
    FlushPending();
    Request r{Kind::Close, {}, {}};
    r.keep = keep;
    r.date = date;
    r.time = time;
    r.attributes = attributes;
    Push(std::move(r));
}

void AsyncFileWriter::FlushPending() {
    if (pending_.empty())
        return;
    Request r{Kind::Data, {}, {}};
    r.data.swap(pending_);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!spare_.empty()) {
            pending_.swap(spare_.back());
            spare_.pop_back();
        }
    }
    pending_.clear();
    pending_.reserve(kChunk);
    Push(std::move(r));
}

void AsyncFileWriter::Push(Request request) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (queuedBytes_ >= kMaxQueued) {
        // Wait until half the queue has drained, not for the next free chunk: the two threads
        // then hand over in batches instead of waking each other for every chunk.
        callerWaiting_ = true;
        roomFreed_.wait(lock, [&] { return queuedBytes_ <= kMaxQueued / 2; });
        callerWaiting_ = false;
    }
    queuedBytes_ += request.data.size();
    queue_.push_back(std::move(request));
    if (writerWaiting_)
        workQueued_.notify_one();
}

std::vector<std::string> AsyncFileWriter::Finish() {
    FlushPending();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        finishing_ = true;
        workQueued_.notify_one();
    }
    if (thread_.joinable())
        thread_.join();
    std::vector<std::string> out;
    out.swap(failures_);
    return out;
}

void AsyncFileWriter::Run() {
    for (;;) {
        Request request;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            writerWaiting_ = true;
            workQueued_.wait(lock, [&] { return !queue_.empty() || finishing_; });
            writerWaiting_ = false;
            if (queue_.empty())
                return;
            request = std::move(queue_.front());
            queue_.pop_front();
            queuedBytes_ -= request.data.size();
            if (callerWaiting_ && queuedBytes_ <= kMaxQueued / 2)
                roomFreed_.notify_one();
        }
        Handle(request);
        if (request.kind == Kind::Data) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (spare_.size() < kMaxQueued / kChunk)
                spare_.push_back(std::move(request.data));
        }
    }
}

void AsyncFileWriter::MakeFolderFor(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos)
        return;
    std::string folder = path.substr(0, slash);
    if (madeFolders_.count(folder))
        return;
    if (MakeParentDirectories(path))
        madeFolders_.insert(folder);
}

void AsyncFileWriter::Handle(Request& r) {
    switch (r.kind) {
        case Kind::Open:
            path_ = r.path;
            fileFailed_ = false;
            MakeFolderFor(path_);
            // "wb" truncates: no stale tail of an older, longer file survives. A read-only
            // file in the way is made writable first.
            file_ = std::fopen(path_.c_str(), "wb");
            if (!file_) {
                MakeWritable(path_);
                file_ = std::fopen(path_.c_str(), "wb");
            }
            opened_ = file_ != nullptr;
            if (!file_) {
                fileFailed_ = true;
                failures_.push_back("cannot create \"" + path_ + "\"");
            }
            break;
        case Kind::Data:
            if (file_ && !fileFailed_ &&
                std::fwrite(r.data.data(), 1, r.data.size(), file_) != r.data.size()) {
                fileFailed_ = true;
                failures_.push_back("could not write \"" + path_ + "\" (disk full?)");
            }
            break;
        case Kind::Close:
            if (file_ && std::fclose(file_) != 0 && !fileFailed_) {
                fileFailed_ = true;
                failures_.push_back("could not finish writing \"" + path_ + "\"");
            }
            file_ = nullptr;
            if (!r.keep || fileFailed_) {
                if (opened_)
                    std::remove(path_.c_str());  // no half-written file is left behind
            } else if (!ApplyStoredFacts(path_, r.date, r.time, r.attributes)) {
                std::fprintf(stderr,
                             "stepwise-cab: warning: could not set the time or attributes of "
                             "\"%s\"\n",
                             path_.c_str());
            }
            break;
    }
}

}  // namespace cabtool
