#include "cab/mszip_marked_run.h"

#include <algorithm>
#include <cstring>

#include "codec/block_decoder.h"
#include "codec/inflate.h"

namespace cab {
namespace {

// Returns `*buffer` with room for at least `size` elements, replacing it when it has less;
// `*fresh` tells whether it did.
template <class T>
T* Room(std::unique_ptr<T[]>* buffer, size_t* room, size_t size, bool* fresh = nullptr) {
    const bool replace = *room < size;
    if (replace) {
        buffer->reset(new T[size]);
        *room = size;
    }
    if (fresh)
        *fresh = replace;
    return buffer->get();
}

bool Acceptable(const MarkedRunBlock& block) {
    return block.size >= 2 && block.size <= codec::kMaxBlockInput &&
           block.outSize <= codec::kMaxBlockOutput && block.data[0] == 'C' && block.data[1] == 'K';
}

// Whether any of `n` elements is a marker. Looks from the end: where the history still
// reaches, a marker is usually close to it.
bool HoldsMarker(const uint16_t* elements, size_t n) {
    while (n >= 8) {
        n -= 8;
        uint16_t high = 0;
        for (size_t i = 0; i < 8; ++i)
            high |= elements[n + i];
        if (high >> 8)
            return true;
    }
    for (size_t i = 0; i < n; ++i)
        if (elements[i] >> 8)
            return true;
    return false;
}

}  // namespace

MszipMarkedRun::MszipMarkedRun()
    : inflater_(std::make_unique<codec::Inflater>()),
      meaning_(std::make_unique<uint8_t[]>(256 + kHistorySize)) {
    for (size_t v = 0; v < 256; ++v)
        meaning_[v] = static_cast<uint8_t>(v);
}

MszipMarkedRun::~MszipMarkedRun() = default;

template <class T>
bool MszipMarkedRun::Inflate(const MarkedRunBlock& block, T* buffer, size_t at) {
    if (!Acceptable(block))
        return false;
    size_t produced = 0;
    const codec::Inflater::Result r =
        inflater_->Inflate(block.data + 2, block.size - 2, buffer + at, buffer + kHistorySize + at,
                           block.outSize, &produced);
    return r == codec::Inflater::Result::Ok && produced == block.outSize;
}

bool MszipMarkedRun::Decode(const std::vector<MarkedRunBlock>& blocks,
                            size_t maxDependentBlocks,
                            Control* control) {
    auto stopped = [control] { return control && control->stop.load(std::memory_order_relaxed); };
    marked_ = 0;
    size_ = 0;
    dependentBlocks_ = 0;
    size_t total = 0;
    size_t dependentRoom = 0;  // output of the blocks that may be decoded into elements
    for (size_t i = 0; i < blocks.size(); ++i) {
        total += blocks[i].outSize;
        if (i < maxDependentBlocks)
            dependentRoom += blocks[i].outSize;
    }
    const size_t slack = codec::Inflater::kOutputSlack;
    uint8_t* const out = Room(&out_, &outRoom_, kHistorySize + total + slack);
    bool fresh = false;
    uint16_t* const wide = Room(&wide_, &wideRoom_, kHistorySize + dependentRoom + slack, &fresh);
    if (fresh) {  // runs write only after the markers, so they stay
        for (size_t i = 0; i < kHistorySize; ++i)
            wide[i] = static_cast<uint16_t>(256 + i);
    }

    size_t at = 0;  // output position of the next block
    size_t b = 0;
    bool dependent = true;
    for (; b < blocks.size() && dependent; ++b) {
        if (b == maxDependentBlocks || stopped())
            return false;  // keeps reaching far back: not worth it
        if (!Inflate(blocks[b], wide, at))
            return false;
        at += blocks[b].outSize;
        // The history itself counts while it is still within the last 32 KB.
        dependent = at < kHistorySize || HoldsMarker(wide + at, kHistorySize);
    }
    dependentBlocks_ = b;
    marked_ = at;
    if (b < blocks.size()) {
        // The last 32 KB are final bytes: the rest decodes over them as it would after the
        // real history.
        for (size_t i = at; i < at + kHistorySize; ++i)
            out[i] = static_cast<uint8_t>(wide[i]);
    }
    for (; b < blocks.size(); ++b) {
        if (stopped() || !Inflate(blocks[b], out, at))
            return false;
        at += blocks[b].outSize;
    }
    size_ = at;
    return true;
}

void MszipMarkedRun::Resolve(const uint8_t* history) {
    // One look-up per element, no branch: the table maps a byte to itself and a marker to the
    // history byte it stands for.
    std::memcpy(meaning_.get() + 256, history, kHistorySize);
    const uint8_t* const meaning = meaning_.get();
    const uint16_t* const from = wide_.get() + kHistorySize;
    uint8_t* const to = out_.get() + kHistorySize;
    for (size_t p = 0; p < marked_; ++p)
        to[p] = meaning[from[p]];
}

size_t MszipMarkedRun::historyBytes() const {
    if (!wide_)
        return 0;
    const uint16_t* const from = wide_.get() + kHistorySize;
    size_t n = 0;
    for (size_t p = 0; p < marked_; ++p)
        n += from[p] >> 8 != 0;
    return n;
}

}  // namespace cab
