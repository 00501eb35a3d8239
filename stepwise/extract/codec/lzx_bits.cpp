#include "codec/lzx_bits.h"

#include <bit>

#include "codec/huffman_builder.h"

namespace cab::codec::lzx {

int PositionSlots(int windowBits) {
    // 2^15..2^19 add two slots per bit; the last two windows add 4 and 8 more because the
    // slots past 2^18 all span 2^17 bytes.
    if (windowBits == 20)
        return 42;
    if (windowBits == 21)
        return 50;
    return 2 * windowBits;
}

int SlotOf(uint32_t formatted) {
    if (formatted < 4)
        return static_cast<int>(formatted);
    if (formatted >= (1u << 18))
        return 36 + static_cast<int>((formatted - (1u << 18)) >> 17);
    int top = std::bit_width(formatted) - 1;  // formatted in [2^top, 2^(top+1))
    return 2 * top + static_cast<int>((formatted >> (top - 1)) & 1);
}

uint32_t SlotBase(int slot) {
    if (slot < 4)
        return static_cast<uint32_t>(slot);
    if (slot >= 36)
        return (1u << 18) + (static_cast<uint32_t>(slot - 36) << 17);
    int top = slot / 2;
    return (1u << top) + (static_cast<uint32_t>(slot & 1) << (top - 1));
}

int SlotExtraBits(int slot) {
    if (slot < 4)
        return 0;
    int bits = slot / 2 - 1;
    return bits > 17 ? 17 : bits;
}

namespace {

struct PreSymbol {
    uint8_t symbol;
    uint8_t extraBits;
    uint8_t extra;
};

std::vector<PreSymbol> PretreeSymbols(const uint8_t* lengths,
                                      const uint8_t* previous,
                                      size_t count) {
    std::vector<PreSymbol> out;
    auto delta = [&](size_t i, uint8_t value) {
        return static_cast<uint8_t>((previous[i] + 17 - value) % 17);
    };
    size_t i = 0;
    while (i < count) {
        uint8_t value = lengths[i];
        size_t run = 1;
        size_t maxRun = value == 0 ? 51 : 5;
        while (i + run < count && run < maxRun && lengths[i + run] == value)
            ++run;
        if (value == 0 && run >= 20) {
            out.push_back({18, 5, static_cast<uint8_t>(run - 20)});
        } else if (value == 0 && run >= 4) {
            out.push_back({17, 4, static_cast<uint8_t>(run - 4)});
        } else if (value != 0 && run >= 4) {
            // One pretree symbol sets the whole run; it is taken relative to the first
            // element's previous length.
            out.push_back({19, 1, static_cast<uint8_t>(run - 4)});
            out.push_back({delta(i, value), 0, 0});
        } else {
            run = 1;
            out.push_back({delta(i, value), 0, 0});
        }
        i += run;
    }
    return out;
}

template <typename Writer>
void EmitLengths(Writer& out, const std::vector<PreSymbol>& symbols) {
    uint32_t freq[kPretreeSymbols] = {};
    for (const PreSymbol& s : symbols)
        freq[s.symbol]++;
    uint8_t lens[kPretreeSymbols];
    uint16_t codes[kPretreeSymbols];
    BuildCodeLengths(freq, kPretreeSymbols, kMaxPretreeLength, lens);
    BuildCanonicalCodes(lens, kPretreeSymbols, codes);
    for (int s = 0; s < kPretreeSymbols; ++s)
        out.Put(lens[s], 4);
    for (const PreSymbol& s : symbols) {
        out.Put(codes[s.symbol], lens[s.symbol]);
        if (s.extraBits)
            out.Put(s.extra, s.extraBits);
    }
}

}  // namespace

void WriteLengths(BitWriter& out, const uint8_t* lengths, const uint8_t* previous, size_t count) {
    EmitLengths(out, PretreeSymbols(lengths, previous, count));
}

uint64_t LengthsCost(const uint8_t* lengths, const uint8_t* previous, size_t count) {
    BitCounter counter;
    EmitLengths(counter, PretreeSymbols(lengths, previous, count));
    return counter.bits();
}

}  // namespace cab::codec::lzx
