#include "cab/byte_io.h"

#include <algorithm>
#include <cstring>

namespace cab {

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
    std::setvbuf(file, nullptr, _IONBF, 0);  // the windows buffer; a second copy would not help
    return std::unique_ptr<FileSource>(new FileSource(file));
}

FileSource::~FileSource() {
    std::fclose(file_);
}

int64_t FileSource::ReadFile(uint64_t offset, void* buffer, size_t count) {
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

int64_t FileSource::ReadAt(uint64_t offset, void* buffer, size_t count) {
    // Cabinets stop at 2 GB, so a long offset is enough for every valid position.
    if (offset > 0x7FFFFFFF)
        return 0;
    std::lock_guard<std::mutex> lock(mutex_);
    if (count >= kWindowSize)
        return ReadFile(offset, buffer, count);
    ++reads_;
    // The window the read starts in answers it, or, when the read runs past its end, is
    // refilled from there: a reader going on through the file keeps using its own window.
    // A read that starts in no window takes the one used longest ago.
    Window* window = nullptr;
    bool fits = false;
    for (Window& w : windows_) {
        if (w.bytes && offset >= w.start && offset - w.start <= w.size) {
            window = &w;
            // A window that reaches the end of the file answers reads past it too.
            fits = offset + count <= w.start + w.size || w.size < kWindowSize;
            break;
        }
    }
    if (!fits) {
        if (!window) {
            window = &windows_[0];
            for (Window& w : windows_) {
                if (w.used < window->used)
                    window = &w;
            }
        }
        if (!window->bytes)
            window->bytes.reset(new uint8_t[kWindowSize]);
        window->start = UINT64_MAX;  // answers nothing unless the read succeeds
        window->size = 0;
        const int64_t n = ReadFile(offset, window->bytes.get(), kWindowSize);
        if (n < 0)
            return -1;
        window->start = offset;
        window->size = static_cast<size_t>(n);
    }
    window->used = reads_;
    const size_t at = static_cast<size_t>(offset - window->start);
    const size_t n = std::min(count, window->size - at);
    if (n)
        std::memcpy(buffer, window->bytes.get() + at, n);
    return static_cast<int64_t>(n);
}

}  // namespace cab
