#include "codec/big_buffer.h"

#include <cstdlib>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace cab::codec {

BigBuffer::BigBuffer(size_t size) : size_(size) {
    if (size == 0)
        return;
    void* memory = nullptr;
#if defined(__linux__)
    // Aligned to a huge page, so every whole 2 MB of it can be one.
    if (size >= kHugePage) {
        if (posix_memalign(&memory, kHugePage, size) != 0)
            memory = nullptr;
        if (memory)
            madvise(memory, size & ~(kHugePage - 1), MADV_HUGEPAGE);  // a hint: may be refused
    } else {
        memory = std::malloc(size);
    }
#else
    memory = std::malloc(size);
#endif
    if (!memory)
        throw std::bad_alloc();
    data_ = static_cast<uint8_t*>(memory);
}

BigBuffer::~BigBuffer() {
    std::free(data_);
}

BigBuffer::BigBuffer(BigBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

BigBuffer& BigBuffer::operator=(BigBuffer&& other) noexcept {
    if (this != &other) {
        std::free(data_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

}  // namespace cab::codec
