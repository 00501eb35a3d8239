#include "codec/lzx_match_finder.h"

#include <algorithm>

namespace cab::codec::lzx {
namespace {

// About one bucket per two window positions keeps chains short even on data without
// repeats, where every link is a cache miss.
int HashBitsFor(int windowBits) {
    return windowBits - 1 < 15 ? 15 : windowBits - 1;
}

}  // namespace

MatchFinder::MatchFinder(int windowBits, uint32_t maxDistance, int maxChain, uint32_t niceLength)
    : maxDistance_(maxDistance),
      maxChain_(maxChain),
      niceLength_(niceLength),
      windowMask_((1u << windowBits) - 1),
      hashShift_(32 - HashBitsFor(windowBits)),
      head_(1u << HashBitsFor(windowBits), 0),
      prev_(1u << windowBits, 0) {}

uint32_t MatchFinder::Hash(uint32_t pos) const {
    const uint8_t* p = data_ + (pos - base_);
    uint32_t v = (static_cast<uint32_t>(p[0]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[2];
    return (v * 2654435761u) >> hashShift_;
}

void MatchFinder::InsertUpTo(uint32_t pos) {
    if (inserted_ < base_)
        inserted_ = base_;
    uint32_t limit = std::min(pos, end_ >= 2 ? end_ - 2 : 0);
    for (; inserted_ < limit; ++inserted_) {
        uint32_t h = Hash(inserted_);
        prev_[inserted_ & windowMask_] = head_[h];
        head_[h] = inserted_ + 1;
    }
}

uint32_t MatchFinder::MatchLength(uint32_t pos, uint32_t distance, uint32_t maxLength) const {
    const uint8_t* cur = data_ + (pos - base_);
    const uint8_t* ref = cur - distance;
    uint32_t len = 0;
    while (len < maxLength && cur[len] == ref[len])
        ++len;
    return len;
}

Match MatchFinder::Find(uint32_t pos, uint32_t maxLength) const {
    Match best;
    if (maxLength < 3 || pos + 2 >= end_)
        return best;
    uint32_t lowest = pos > maxDistance_ ? pos - maxDistance_ : 0;
    lowest = std::max(lowest, base_);
    const uint8_t* cur = data_ + (pos - base_);
    uint32_t link = head_[Hash(pos)];
    uint32_t bestLen = 2;
    for (int chain = maxChain_; link != 0 && chain > 0; --chain) {
        uint32_t cand = link - 1;
        if (cand < lowest || cand >= pos)
            break;
        const uint8_t* ref = data_ + (cand - base_);
        if (ref[bestLen] == cur[bestLen] && ref[0] == cur[0] && ref[1] == cur[1]) {
            uint32_t len = 2;
            while (len < maxLength && ref[len] == cur[len])
                ++len;
            if (len > bestLen) {
                bestLen = len;
                best = {len, pos - cand};
                if (len >= niceLength_ || len == maxLength)
                    break;
            }
        }
        uint32_t next = prev_[cand & windowMask_];
        if (next == 0 || next - 1 >= cand)
            break;
        link = next;
    }
    return best;
}

}  // namespace cab::codec::lzx
