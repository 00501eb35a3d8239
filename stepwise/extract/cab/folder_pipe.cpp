#include "cab/folder_pipe.h"

#include <algorithm>
#include <cstring>

namespace cab {

FolderPipe::FolderPipe(size_t capacity) : capacity_(std::max(capacity, kChunkSize)) {}

bool FolderPipe::PushFilling() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return abandoned_ || queuedBytes_ < capacity_; });
    if (abandoned_)
        return false;
    queuedBytes_ += filling_.size();
    queue_.push_back(std::move(filling_));
    if (!spare_.empty()) {
        filling_ = std::move(spare_.back());
        spare_.pop_back();
    } else {
        filling_ = std::vector<uint8_t>();
    }
    filling_.clear();
    changed_.notify_all();
    return true;
}

bool FolderPipe::Write(const uint8_t* data, size_t size) {
    while (size > 0) {
        if (filling_.capacity() < kChunkSize)
            filling_.reserve(kChunkSize);
        const size_t n = std::min(size, kChunkSize - filling_.size());
        filling_.insert(filling_.end(), data, data + n);
        data += n;
        size -= n;
        if (filling_.size() == kChunkSize && !PushFilling())
            return false;
    }
    return !abandoned();
}

void FolderPipe::Finish(const CabError& error) {
    if (!filling_.empty())
        PushFilling();
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    error_ = error;
    changed_.notify_all();
}

void FolderPipe::Abandon() {
    std::lock_guard<std::mutex> lock(mutex_);
    abandoned_ = true;
    queue_.clear();
    spare_.clear();
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
    // The chunk just read goes back to the producer.
    if (reading_.capacity() > 0)
        spare_.push_back(std::move(reading_));
    reading_ = std::move(queue_.front());
    queue_.pop_front();
    queuedBytes_ -= reading_.size();
    readPos_ = 0;
    changed_.notify_all();
    return true;
}

template <class Take>
CabError FolderPipe::Consume(uint64_t size, Take take) {
    while (size > 0) {
        if (readPos_ == reading_.size()) {
            if (!PullChunk()) {
                std::lock_guard<std::mutex> lock(mutex_);
                if (error_)
                    return error_;
                return MakeError(CabErrc::Corrupt, "read past the decoded part of the folder");
            }
            continue;
        }
        const size_t n = static_cast<size_t>(std::min<uint64_t>(size, reading_.size() - readPos_));
        take(reading_.data() + readPos_, n);
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
