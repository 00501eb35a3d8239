#include "codec/mszip_decoder.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "codec/inflate.h"

namespace cab::codec {
namespace {

// Deflate's window; MSZIP blocks may refer back this far into the previous block.
constexpr size_t kHistorySize = 32768;

}  // namespace

// window holds the history in [kHistorySize - historySize, kHistorySize) and the block being
// decoded from kHistorySize on, followed by the inflater's slack.
struct MszipDecoder::State {
    Inflater inflater;
    uint8_t window[kHistorySize + kMaxBlockOutput + Inflater::kOutputSlack];
    size_t historySize = 0;
};

MszipDecoder::MszipDecoder() : state_(std::make_unique<State>()) {}

MszipDecoder::~MszipDecoder() = default;

void MszipDecoder::Reset() {
    ClearError();
    state_->historySize = 0;
}

bool MszipDecoder::DecodeBlock(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    if (failed())
        return false;
    State& s = *state_;
    if (outSize > kMaxBlockOutput || inSize > kMaxBlockInput)
        return Fail("MSZIP: block larger than the format allows");
    if (inSize < 2 || in[0] != 'C' || in[1] != 'K')
        return Fail("MSZIP: block does not start with the \"CK\" signature");

    uint8_t* const block = s.window + kHistorySize;
    size_t produced = 0;
    switch (
        s.inflater.Inflate(in + 2, inSize - 2, block - s.historySize, block, outSize, &produced)) {
        case Inflater::Result::Ok:
            break;
        case Inflater::Result::Overflow:
            return Fail("MSZIP: block expands beyond its declared size of " +
                        std::to_string(outSize) + " bytes");
        case Inflater::Result::Short:
            return Fail("MSZIP: block produced " + std::to_string(produced) + " bytes, expected " +
                        std::to_string(outSize));
        case Inflater::Result::BadData:
            return Fail(std::string("MSZIP: bad deflate data (") + s.inflater.message() + ")");
    }
    if (outSize)  // an empty block may come with no buffer at all
        std::memcpy(out, block, outSize);

    // The last 32 KB of history plus block become the next block's history.
    const size_t keep = std::min(s.historySize + outSize, kHistorySize);
    std::memmove(s.window + kHistorySize - keep, block + outSize - keep, keep);
    s.historySize = keep;
    return true;
}

}  // namespace cab::codec
