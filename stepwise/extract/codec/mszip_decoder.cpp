#include "codec/mszip_decoder.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace cab::codec {
namespace {

// Deflate's window; MSZIP blocks may refer back this far into the previous block.
constexpr size_t kHistorySize = 32768;

}  // namespace

struct MszipDecoder::State {
    z_stream stream{};
    bool ready = false;
    uint8_t history[kHistorySize];
    size_t historySize = 0;
};

MszipDecoder::MszipDecoder() : state_(std::make_unique<State>()) {
    state_->ready = inflateInit2(&state_->stream, -MAX_WBITS) == Z_OK;
}

MszipDecoder::~MszipDecoder() {
    if (state_->ready)
        inflateEnd(&state_->stream);
}

void MszipDecoder::Reset() {
    ClearError();
    state_->historySize = 0;
}

bool MszipDecoder::DecodeBlock(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    if (failed())
        return false;
    State& s = *state_;
    if (!s.ready)
        return Fail("MSZIP: zlib could not be initialised");
    if (outSize > kMaxBlockOutput || inSize > kMaxBlockInput)
        return Fail("MSZIP: block larger than the format allows");
    if (inSize < 2 || in[0] != 'C' || in[1] != 'K')
        return Fail("MSZIP: block does not start with the \"CK\" signature");

    z_stream& z = s.stream;
    if (inflateReset(&z) != Z_OK)
        return Fail("MSZIP: zlib reset failed");
    if (s.historySize &&
        inflateSetDictionary(&z, s.history, static_cast<uInt>(s.historySize)) != Z_OK)
        return Fail("MSZIP: zlib refused the previous block as dictionary");
    z.next_in = const_cast<Bytef*>(in + 2);
    z.avail_in = static_cast<uInt>(inSize - 2);
    // One spare byte of room tells a stream that would produce too much from one that fits.
    uint8_t spare = 0;
    z.next_out = out;
    z.avail_out = static_cast<uInt>(outSize);
    int rc = outSize ? inflate(&z, Z_FINISH) : Z_BUF_ERROR;
    const size_t produced = outSize - z.avail_out;
    if (rc != Z_STREAM_END && z.avail_out == 0) {
        z.next_out = &spare;
        z.avail_out = 1;
        rc = inflate(&z, Z_FINISH);
        if (z.avail_out == 0)
            return Fail("MSZIP: block expands beyond its declared size of " +
                        std::to_string(outSize) + " bytes");
    }
    if (rc != Z_STREAM_END && rc != Z_BUF_ERROR && rc != Z_OK)
        return Fail(std::string("MSZIP: bad deflate data (") + (z.msg ? z.msg : "zlib error") +
                    ")");
    if (produced != outSize)
        return Fail("MSZIP: block produced " + std::to_string(produced) + " bytes, expected " +
                    std::to_string(outSize));

    // Keep the last 32 KB of output for the next block.
    if (outSize >= kHistorySize) {
        std::memcpy(s.history, out + outSize - kHistorySize, kHistorySize);
        s.historySize = kHistorySize;
    } else {
        const size_t keep = std::min(s.historySize, kHistorySize - outSize);
        std::memmove(s.history, s.history + s.historySize - keep, keep);
        std::memcpy(s.history + keep, out, outSize);
        s.historySize = keep + outSize;
    }
    return true;
}

}  // namespace cab::codec
