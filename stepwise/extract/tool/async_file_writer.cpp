#include "tool/async_file_writer.h"

#include <cstdio>
#include <utility>

#include "tool/file_system.h"

namespace cabtool {
namespace {

// Writes are handed over in pieces of this size, and at most this much waits in the queue.
// Below malloc's mmap threshold, so buffers come from the heap and are reused. A small queue
// keeps cycling the same few chunks: a larger one buys no speed and touches fresh pages,
// a page fault each.
constexpr size_t kChunk = 64 * 1024;
constexpr size_t kMaxQueued = 1024 * 1024;
// An idle writer is woken only once this much is queued (or at the end): waking a thread
// costs more than writing a small file, so it takes requests in batches.
constexpr size_t kWakeBytes = kMaxQueued / 4;
constexpr size_t kWakeRequests = 48;
// Appended to a destination's name while its file is written.
constexpr const char* kPartSuffix = ".stepwise-cab-part";

void WarnFacts(const std::string& path) {
    std::fprintf(stderr, "stepwise-cab: warning: could not set the time or attributes of \"%s\"\n",
                 path.c_str());
}

}  // namespace

AsyncFileWriter::AsyncFileWriter(MoveFn move)
    : move_(std::move(move)), thread_([this] { Run(); }) {}

AsyncFileWriter::~AsyncFileWriter() {
    Finish();
}

int AsyncFileWriter::Open(const std::string& path) {
    FlushPending();
    Request r{Kind::Open};
    r.id = ++nextId_;
    r.path = path;
    Push(std::move(r));
    return nextId_;
}

void AsyncFileWriter::Write(int id, const uint8_t* data, size_t size) {
    if (id != pendingId_) {
        FlushPending();
        pendingId_ = id;
    }
    pending_.insert(pending_.end(), data, data + size);
    if (pending_.size() >= kChunk)
        FlushPending();
}

void AsyncFileWriter::Close(int id, bool keep, uint16_t date, uint16_t time, uint16_t attributes) {
    FlushPending();
    Request r{Kind::Close};
    r.id = id;
    r.keep = keep;
    r.date = date;
    r.time = time;
    r.attributes = attributes;
    Push(std::move(r));
}

void AsyncFileWriter::FlushPending() {
    if (pending_.empty())
        return;
    Request r{Kind::Data};
    r.id = pendingId_;
    if (pending_.size() < kChunk / 2) {
        // A small file's bytes travel in a buffer of their size, and the chunk stays for the
        // next file: a chunk per small file would touch fresh pages, a page fault each.
        r.data.assign(pending_.begin(), pending_.end());
        pending_.clear();
        Push(std::move(r));
        return;
    }
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
    if (writerWaiting_ && (queuedBytes_ >= kWakeBytes || queue_.size() >= kWakeRequests))
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
    for (auto& [id, f] : open_) {  // never closed: nothing of them is kept
        if (f.file) {
            std::fclose(f.file);
            std::remove(f.partPath.c_str());
        }
    }
    open_.clear();
    std::vector<std::string> out;
    out.swap(failures_);
    return out;
}

void AsyncFileWriter::Run() {
    std::deque<Request> batch;
    std::vector<std::vector<uint8_t>> emptied;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            for (std::vector<uint8_t>& buffer : emptied) {
                if (spare_.size() >= kMaxQueued / kChunk)
                    break;
                if (buffer.capacity() >= kChunk)
                    spare_.push_back(std::move(buffer));
            }
            emptied.clear();
            if (queue_.empty() && !finishing_) {
                writerWaiting_ = true;
                workQueued_.wait(lock, [&] { return !queue_.empty() || finishing_; });
                writerWaiting_ = false;
            }
            if (queue_.empty())
                return;
            // The whole queue at once: one lock and at most one wake-up per batch.
            batch.swap(queue_);
            queuedBytes_ = 0;
            if (callerWaiting_)
                roomFreed_.notify_one();
        }
        for (Request& request : batch) {
            Handle(request);
            if (request.kind == Kind::Data)
                emptied.push_back(std::move(request.data));
        }
        batch.clear();
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
        case Kind::Open: {
            OpenFile& f = open_[r.id];
            f.path = r.path;
            f.partPath = f.path + kPartSuffix;
            MakeFolderFor(f.path);
            // Nothing to replace (the common case): the file is written under its own name,
            // which spares a rename and two look-ups per file.
            f.file = CreateNewFile(f.path);
            f.direct = f.file != nullptr;
            if (f.direct)
                break;
            // "wb" truncates a leftover of an interrupted run.
            MakePlain(f.partPath);
            f.file = std::fopen(f.partPath.c_str(), "wb");
            if (!f.file) {
                f.failed = true;
                failures_.push_back("cannot create \"" + f.path + "\"");
            }
            break;
        }
        case Kind::Data: {
            auto it = open_.find(r.id);
            if (it == open_.end())
                break;
            OpenFile& f = it->second;
            if (f.file && !f.failed &&
                std::fwrite(r.data.data(), 1, r.data.size(), f.file) != r.data.size()) {
                f.failed = true;
                failures_.push_back("could not write \"" + f.path + "\" (disk full?)");
            }
            break;
        }
        case Kind::Close: {
            auto it = open_.find(r.id);
            if (it == open_.end())
                break;
            OpenFile f = std::move(it->second);
            open_.erase(it);
            if (!f.file)
                break;
            if (std::fclose(f.file) != 0 && !f.failed) {
                f.failed = true;
                failures_.push_back("could not finish writing \"" + f.path + "\"");
            }
            if (f.direct) {
                if (!r.keep || f.failed)
                    std::remove(f.path.c_str());  // nothing was there before it
                else if (!ApplyStoredFacts(f.path, r.date, r.time, r.attributes))
                    WarnFacts(f.path);
                break;
            }
            if (!r.keep || f.failed) {
                std::remove(f.partPath.c_str());  // the destination keeps what it had
                break;
            }
            // Windows refuses to replace a read-only, hidden or system file.
            MakePlain(f.path);
            if (!move_(f.partPath, f.path)) {
                failures_.push_back("cannot replace \"" + f.path + "\"");
                std::remove(f.partPath.c_str());
            } else if (!ApplyStoredFacts(f.path, r.date, r.time, r.attributes)) {
                WarnFacts(f.path);
            }
            break;
        }
    }
}

}  // namespace cabtool
