#include "codec/mszip_decoder.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "codec/inflate.h"

namespace cab::codec {
namespace {

// Deflate's window; MSZIP blocks may refer back this far into the previous block.
constexpr size_t kHistorySize = 32768;
// Blocks are inflated one after another into a buffer this many blocks long; only when it is
// full do the last 32 KB move to its front, not after every block.
constexpr size_t kBlocksPerBuffer = 8;
constexpr size_t kBufferSize = kHistorySize + kBlocksPerBuffer * kMaxBlockOutput;

}  // namespace

const uint8_t* MszipDecoder::Refuse(const std::string& message) {
    Fail(message);
    return nullptr;
}

// buffer holds the history in [next - historySize, next) and the block being decoded from
// `next` on, followed by the inflater's slack.
struct MszipDecoder::State {
    Inflater inflater;
    uint8_t buffer[kBufferSize + Inflater::kOutputSlack];
    size_t next = kHistorySize;
    size_t historySize = 0;
};

MszipDecoder::MszipDecoder() : state_(std::make_unique<State>()) {}

MszipDecoder::~MszipDecoder() = default;

void MszipDecoder::Reset() {
    ClearError();
    state_->next = kHistorySize;
    state_->historySize = 0;
}

bool MszipDecoder::DecodeBlock(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    const uint8_t* const block = Decode(in, inSize, outSize);
    if (!block)
        return false;
    if (outSize)  // an empty block may come with no buffer at all
        std::memcpy(out, block, outSize);
    return true;
}

const uint8_t* MszipDecoder::DecodeBlockInPlace(const uint8_t* in,
                                                size_t inSize,
                                                uint8_t*,
                                                size_t outSize) {
    return Decode(in, inSize, outSize);
}

const uint8_t* MszipDecoder::history(size_t* size) const {
    *size = state_->historySize;
    return state_->buffer + state_->next - state_->historySize;
}

void MszipDecoder::AppendHistory(const uint8_t* data, size_t size) {
    State& s = *state_;
    if (size > kHistorySize) {
        data += size - kHistorySize;
        size = kHistorySize;
    }
    if (s.next + size > kBufferSize) {
        std::memmove(s.buffer + kHistorySize - s.historySize, s.buffer + s.next - s.historySize,
                     s.historySize);
        s.next = kHistorySize;
    }
    std::memcpy(s.buffer + s.next, data, size);
    s.next += size;
    s.historySize = std::min(s.historySize + size, kHistorySize);
}

const uint8_t* MszipDecoder::Decode(const uint8_t* in, size_t inSize, size_t outSize) {
    if (failed())
        return nullptr;
    State& s = *state_;
    if (outSize > kMaxBlockOutput || inSize > kMaxBlockInput)
        return Refuse("MSZIP: block larger than the format allows");
    if (inSize < 2 || in[0] != 'C' || in[1] != 'K')
        return Refuse("MSZIP: block does not start with the \"CK\" signature");

    if (s.next + outSize > kBufferSize) {
        std::memmove(s.buffer + kHistorySize - s.historySize, s.buffer + s.next - s.historySize,
                     s.historySize);
        s.next = kHistorySize;
    }
    uint8_t* const block = s.buffer + s.next;
    size_t produced = 0;
    switch (
        s.inflater.Inflate(in + 2, inSize - 2, block - s.historySize, block, outSize, &produced)) {
        case Inflater::Result::Ok:
            break;
        case Inflater::Result::Overflow:
            return Refuse("MSZIP: block expands beyond its declared size of " +
                          std::to_string(outSize) + " bytes");
        case Inflater::Result::Short:
            return Refuse("MSZIP: block produced " + std::to_string(produced) +
                          " bytes, expected " + std::to_string(outSize));
        case Inflater::Result::BadData:
            return Refuse(std::string("MSZIP: bad deflate data (") + s.inflater.message() + ")");
    }
    // The last 32 KB of history plus block are the next block's history.
    s.next += outSize;
    s.historySize = std::min(s.historySize + outSize, kHistorySize);
    return block;
}

}  // namespace cab::codec
