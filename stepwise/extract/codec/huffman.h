// Canonical Huffman decoding for codes read most-significant bit first, lengths up to 16
// (LZX's trees). Codes are assigned in order of length, then symbol, as LZX and deflate do.
// A root table of 2^rootBits entries resolves every code up to that length in one look-up;
// each group of longer codes sharing a root prefix gets a subtable just wide enough for its
// longest code, so no code takes more than two look-ups and no bit-by-bit walk remains.
#pragma once

#include <cstdint>
#include <vector>

namespace cab::codec {

class HuffmanTable {
  public:
    static constexpr int kMaxCodeLength = 16;

    // Builds the table; returns false when the lengths over-subscribe the code space or one
    // exceeds kMaxCodeLength. Incomplete codes are allowed (an unused tree may be all zero);
    // a code no symbol owns decodes to kNoSymbol.
    bool Build(const uint8_t* lengths, int count, int rootBits);

    // A table entry: the symbol in bits 16-31 and the code's length in bits 0-4. A link to a
    // subtable sets kLink, keeps the subtable's index bits in bits 0-4 and its offset in bits
    // 16-31 (past the root, so never below 2^rootBits).
    static constexpr uint32_t kLink = 0x80;
    // The symbol of a code nobody owns, with length 0. It is larger than any real symbol, so
    // a decoding loop can test for it where it tests the symbol's range anyway.
    static constexpr int kNoSymbol = 0xFFFF;
    static int LengthOf(uint32_t entry) { return static_cast<int>(entry & 0x1F); }
    static int SymbolOf(uint32_t entry) { return static_cast<int>(entry >> 16); }

    // Looks up the code at the top of `bits` (the next input bit in bit 63; at least 16 valid
    // bits). RootBits must be the value the table was built with; as a constant it spares
    // the decoding loop a variable shift.
    template <int RootBits>
    uint32_t Lookup(uint64_t bits) const {
        return LookupIn<RootBits>(table_.data(), bits);
    }
    template <int RootBits>
    static uint32_t LookupIn(const uint32_t* table, uint64_t bits) {
        uint32_t e = table[bits >> (64 - RootBits)];
        if (e & kLink)
            e = table[(e >> 16) + ((bits << RootBits) >> (64 - LengthOf(e)))];
        return e;
    }
    // For a loop that keeps the table in a register. Valid after a successful Build().
    const uint32_t* data() const { return table_.data(); }

  private:
    std::vector<uint32_t> table_;
};

}  // namespace cab::codec
