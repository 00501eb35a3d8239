// Memory for large buffers that are touched whole and live for a while: the LZX window, the
// chunks that carry decoded folders between threads. Each fresh 4 KB page costs a fault on
// its first touch, and in a virtual machine a fault costs more than decoding the page's bytes
// (measured here: touching 64 MB of fresh memory took 280-300 ms in 4 KB pages, 17-41 ms in
// 2 MB pages). So on Linux the part of a buffer that spans whole 2 MB pages asks for them
// (transparent huge pages, where the system allows them); elsewhere it is plain memory.
// Contents start undefined.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cab::codec {

class BigBuffer {
  public:
    // The size at which a buffer starts to span a huge page.
    static constexpr size_t kHugePage = size_t{2} << 20;

    BigBuffer() = default;
    // Throws std::bad_alloc when the memory is not there.
    explicit BigBuffer(size_t size);
    ~BigBuffer();
    BigBuffer(BigBuffer&& other) noexcept;
    BigBuffer& operator=(BigBuffer&& other) noexcept;
    BigBuffer(const BigBuffer&) = delete;
    BigBuffer& operator=(const BigBuffer&) = delete;

    uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

  private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace cab::codec
