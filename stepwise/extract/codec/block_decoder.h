// The common shape of the cabinet codecs: one data block of compressed bytes in, exactly
// the block's uncompressed size out. A decoder keeps whatever history its method carries
// from block to block (dictionary, window, models) until Reset(), which a container calls
// at the start of every folder. Errors are sticky: after the first failure every call fails
// with the same message until Reset().
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cab::codec {

// No cabinet data block expands to more than 32 KB; the decoders' buffers and the E8
// translation are sized by this frame.
constexpr size_t kMaxBlockOutput = 32768;

// Compressed blocks may exceed their output by the worst-case expansion the format allows
// (an LZX or Quantum block of incompressible data plus its headers).
constexpr size_t kMaxBlockInput = 32768 + 6144;

class BlockDecoder {
  public:
    virtual ~BlockDecoder() = default;

    // Decodes one block. `out` receives exactly `outSize` bytes (at most kMaxBlockOutput).
    // Returns false when the data is bad; error() then says why.
    virtual bool DecodeBlock(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) = 0;

    // Decodes one block like DecodeBlock, but may leave its bytes where the decoder made them
    // instead of copying them out: returns where the `outSize` bytes are (`scratch`, which
    // has room for them, or the decoder's own memory, valid until the next call), or nullptr
    // when the data is bad.
    virtual const uint8_t* DecodeBlockInPlace(const uint8_t* in,
                                              size_t inSize,
                                              uint8_t* scratch,
                                              size_t outSize) {
        return DecodeBlock(in, inSize, scratch, outSize) ? scratch : nullptr;
    }

    // Forgets all history: the next block starts a new stream.
    virtual void Reset() = 0;

    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }

  protected:
    // Records the first error only and returns false, so `return Fail("...")` reads well.
    bool Fail(const std::string& message) {
        if (error_.empty())
            error_ = message;
        return false;
    }
    void ClearError() { error_.clear(); }

  private:
    std::string error_;
};

// Copies blocks unchanged; the "none" method.
class StoredDecoder final : public BlockDecoder {
  public:
    bool DecodeBlock(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) override;
    void Reset() override { ClearError(); }
};

}  // namespace cab::codec
