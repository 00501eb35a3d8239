#include "cab/chunk_pool.h"

#include <utility>

namespace cab {

uint8_t* ChunkPool::Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (free_.empty()) {
        codec::BigBuffer slab(kSlabSize);
        for (size_t at = 0; at + kChunkSize <= kSlabSize; at += kChunkSize)
            free_.push_back(slab.data() + at);
        slabs_.push_back(std::move(slab));
    }
    uint8_t* chunk = free_.back();
    free_.pop_back();
    return chunk;
}

void ChunkPool::Give(uint8_t* chunk) {
    std::lock_guard<std::mutex> lock(mutex_);
    free_.push_back(chunk);
}

}  // namespace cab
