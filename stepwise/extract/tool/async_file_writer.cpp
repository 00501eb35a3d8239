#include "tool/async_file_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "tool/file_system.h"

namespace cabtool {
namespace {

// Writes are handed over in chunks of the pool, and at most kMaxQueued waits in the queue. A
// small queue keeps cycling the same few chunks: a larger one buys no speed and touches
// fresh pages, a page fault each.
constexpr size_t kChunk = cab::ChunkPool::kChunkSize;
// Smaller writes (a small file, a file's tail) share a chunk with the writes after them; a
// chunk with less room than this left goes to the writer with its last write.
constexpr size_t kSmallWrite = 64 * 1024;
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

// Requests arrive as whole chunks or whole small files, so the stream's own buffer would only
// add a copy, an allocation and a status query per file: each write goes straight out.
void Unbuffered(std::FILE* file) {
    if (file)
        std::setvbuf(file, nullptr, _IONBF, 0);
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
    while (size > 0) {
        if (!pendingChunk_) {
            pendingChunk_ = pool_.Take();
            pendingStart_ = 0;
        }
        const size_t n = std::min(size, kChunk - pendingStart_ - pendingSize_);
        std::memcpy(pendingChunk_ + pendingStart_ + pendingSize_, data, n);
        pendingSize_ += n;
        data += n;
        size -= n;
        if (pendingStart_ + pendingSize_ == kChunk)
            FlushPending();  // the chunk is full: it goes with this write
    }
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
    if (pendingSize_ == 0)
        return;
    Request r{Kind::Data};
    r.id = pendingId_;
    r.bytes = pendingChunk_ + pendingStart_;
    r.byteCount = pendingSize_;
    // The caller goes on filling the chunk after these bytes while the writer reads them: a
    // chunk per small file in the queue would be fresh memory. Once too little room is left,
    // the chunk goes back to the pool after this, its last write.
    pendingStart_ += pendingSize_;
    pendingSize_ = 0;
    if (kChunk - pendingStart_ < kSmallWrite)
        r.release = std::exchange(pendingChunk_, nullptr);
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
    queuedBytes_ += request.size();
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
            std::remove(f.direct ? f.path.c_str() : f.partPath.c_str());
        }
    }
    open_.clear();
    std::vector<std::string> out;
    out.swap(failures_);
    return out;
}

void AsyncFileWriter::Run() {
    std::deque<Request> batch;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
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
            if (request.release)
                pool_.Give(request.release);
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
            if (f.direct) {
                Unbuffered(f.file);
                break;
            }
            // "wb" truncates a leftover of an interrupted run.
            MakePlain(f.partPath);
            f.file = std::fopen(f.partPath.c_str(), "wb");
            if (!f.file) {
                f.failed = true;
                failures_.push_back("cannot create \"" + f.path + "\"");
            }
            Unbuffered(f.file);
            break;
        }
        case Kind::Data: {
            auto it = open_.find(r.id);
            if (it == open_.end())
                break;
            OpenFile& f = it->second;
            if (f.file && !f.failed && std::fwrite(r.bytes, 1, r.size(), f.file) != r.size()) {
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
