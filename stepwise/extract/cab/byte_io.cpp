#include "cab/byte_io.h"

#include <algorithm>
#include <cstring>

namespace cab {
namespace {

constexpr size_t kReadBuffer = 256 * 1024;

}  // namespace

int64_t MemorySource::ReadAt(uint64_t offset, void* buffer, size_t count) {
    if (offset >= size_)
        return 0;
    const size_t n = std::min<uint64_t>(count, size_ - offset);
    if (n)
        std::memcpy(buffer, data_ + offset, n);
    return static_cast<int64_t>(n);
}

std::unique_ptr<FileSource> FileSource::Open(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return nullptr;
    // Data blocks are read one after another, a few KB each: a large buffer takes them in a
    // few big reads instead of a system call per 4 KB.
    std::unique_ptr<FileSource> source(new FileSource(file));
    source->buffer_.reset(new char[kReadBuffer]);  // not cleared: the stream fills it
    if (std::setvbuf(file, source->buffer_.get(), _IOFBF, kReadBuffer) != 0)
        source->buffer_.reset();  // the stream keeps its own
    return source;
}

FileSource::~FileSource() {
    std::fclose(file_);
}

int64_t FileSource::ReadAt(uint64_t offset, void* buffer, size_t count) {
    // Cabinets stop at 2 GB, so a long offset is enough for every valid position.
    if (offset > 0x7FFFFFFF)
        return 0;
    std::lock_guard<std::mutex> lock(mutex_);
    if (offset != position_) {
        if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0)
            return -1;
        position_ = offset;
    }
    const size_t n = std::fread(buffer, 1, count, file_);
    if (n < count && std::ferror(file_)) {
        std::clearerr(file_);
        position_ = UINT64_MAX;
        return -1;
    }
    position_ += n;
    return static_cast<int64_t>(n);
}

}  // namespace cab
