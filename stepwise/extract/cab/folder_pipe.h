// Carries one folder's decoded bytes from the thread decoding them to the thread that hands
// them to files. The producer writes into chunks and blocks while the pipe holds its
// capacity; the consumer reads them as FolderBytes, so the same folder pass runs over a pipe
// as over a FolderStream and makes the same calls with the same results. Chunks go back to
// their pool once read, so a long folder reuses a few buffers.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "cab/byte_io.h"
#include "cab/cab_error.h"
#include "cab/chunk_pool.h"
#include "cab/folder_pass.h"

namespace cab {

class FolderPipe final : public ByteSink, public FolderBytes {
  public:
    // Bytes per chunk: large enough that a consumer's sink gets large writes.
    static constexpr size_t kChunkSize = ChunkPool::kChunkSize;

    // `capacity`: bytes the pipe may hold before the producer waits (at least one chunk).
    // Chunks come from `pool` (borrowed: it outlives the pipe), or from a pool of its own.
    explicit FolderPipe(size_t capacity, ChunkPool* pool = nullptr);
    ~FolderPipe() override;

    // Producer side. Write returns false once the consumer has abandoned the pipe.
    bool Write(const uint8_t* data, size_t size) override;
    // Room to decode into directly (at least one byte); Commit(n) hands over the first n
    // bytes written there and returns false once the consumer has abandoned the pipe.
    uint8_t* Room(size_t* room);
    bool Commit(size_t size);
    // Ends the bytes; a failed decode hands its error, which the consumer meets after the
    // last byte written before it.
    void Finish(const CabError& error);

    // Consumer side. Reading past the bytes written fails with the producer's error, or with
    // Corrupt when it finished cleanly.
    CabError ReadTo(ByteSink* sink, uint64_t size, bool* sinkOk) override;
    CabError Skip(uint64_t size) override;
    uint64_t position() const override { return position_; }
    // Drops what is queued and makes every later Write fail, so the producer stops.
    void Abandon();
    bool abandoned() const;

  private:
    struct Chunk {
        uint8_t* data = nullptr;  // kChunkSize bytes from the pool, not cleared
        size_t size = 0;
    };
    // Hands the chunk's memory back to the pool and empties it.
    void Release(Chunk& chunk);
    template <class Take>
    CabError Consume(uint64_t size, Take take);
    // Queues the chunk being filled; false when abandoned.
    bool PushFilling();
    // Takes the next chunk into reading_; false at the end of the bytes.
    bool PullChunk();

    const size_t capacity_;
    std::unique_ptr<ChunkPool> ownPool_;
    ChunkPool* const pool_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Chunk> queue_;
    size_t queuedBytes_ = 0;
    bool finished_ = false;
    bool abandoned_ = false;
    CabError error_;

    Chunk filling_;  // producer's own
    Chunk reading_;  // consumer's own
    size_t readPos_ = 0;
    uint64_t position_ = 0;
};

}  // namespace cab
