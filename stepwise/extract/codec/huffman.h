// Canonical Huffman decoding for codes read most-significant bit first, lengths up to 16
// (LZX's trees). Codes are assigned in order of length, then symbol, as LZX and deflate do.
// A table of 2^tableBits entries resolves short codes in one look-up; longer codes fall back
// to a canonical walk.
#pragma once

#include <cstdint>
#include <vector>

namespace cab::codec {

class HuffmanTable {
  public:
    static constexpr int kMaxCodeLength = 16;

    // Builds the table; returns false when the lengths over-subscribe the code space.
    // Incomplete codes are allowed (an unused tree may be all zero); decoding a code no
    // symbol owns then fails.
    bool Build(const uint8_t* lengths, int count, int tableBits);

    // Decodes one symbol from the top bits of `peek16` (the next 16 input bits, first bit
    // in bit 15). Returns the symbol and sets `length` to the bits it used, or returns -1.
    int Decode(uint32_t peek16, int* length) const {
        const Entry e = fast_[peek16 >> (16 - tableBits_)];
        if (e.length != 0) {
            *length = e.length;
            return e.symbol;
        }
        return DecodeSlow(peek16, length);
    }

    bool empty() const { return symbols_.empty(); }

  private:
    struct Entry {
        uint16_t symbol = 0;
        uint8_t length = 0;  // 0: longer code or no code; take the slow path
    };
    int DecodeSlow(uint32_t peek16, int* length) const;

    int tableBits_ = 1;
    std::vector<Entry> fast_ = std::vector<Entry>(2);
    uint16_t counts_[kMaxCodeLength + 1] = {};
    std::vector<uint16_t> symbols_;  // sorted by (length, symbol)
};

}  // namespace cab::codec
