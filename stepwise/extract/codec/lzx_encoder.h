// LZX encoder for cabinet folders: windows of 2^15 to 2^21 bytes, LZ77 parsing with hash
// chains and lazy evaluation that also tries the three repeated offsets, the E8 call
// translation, and per block the cheapest of verbatim, aligned-offset and uncompressed
// coding. Output comes as one data block per 32 KB frame: the bit stream is padded to a
// 16-bit word at every frame end and no match crosses a frame, which is what readers that
// decode one CFDATA entry at a time (Windows' and Wine's cabinet code) require.
#pragma once

#include <memory>

#include "codec/block_encoder.h"

namespace cab::codec {

struct LzxEncoderOptions {
    int windowBits = 21;         // 15..21
    bool translateCalls = true;  // E8 call translation, a gain on x86 code
    int framesPerBlock = 4;      // frames coded with one set of trees (1..64)
    int maxChain = 128;          // hash-chain links followed per search
    int niceLength = 96;         // a match this long ends the search
};

class LzxEncoder final : public BlockEncoder {
  public:
    explicit LzxEncoder(const LzxEncoderOptions& options = {});
    ~LzxEncoder() override;
    LzxEncoder(const LzxEncoder&) = delete;
    LzxEncoder& operator=(const LzxEncoder&) = delete;

    void Write(const uint8_t* data, size_t size) override;
    void Finish() override;

    // How the blocks coded so far were coded, for tests and tuning.
    struct Stats {
        int verbatimBlocks = 0;
        int alignedBlocks = 0;
        int uncompressedBlocks = 0;
        uint64_t matches = 0;
        uint64_t repeatedOffsetMatches = 0;
    };
    const Stats& stats() const;

    // The translation size written in the stream header when calls are translated.
    static constexpr uint32_t kTranslationSize = 12000000;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace cab::codec
