#include "cab/folder_pipe.h"

#include <algorithm>
#include <cstring>

namespace cab {

FolderPipe::FolderPipe(size_t capacity, ChunkPool* pool)
    : capacity_(std::max(capacity, kChunkSize)),
      ownPool_(pool ? nullptr : std::make_unique<ChunkPool>()),
      pool_(pool ? pool : ownPool_.get()) {}

FolderPipe::~FolderPipe() {
    for (Chunk& c : queue_)
        Release(c);
    Release(filling_);
    Release(reading_);
}

void FolderPipe::Release(Chunk& chunk) {
    if (chunk.data)
        pool_->Give(chunk.data);
    chunk = Chunk();
}

bool FolderPipe::PushFilling() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return abandoned_ || queuedBytes_ < capacity_; });
    if (abandoned_)
        return false;
    queuedBytes_ += filling_.size;
    queue_.push_back(filling_);
    filling_ = Chunk();
    changed_.notify_all();
    return true;
}

uint8_t* FolderPipe::Room(size_t* room) {
    if (!filling_.data)
        filling_.data = pool_->Take();
    *room = kChunkSize - filling_.size;
    return filling_.data + filling_.size;
}

bool FolderPipe::Commit(size_t size) {
    filling_.size += size;
    if (filling_.size == kChunkSize)
        return PushFilling();
    return size == 0 || !abandoned();
}

bool FolderPipe::Write(const uint8_t* data, size_t size) {
    while (size > 0) {
        size_t room = 0;
        uint8_t* to = Room(&room);
        const size_t n = std::min(size, room);
        std::memcpy(to, data, n);
        data += n;
        size -= n;
        if (!Commit(n))
            return false;
    }
    return !abandoned();
}

void FolderPipe::Finish(const CabError& error) {
    if (filling_.size > 0)
        PushFilling();
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    error_ = error;
    changed_.notify_all();
}

void FolderPipe::Abandon() {
    std::lock_guard<std::mutex> lock(mutex_);
    abandoned_ = true;
    for (Chunk& c : queue_)
        Release(c);
    queue_.clear();
    Release(reading_);
    readPos_ = 0;
    queuedBytes_ = 0;
    changed_.notify_all();
}

bool FolderPipe::abandoned() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return abandoned_;
}

bool FolderPipe::PullChunk() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !queue_.empty() || finished_ || abandoned_; });
    if (queue_.empty())
        return false;
    // The chunk just read goes back to the pool, for this producer or another pipe's.
    Release(reading_);
    reading_ = queue_.front();
    queue_.pop_front();
    queuedBytes_ -= reading_.size;
    readPos_ = 0;
    changed_.notify_all();
    return true;
}

template <class Take>
CabError FolderPipe::Consume(uint64_t size, Take take) {
    while (size > 0) {
        if (readPos_ == reading_.size) {
            if (!PullChunk()) {
                std::lock_guard<std::mutex> lock(mutex_);
                if (error_)
                    return error_;
                return MakeError(CabErrc::Corrupt, "read past the decoded part of the folder");
            }
            continue;
        }
        const size_t n = static_cast<size_t>(std::min<uint64_t>(size, reading_.size - readPos_));
        take(reading_.data + readPos_, n);
        readPos_ += n;
        position_ += n;
        size -= n;
    }
    return {};
}

CabError FolderPipe::ReadTo(ByteSink* sink, uint64_t size, bool* sinkOk) {
    return Consume(size, [sink, sinkOk](const uint8_t* data, size_t n) {
        if (*sinkOk && sink)
            *sinkOk = sink->Write(data, n);
    });
}

CabError FolderPipe::Skip(uint64_t size) {
    return Consume(size, [](const uint8_t*, size_t) {});
}

}  // namespace cab
