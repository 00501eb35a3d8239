// Test support: MSZIP decoded the plain way, by zlib with the previous 32 KB set as the
// dictionary. Tests and the differential fuzzer hold the Inflater-based MszipDecoder to it:
// same bytes out, and success and failure on the same blocks.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace cab::codec {

class ZlibMszipReference {
  public:
    ZlibMszipReference() { ready_ = inflateInit2(&z_, -MAX_WBITS) == Z_OK; }
    ~ZlibMszipReference() {
        if (ready_)
            inflateEnd(&z_);
    }
    ZlibMszipReference(const ZlibMszipReference&) = delete;
    ZlibMszipReference& operator=(const ZlibMszipReference&) = delete;

    // Decodes one "CK" block into exactly outSize bytes; false on any fault.
    bool DecodeBlock(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
        if (!ready_ || inSize < 2 || in[0] != 'C' || in[1] != 'K' || outSize > 32768)
            return false;
        if (inflateReset(&z_) != Z_OK)
            return false;
        if (!history_.empty() &&
            inflateSetDictionary(&z_, history_.data(), static_cast<uInt>(history_.size())) != Z_OK)
            return false;
        z_.next_in = const_cast<Bytef*>(in + 2);
        z_.avail_in = static_cast<uInt>(inSize - 2);
        z_.next_out = out;
        z_.avail_out = static_cast<uInt>(outSize);
        int rc = outSize ? inflate(&z_, Z_FINISH) : Z_BUF_ERROR;
        const size_t produced = outSize - z_.avail_out;
        if (rc != Z_STREAM_END && z_.avail_out == 0) {
            // One spare byte tells a stream that holds more from one that fits exactly.
            uint8_t spare = 0;
            z_.next_out = &spare;
            z_.avail_out = 1;
            rc = inflate(&z_, Z_FINISH);
            if (z_.avail_out == 0)
                return false;
        }
        if (rc != Z_STREAM_END && rc != Z_BUF_ERROR && rc != Z_OK)
            return false;
        if (produced != outSize)
            return false;
        history_.insert(history_.end(), out, out + outSize);
        if (history_.size() > 32768)
            history_.erase(history_.begin(), history_.end() - 32768);
        return true;
    }
    void Reset() { history_.clear(); }

  private:
    z_stream z_{};
    bool ready_ = false;
    std::vector<uint8_t> history_;
};

}  // namespace cab::codec
