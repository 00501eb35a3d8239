// MSZIP: every block is "CK" followed by a raw deflate stream whose back references may
// reach into the previous block's output (up to 32 KB). The block is inflated straight after
// that history in one buffer, so references cross the boundary like any other.
#pragma once

#include <memory>
#include <string>

#include "codec/block_decoder.h"

namespace cab::codec {

class MszipDecoder final : public BlockDecoder {
  public:
    MszipDecoder();
    ~MszipDecoder() override;

    bool DecodeBlock(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) override;
    // The block's bytes stay in the history buffer they were inflated into.
    const uint8_t* DecodeBlockInPlace(const uint8_t* in,
                                      size_t inSize,
                                      uint8_t* scratch,
                                      size_t outSize) override;
    void Reset() override;

    // The last bytes decoded (at most 32 KB), which the next block may refer back to.
    const uint8_t* history(size_t* size) const;
    // Takes bytes decoded elsewhere as if this decoder had just produced them: the next
    // block may refer back into them.
    void AppendHistory(const uint8_t* data, size_t size);

  private:
    // Inflates the block after the history; returns where it is, or nullptr on failure.
    const uint8_t* Decode(const uint8_t* in, size_t inSize, size_t outSize);
    const uint8_t* Refuse(const std::string& message);
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace cab::codec
