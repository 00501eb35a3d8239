#include "codec/block_encoder.h"

#include <algorithm>

namespace cab::codec {

void StoredEncoder::Write(const uint8_t* data, size_t size) {
    while (size > 0) {
        size_t take = std::min(size, kEncodeFrameSize - pending_.size());
        pending_.insert(pending_.end(), data, data + take);
        data += take;
        size -= take;
        if (pending_.size() == kEncodeFrameSize) {
            blocks_.push_back({pending_, static_cast<uint32_t>(kEncodeFrameSize)});
            pending_.clear();
        }
    }
}

void StoredEncoder::Finish() {
    if (!pending_.empty()) {
        uint32_t size = static_cast<uint32_t>(pending_.size());
        blocks_.push_back({std::move(pending_), size});
        pending_.clear();
    }
}

}  // namespace cab::codec
