// MSZIP: every block is "CK" followed by a raw deflate stream whose back references may
// reach into the previous block's output (up to 32 KB). The block is inflated straight after
// that history in one buffer, so references cross the boundary like any other.
#pragma once

#include <memory>

#include "codec/block_decoder.h"

namespace cab::codec {

class MszipDecoder final : public BlockDecoder {
  public:
    MszipDecoder();
    ~MszipDecoder() override;

    bool DecodeBlock(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) override;
    void Reset() override;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace cab::codec
