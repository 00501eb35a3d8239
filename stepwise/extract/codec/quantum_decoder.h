// Quantum as used in cabinets: an LZ77 window of 2^10 to 2^21 bytes coded with an adaptive
// arithmetic coder over seven selectors (four literal models, three match kinds). The
// models and the window carry over from block to block within a folder; every data block
// is one frame, at whose start the arithmetic coder restarts. Bytes after the frame's last
// symbol (the encoder's flush and padding) are ignored.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "codec/block_decoder.h"

namespace cab::codec {

constexpr int kQuantumMinWindowBits = 10;
constexpr int kQuantumMaxWindowBits = 21;
constexpr int kQuantumMinLevel = 1;
constexpr int kQuantumMaxLevel = 7;

// Tables shared with test encoders.
constexpr int kQuantumPositionSlots = 42;
constexpr int kQuantumLengthSlots = 27;
uint32_t QuantumPositionBase(int slot);
int QuantumPositionExtra(int slot);
uint32_t QuantumLengthBase(int slot);
int QuantumLengthExtra(int slot);

// An adaptive frequency model: symbols kept sorted by falling frequency, cumulative
// frequencies from the top, rescaled when the total passes a bound.
struct QuantumModel {
    static constexpr int kMaxSymbols = 64;
    int entries = 0;
    int shiftsLeft = 4;
    uint16_t symbol[kMaxSymbols + 1] = {};
    uint16_t cumFreq[kMaxSymbols + 1] = {};

    void Init(int start, int count);
    // After symbol index `index` was coded: raise its and the higher entries' counts.
    void Update(int index);
};

class QuantumDecoder final : public BlockDecoder {
  public:
    explicit QuantumDecoder(int windowBits);

    bool DecodeBlock(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) override;
    void Reset() override;

  private:
    class Coder;
    bool CopyMatch(uint32_t offset, uint32_t length, uint64_t frameEnd, uint8_t* out);

    int windowBits_;
    uint32_t windowSize_;
    // Not cleared: only bytes already decoded are ever read back (offsets are checked
    // against decoded_), and clearing 2 MB per folder costs more than small folders do.
    std::unique_ptr<uint8_t[]> window_;
    uint64_t decoded_ = 0;
    QuantumModel selector_;
    QuantumModel literal_[4];
    QuantumModel match3_, match4_, matchLong_, matchLength_;
};

}  // namespace cab::codec
