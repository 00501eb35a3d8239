#include "tool/async_file_writer.h"

#include <cstdio>

#include "tool/file_system.h"

namespace cabtool {
namespace {

// Writes are handed over in pieces of this size, and at most this much waits in the queue.
// Below malloc's mmap threshold, so buffers come from the heap and are reused.
constexpr size_t kChunk = 64 * 1024;
constexpr size_t kMaxQueued = 16 * 1024 * 1024;

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
    changed_.wait(lock, [&] { return queuedBytes_ < kMaxQueued; });
    queuedBytes_ += request.data.size();
    queue_.push_back(std::move(request));
    changed_.notify_all();
}

std::vector<std::string> AsyncFileWriter::Finish() {
    FlushPending();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        finishing_ = true;
        changed_.notify_all();
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
            changed_.wait(lock, [&] { return !queue_.empty() || finishing_; });
            if (queue_.empty())
                return;
            request = std::move(queue_.front());
            queue_.pop_front();
            queuedBytes_ -= request.data.size();
            changed_.notify_all();
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
