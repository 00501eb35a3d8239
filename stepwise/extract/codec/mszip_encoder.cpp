#include "codec/mszip_encoder.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace cab::codec {

struct MszipEncoder::Stream {
    z_stream z{};
};

MszipEncoder::MszipEncoder(int level) : stream_(std::make_unique<Stream>()) {
    level = std::clamp(level, 1, 9);
    // Negative window bits: raw deflate without zlib's header and trailer, as MSZIP wants.
    if (deflateInit2(&stream_->z, level, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("zlib could not start a deflate stream");
}

MszipEncoder::~MszipEncoder() {
    deflateEnd(&stream_->z);
}

void MszipEncoder::Write(const uint8_t* data, size_t size) {
    while (size > 0) {
        size_t take = std::min(size, kEncodeFrameSize - pending_.size());
        pending_.insert(pending_.end(), data, data + take);
        data += take;
        size -= take;
        if (pending_.size() == kEncodeFrameSize)
            EncodePending();
    }
}

void MszipEncoder::Finish() {
    if (!pending_.empty())
        EncodePending();
}

void MszipEncoder::EncodePending() {
    z_stream& z = stream_->z;
    deflateReset(&z);
    if (!history_.empty())
        deflateSetDictionary(&z, history_.data(), static_cast<uInt>(history_.size()));

    EncodedBlock block;
    block.uncompressedSize = static_cast<uint32_t>(pending_.size());
    uLong bound = deflateBound(&z, static_cast<uLong>(pending_.size()));
    block.data.resize(2 + bound);
    block.data[0] = 'C';
    block.data[1] = 'K';
    z.next_in = pending_.data();
    z.avail_in = static_cast<uInt>(pending_.size());
    z.next_out = block.data.data() + 2;
    z.avail_out = static_cast<uInt>(bound);
    // Z_FINISH closes the stream with a final deflate block, so each data block decodes on
    // its own given the history.
    if (deflate(&z, Z_FINISH) != Z_STREAM_END)
        throw std::runtime_error("zlib could not finish a deflate block");
    block.data.resize(2 + bound - z.avail_out);
    blocks_.push_back(std::move(block));

    history_.swap(pending_);
    pending_.clear();
}

}  // namespace cab::codec
