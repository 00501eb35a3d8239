// Fixed-size chunks cut from slabs of huge-page size, for buffers that carry bytes between
// threads: decoded folders in pipes, extracted files on their way to the disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "codec/big_buffer.h"

namespace cab {

// Shared by the users of one run: a chunk read from one folder's pipe carries a later
// folder's bytes, so the memory is touched fresh (a page fault per 4 KB page, or one per slab
// with huge pages) only once per run. Slabs are kept until the pool ends. Thread-safe.
class ChunkPool {
  public:
    static constexpr size_t kChunkSize = 256 * 1024;

    uint8_t* Take();
    void Give(uint8_t* chunk);

  private:
    static constexpr size_t kSlabSize = codec::BigBuffer::kHugePage;
    std::mutex mutex_;
    std::vector<codec::BigBuffer> slabs_;
    std::vector<uint8_t*> free_;
};

}  // namespace cab
