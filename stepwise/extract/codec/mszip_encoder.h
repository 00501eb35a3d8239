// MSZIP encoder: each 32 KB block is "CK" followed by a complete raw deflate stream. The
// deflate stream of a block may refer back into the previous block's 32 KB (readers keep
// that history), so the encoder primes zlib with it as a preset dictionary: nearly the ratio
// of one continuous deflate stream, while every block still ends on its own.
#pragma once

#include <memory>

#include "codec/block_encoder.h"

namespace cab::codec {

class MszipEncoder final : public BlockEncoder {
  public:
    // `level` is zlib's 1..9.
    explicit MszipEncoder(int level = 9);
    ~MszipEncoder() override;
    MszipEncoder(const MszipEncoder&) = delete;
    MszipEncoder& operator=(const MszipEncoder&) = delete;

    void Write(const uint8_t* data, size_t size) override;
    void Finish() override;

  private:
    void EncodePending();

    struct Stream;
    std::unique_ptr<Stream> stream_;
    std::vector<uint8_t> pending_;
    std::vector<uint8_t> history_;  // the previous block's uncompressed bytes
};

}  // namespace cab::codec
