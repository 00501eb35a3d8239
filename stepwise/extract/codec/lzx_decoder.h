// LZX as used in cabinets: windows of 2^15 to 2^21 bytes; verbatim, aligned-offset and
// uncompressed blocks that may span data blocks; three repeated offsets; the E8 call
// translation over 32 KB frames. Each cabinet data block carries one frame, and the bit
// stream starts afresh (16-bit aligned) in every frame, while the window, the trees and
// the block being decoded carry over.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "codec/big_buffer.h"
#include "codec/block_decoder.h"
#include "codec/huffman.h"

namespace cab::codec {

constexpr int kLzxMinWindowBits = 15;
constexpr int kLzxMaxWindowBits = 21;

// Tree sizes shared with the encoder.
constexpr int kLzxNumChars = 256;
constexpr int kLzxPretreeSize = 20;
constexpr int kLzxLengthTreeSize = 249;
constexpr int kLzxAlignedTreeSize = 8;
constexpr int kLzxMinMatch = 2;
constexpr int kLzxMaxMatch = 257;
constexpr int kLzxMaxPositionSlots = 50;

// Position slots for a window of 2^windowBits bytes (30 for 2^15 ... 50 for 2^21).
int LzxPositionSlots(int windowBits);
// Offset base and extra-bit count of each position slot (formatted offsets: real offset + 2).
uint32_t LzxPositionBase(int slot);
int LzxExtraBits(int slot);

class LzxDecoder final : public BlockDecoder {
  public:
    explicit LzxDecoder(int windowBits);
    ~LzxDecoder() override;

    bool DecodeBlock(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) override;
    // Hands out the frame in the window itself, E8 calls translated there: the window gets
    // its own bytes back at the next call, before anything reads it.
    const uint8_t* DecodeBlockInPlace(const uint8_t* in,
                                      size_t inSize,
                                      uint8_t* scratch,
                                      size_t outSize) override;
    void Reset() override;

  private:
    class Bits;
    // A decoded frame as it lies in the window.
    struct Frame {
        uint8_t* data = nullptr;
        size_t size = 0;
        uint64_t position = 0;    // of its first byte in the stream
        uint32_t e8FileSize = 0;  // not 0: its calls still want translating with this size
    };
    // Decodes one block into the window only; its bytes lie there untranslated until the
    // next call.
    bool DecodeFrame(const uint8_t* in, size_t inSize, size_t outSize, Frame* frame);
    bool ReadBlockHeader(Bits& bits);
    bool ReadLengths(Bits& bits, uint8_t* lengths, int first, int last);
    bool DecodeCompressed(Bits& bits, int64_t* run);
    void UndoTranslation();
    bool CopyUncompressed(const uint8_t* in, size_t inSize, size_t* pos, int64_t run);

    int windowBits_;
    uint32_t windowSize_;
    int mainTreeSize_;
    // Not cleared: only bytes already decoded are ever read back (offsets are checked
    // against decoded_), and clearing 2 MB per folder costs more than small folders do. (A
    // match copy saves and restores the bytes just past its end, whatever they hold.) Room
    // for a copy's overshoot follows the window's end. A 2 MB window fills one huge page
    // where the system has them, sparing 511 page faults per folder.
    BigBuffer window_;

    uint64_t decoded_ = 0;     // bytes put into the window since Reset()
    uint64_t frameStart_ = 0;  // position of the frame being decoded
    uint32_t frameIndex_ = 0;
    bool headerRead_ = false;
    uint32_t e8FileSize_ = 0;  // 0: no E8 translation
    uint32_t r0_ = 1, r1_ = 1, r2_ = 1;
    // Calls translated in the window by DecodeBlockInPlace: window position and the bytes
    // that were there.
    struct E8Undo {
        uint32_t at;
        uint32_t bytes;
    };
    std::vector<E8Undo> e8Undo_;

    int blockType_ = 0;
    uint32_t blockLength_ = 0;
    uint32_t blockRemaining_ = 0;
    bool padPending_ = false;  // an odd-sized uncompressed block's pad byte is still to skip

    uint8_t mainLengths_[kLzxNumChars + kLzxMaxPositionSlots * 8] = {};
    uint8_t lengthLengths_[kLzxLengthTreeSize] = {};
    uint8_t alignedLengths_[kLzxAlignedTreeSize] = {};
    HuffmanTable mainTree_;
    HuffmanTable lengthTree_;
    HuffmanTable alignedTree_;
    HuffmanTable pretree_;
};

}  // namespace cab::codec
