// Hash-chain match finder over the LZX encoder's window. Positions are absolute offsets in
// the folder's stream (below 2^31), so the tables never need rebasing when the buffer
// slides; chains end where a link is older than the window allows.
#pragma once

#include <cstdint>
#include <vector>

namespace cab::codec::lzx {

struct Match {
    uint32_t length = 0;
    uint32_t distance = 0;
};

class MatchFinder {
  public:
    // `maxDistance` is the largest offset the window allows; `maxChain` bounds the links
    // followed per search, `niceLength` stops a search early once a match is that long.
    MatchFinder(int windowBits, uint32_t maxDistance, int maxChain, uint32_t niceLength);

    // The bytes [base, end) of the stream, at `data`. Called whenever the buffer changes.
    void SetBuffer(const uint8_t* data, uint32_t base, uint32_t end) {
        data_ = data;
        base_ = base;
        end_ = end;
    }

    // Adds every position before `pos` not yet in the chains (those whose three bytes are
    // available).
    void InsertUpTo(uint32_t pos);

    // The longest match of at least 3 bytes at `pos`, at most `maxLength` long.
    Match Find(uint32_t pos, uint32_t maxLength) const;

    // Length of the common run at `pos` and `pos - distance`, at most `maxLength`.
    uint32_t MatchLength(uint32_t pos, uint32_t distance, uint32_t maxLength) const;

  private:
    uint32_t Hash(uint32_t pos) const;

    const uint8_t* data_ = nullptr;
    uint32_t base_ = 0;
    uint32_t end_ = 0;
    uint32_t inserted_ = 0;  // every position below this is in the chains
    uint32_t maxDistance_;
    int maxChain_;
    uint32_t niceLength_;
    uint32_t windowMask_;
    int hashShift_;
    std::vector<uint32_t> head_;  // position + 1 of the newest entry per hash, 0 = none
    std::vector<uint32_t> prev_;  // position + 1 of the next older entry, by position
};

}  // namespace cab::codec::lzx
