#include "cab/mszip_speculation.h"

#include <algorithm>
#include <cstring>

#include "codec/block_decoder.h"
#include "codec/inflate.h"

namespace cab {
namespace {

// Returns `*buffer` with room for at least `size` bytes, replacing it when it has less.
uint8_t* Room(std::unique_ptr<uint8_t[]>* buffer, size_t* room, size_t size) {
    if (*room < size) {
        buffer->reset(new uint8_t[size]);
        *room = size;
    }
    return buffer->get();
}

}  // namespace

MszipSpeculation::MszipSpeculation() : inflater_(std::make_unique<codec::Inflater>()) {}

MszipSpeculation::~MszipSpeculation() = default;

// Inflates the block into buffer + kHistorySize + at, its history being the kHistorySize
// bytes before that.
bool MszipSpeculation::Inflate(const SpeculationBlock& block, uint8_t* buffer, size_t at) {
    if (block.size < 2 || block.size > codec::kMaxBlockInput ||
        block.outSize > codec::kMaxBlockOutput || block.data[0] != 'C' || block.data[1] != 'K')
        return false;
    size_t produced = 0;
    const codec::Inflater::Result r =
        inflater_->Inflate(block.data + 2, block.size - 2, buffer + at, buffer + kHistorySize + at,
                           block.outSize, &produced);
    return r == codec::Inflater::Result::Ok && produced == block.outSize;
}

bool MszipSpeculation::Decode(const std::vector<SpeculationBlock>& blocks,
                              size_t maxDependentBlocks,
                              Control* control) {
    auto stopped = [control] { return control && control->stop.load(std::memory_order_relaxed); };
    patches_.clear();
    size_ = 0;
    dependentBlocks_ = 0;
    size_t total = 0;
    size_t dependentRoom = 0;  // output of the blocks that may be decoded twice
    for (size_t i = 0; i < blocks.size(); ++i) {
        total += blocks[i].outSize;
        if (i < maxDependentBlocks)
            dependentRoom += blocks[i].outSize;
    }
    const size_t slack = codec::Inflater::kOutputSlack;
    uint8_t* const out = Room(&out_, &outRoom_, kHistorySize + total + slack);
    uint8_t* const second = Room(&second_, &secondRoom_, kHistorySize + dependentRoom + slack);
    // History position i is spelt (i & 0xFF, (i & 0xFF) + 1 + (i >> 8)) in the two versions:
    // two different bytes, as i >> 8 < 128, while a literal is the same byte in both.
    for (size_t i = 0; i < kHistorySize; ++i) {
        out[i] = static_cast<uint8_t>(i);
        second[i] = static_cast<uint8_t>(i + 1 + (i >> 8));
    }

    size_t at = 0;  // output position of the next block
    size_t b = 0;
    bool dependent = true;
    for (; b < blocks.size() && dependent; ++b) {
        if (b == maxDependentBlocks || stopped())
            return false;  // keeps reaching far back: not worth it
        if (!Inflate(blocks[b], out, at) || !Inflate(blocks[b], second, at))
            return false;
        at += blocks[b].outSize;
        // Bytes taken from the history differ between the versions; the history itself
        // counts while it is still within the last 32 KB.
        dependent = at < kHistorySize || std::memcmp(out + at, second + at, kHistorySize) != 0;
    }
    dependentBlocks_ = b;
    for (size_t p = 0; p < at; ++p) {
        const size_t i = kHistorySize + p;
        if (out[i] != second[i]) {
            const unsigned high = static_cast<uint8_t>(second[i] - out[i] - 1);
            patches_.push_back(
                {static_cast<uint32_t>(p), static_cast<uint16_t>(out[i] | high << 8)});
        }
    }
    // The last 32 KB are final: the rest decodes over them as it would after the real
    // history.
    for (; b < blocks.size(); ++b) {
        if (stopped() || !Inflate(blocks[b], out, at))
            return false;
        at += blocks[b].outSize;
    }
    size_ = at;
    return true;
}

void MszipSpeculation::Resolve(const uint8_t* history) {
    uint8_t* const out = out_.get() + kHistorySize;
    for (const Patch& p : patches_)
        out[p.at] = history[p.from];
}

}  // namespace cab
