#include "codec/inflate.h"

#include <cstring>

namespace cab::codec {
namespace {

// A table entry packs what one look-up yields:
//   bits 0-7    bits the code takes, with its extra bits for a length or distance, so one
//               shift drops both (for a subtable link: the root bits)
//   bits 8-11   extra bits after a length or distance code; a link's subtable index bits
//   bits 12-15  kind
//   bits 16-31  literal byte, length or distance base, or the subtable's offset
enum Kind : uint32_t {
    kLiteral = 0,
    kBase = 1,  // a length or a distance: base plus extra bits
    kEndOfBlock = 2,
    kLink = 3,  // the code is longer than the root bits: continue in a subtable
    kInvalid = 4,
};

constexpr uint32_t Entry(Kind kind, uint32_t value, uint32_t extra = 0, uint32_t bits = 0) {
    return bits | extra << 8 | static_cast<uint32_t>(kind) << 12 | value << 16;
}
inline uint32_t BitsOf(uint32_t e) {
    return e & 0xFF;
}
inline uint32_t ExtraOf(uint32_t e) {
    return (e >> 8) & 0xF;
}
inline uint32_t KindOf(uint32_t e) {
    return (e >> 12) & 0xF;
}
inline uint32_t ValueOf(uint32_t e) {
    return e >> 16;
}
// A length's or distance's value: the base plus the extra bits that follow the code in `bits`
// (the bit buffer as it was before the entry's bits were dropped).
inline uint32_t BaseValueOf(uint32_t e, uint64_t bits) {
    const uint32_t codeBits = BitsOf(e) - ExtraOf(e);
    return ValueOf(e) + static_cast<uint32_t>((bits & ((1ull << BitsOf(e)) - 1)) >> codeBits);
}

constexpr int kMaxCodeBits = 15;
constexpr unsigned kNumLitLen = 288;  // 286 and 287 exist only in the fixed code, as invalid
constexpr unsigned kMaxLitLen = 286;
constexpr unsigned kNumDist = 32;  // 30 and 31 likewise
constexpr unsigned kMaxDist = 30;
constexpr unsigned kNumCodeLen = 19;
constexpr unsigned kMaxMatch = 258;

// The fast loop needs room for one whole match and input for one whole symbol sequence
// (15 + 5 + 15 + 13 = 48 bits) beyond a word-sized refill.
constexpr size_t kFastInputMargin = 16;
constexpr size_t kFastOutputMargin = kMaxMatch;

const uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint16_t kDistBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
const uint8_t kCodeLenOrder[kNumCodeLen] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                            11, 4,  12, 3, 13, 2, 14, 1, 15};

uint32_t LitLenTemplate(unsigned symbol) {
    if (symbol < 256)
        return Entry(kLiteral, symbol);
    if (symbol == 256)
        return Entry(kEndOfBlock, 0);
    if (symbol < kMaxLitLen)
        return Entry(kBase, kLengthBase[symbol - 257], kLengthExtra[symbol - 257],
                     kLengthExtra[symbol - 257]);
    return Entry(kInvalid, 0);
}

uint32_t DistTemplate(unsigned symbol) {
    if (symbol < kMaxDist)
        return Entry(kBase, kDistBase[symbol], kDistExtra[symbol], kDistExtra[symbol]);
    return Entry(kInvalid, 0);
}

uint32_t CodeLenTemplate(unsigned symbol) {
    return Entry(kLiteral, symbol);
}

enum class Build { Ok, OverSubscribed, Incomplete, TooLarge };

// Builds a two-level table for the canonical code with these lengths, the way zlib's
// inflate_table does: root entries cover every code up to rootBits long, and each group of
// longer codes sharing a root prefix gets a subtable just wide enough for the group. Codes
// are stored bit-reversed because deflate sends them most-significant bit first.
//
// Like zlib, an incomplete code is accepted only when it is a single one-bit code and
// `loneCodeAllowed` (not for the code-length code), and an empty code is accepted: its
// entries take one bit and decode to `emptyEntry`.
template <uint32_t (*TemplateOf)(unsigned)>
Build BuildTable(const uint8_t* lengths,
                 unsigned count,
                 int rootBits,
                 uint32_t emptyEntry,
                 bool loneCodeAllowed,
                 uint32_t* table,
                 size_t tableSize) {
    uint16_t counts[kMaxCodeBits + 1] = {};
    for (unsigned s = 0; s < count; ++s)
        ++counts[lengths[s]];
    counts[0] = 0;
    int maxLen = kMaxCodeBits;
    while (maxLen > 0 && counts[maxLen] == 0)
        --maxLen;
    const size_t rootSize = size_t{1} << rootBits;
    if (maxLen == 0) {
        for (size_t i = 0; i < rootSize; ++i)
            table[i] = emptyEntry | 1;
        return Build::Ok;
    }
    int left = 1;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
        left = (left << 1) - counts[len];
        if (left < 0)
            return Build::OverSubscribed;
    }
    if (left > 0) {
        if (maxLen != 1 || !loneCodeAllowed)
            return Build::Incomplete;
        // One one-bit code: the other half of the table is a code nobody owns.
        for (size_t i = 0; i < rootSize; ++i)
            table[i] = Entry(kInvalid, 0, 0, 1);
    }

    // Symbols in canonical order: by length, then by symbol.
    uint16_t offsets[kMaxCodeBits + 2] = {};
    for (int len = 1; len <= kMaxCodeBits; ++len)
        offsets[len + 1] = offsets[len] + counts[len];
    uint16_t sorted[kNumLitLen];
    for (unsigned s = 0; s < count; ++s)
        if (lengths[s])
            sorted[offsets[lengths[s]]++] = static_cast<uint16_t>(s);

    int len = 1;
    while (counts[len] == 0)
        ++len;
    uint32_t code = 0;      // the current code, bit-reversed
    unsigned next = 0;      // index of the symbol being placed
    size_t tableStart = 0;  // where the current (sub)table begins
    int tableBits = rootBits;
    int drop = 0;  // bits the current subtable's root prefix takes
    size_t used = rootSize;
    const uint32_t rootMask = static_cast<uint32_t>(rootSize - 1);
    uint32_t currentPrefix = ~0u;
    for (;;) {
        const uint32_t entry = TemplateOf(sorted[next]) + static_cast<uint32_t>(len);
        const uint32_t step = 1u << (len - drop);
        for (uint32_t fill = 1u << tableBits; fill != 0;) {
            fill -= step;
            table[tableStart + (code >> drop) + fill] = entry;
        }
        // Next code of this length, counting in reversed bit order.
        uint32_t increment = 1u << (len - 1);
        while (code & increment)
            increment >>= 1;
        code = increment ? (code & (increment - 1)) + increment : 0;

        ++next;
        if (--counts[len] == 0) {
            if (len == maxLen)
                break;
            len = lengths[sorted[next]];
        }
        if (len > rootBits && (code & rootMask) != currentPrefix) {
            // A new root prefix of long codes: open a subtable sized for all of them.
            if (drop == 0)
                drop = rootBits;
            tableStart += size_t{1} << tableBits;
            tableBits = len - drop;
            int room = 1 << tableBits;
            while (tableBits + drop < maxLen) {
                room -= counts[tableBits + drop];
                if (room <= 0)
                    break;
                ++tableBits;
                room <<= 1;
            }
            used += size_t{1} << tableBits;
            if (used > tableSize)
                return Build::TooLarge;
            currentPrefix = code & rootMask;
            table[currentPrefix] = Entry(kLink, static_cast<uint32_t>(tableStart),
                                         static_cast<uint32_t>(tableBits), rootBits);
        }
    }
    return Build::Ok;
}

}  // namespace

// The bit reader and the output position of one Inflate call. Bits are taken from the low end
// of `bits`; `count` of them are valid. Bits above `count` are either zero or the true next
// input bits (a word refill loads more than it counts), so OR-ing input in again is harmless.
// T is the output element: a byte, or a 16-bit element for the wide form.
template <class T>
struct Inflater::Stream {
    const uint8_t* in;
    const uint8_t* inEnd;
    uint64_t bits = 0;
    unsigned count = 0;
    const T* historyStart;
    T* outStart;
    T* out;
    T* outEnd;
    bool truncated = false;

    // Tops the buffer up to at least 56 bits from a whole word; needs 8 bytes of input.
    void RefillWord() {
        uint64_t word;
        std::memcpy(&word, in, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        word = __builtin_bswap64(word);
#endif
        bits |= word << count;
        in += (63 - count) >> 3;
        count |= 56;
    }
    // Makes `n` bits available one byte at a time; false when the input runs out first.
    bool Need(unsigned n) {
        while (count < n) {
            if (in == inEnd) {
                truncated = true;
                return false;
            }
            bits |= static_cast<uint64_t>(*in++) << count;
            count += 8;
        }
        return true;
    }
    uint32_t Peek(unsigned n) const {
        return static_cast<uint32_t>(bits & ((1ull << n) - 1));
    }
    void Drop(unsigned n) {
        bits >>= n;
        count -= n;
    }
    uint32_t Take(unsigned n) {
        const uint32_t v = Peek(n);
        Drop(n);
        return v;
    }
    // Looks the next code up, pulling bytes until the entry's bits are all present.
    bool Lookup(const uint32_t* table, int rootBits, uint32_t* entry) {
        for (;;) {
            uint32_t e = table[bits & ((1u << rootBits) - 1)];
            if (KindOf(e) == kLink)
                e = table[ValueOf(e) + ((bits >> rootBits) & ((1u << ExtraOf(e)) - 1))];
            if (BitsOf(e) <= count) {
                *entry = e;
                return true;
            }
            if (!Need(count + 8))
                return false;
        }
    }
};

Inflater::Inflater() {
    uint8_t lengths[kNumLitLen];
    std::memset(lengths, 8, 144);
    std::memset(lengths + 144, 9, 112);
    std::memset(lengths + 256, 7, 24);
    std::memset(lengths + 280, 8, 8);
    const bool litOk =
        BuildTable<LitLenTemplate>(lengths, kNumLitLen, kLitLenRootBits, Entry(kInvalid, 0), true,
                                   fixedLitLen_, kLitLenTableSize) == Build::Ok;
    std::memset(lengths, 5, kNumDist);
    const bool distOk =
        BuildTable<DistTemplate>(lengths, kNumDist, kDistRootBits, Entry(kInvalid, 0), true,
                                 fixedDist_, kDistTableSize) == Build::Ok;
    fixedReady_ = litOk && distOk;
}

Inflater::Result Inflater::Inflate(const uint8_t* in,
                                   size_t inSize,
                                   const uint8_t* historyStart,
                                   uint8_t* out,
                                   size_t outSize,
                                   size_t* produced) {
    return InflateInto(in, inSize, historyStart, out, outSize, produced);
}

Inflater::Result Inflater::Inflate(const uint8_t* in,
                                   size_t inSize,
                                   const uint16_t* historyStart,
                                   uint16_t* out,
                                   size_t outSize,
                                   size_t* produced) {
    return InflateInto(in, inSize, historyStart, out, outSize, produced);
}

template <class T>
Inflater::Result Inflater::InflateInto(const uint8_t* in,
                                       size_t inSize,
                                       const T* historyStart,
                                       T* out,
                                       size_t outSize,
                                       size_t* produced) {
    Stream<T> s{in, in + inSize};
    s.historyStart = historyStart;
    s.outStart = s.out = out;
    s.outEnd = out + outSize;
    const Result result = Run(s);
    *produced = static_cast<size_t>(s.out - s.outStart);
    return result;
}

template <class T>
Inflater::Result Inflater::Run(Stream<T>& s) {
    message_ = "";
    Result result = Result::Ok;
    for (bool last = false; !last;) {
        if (!s.Need(3))
            break;
        last = s.Take(1) != 0;
        const uint32_t type = s.Take(2);
        if (type == 0) {
            result = DecodeStored(s);
        } else if (type == 1) {
            if (!fixedReady_)
                return Bad("fixed code tables could not be built");
            activeLitLen_ = fixedLitLen_;
            activeDist_ = fixedDist_;
            result = DecodeSymbols(s);
        } else if (type == 2) {
            result = DecodeHeader(s);
            if (result == Result::Ok && !s.truncated)
                result = DecodeSymbols(s);
        } else {
            result = Bad("invalid block type");
        }
        if (result != Result::Ok || s.truncated)
            break;
    }
    if (result != Result::Ok)
        return result;
    // Ending early is fine only when the output is exactly full, which is what zlib accepts
    // when asked to finish into a buffer of the declared size.
    return s.out == s.outEnd ? Result::Ok : Result::Short;
}

template <class T>
Inflater::Result Inflater::DecodeStored(Stream<T>& s) {
    // Skip to a byte boundary, then hand the whole bytes still in the bit buffer back.
    s.Drop(s.count & 7);
    s.in -= s.count >> 3;
    s.bits = 0;
    s.count = 0;
    if (s.inEnd - s.in < 4) {
        s.in = s.inEnd;
        s.truncated = true;
        return Result::Ok;
    }
    const uint32_t length = s.in[0] | s.in[1] << 8;
    const uint32_t complement = s.in[2] | s.in[3] << 8;
    s.in += 4;
    if (length != (complement ^ 0xFFFF))
        return Bad("invalid stored block lengths");
    size_t n = length;
    if (n > static_cast<size_t>(s.inEnd - s.in)) {
        n = static_cast<size_t>(s.inEnd - s.in);
        s.truncated = true;
    }
    if (n > static_cast<size_t>(s.outEnd - s.out))
        return Result::Overflow;
    if constexpr (sizeof(T) == 1) {
        std::memcpy(s.out, s.in, n);
    } else {
        for (size_t i = 0; i < n; ++i)
            s.out[i] = s.in[i];
    }
    s.out += n;
    s.in += n;
    return Result::Ok;
}

template <class T>
Inflater::Result Inflater::DecodeHeader(Stream<T>& s) {
    if (!s.Need(14))
        return Result::Ok;
    const unsigned numLitLen = s.Take(5) + 257;
    const unsigned numDist = s.Take(5) + 1;
    const unsigned numCodeLen = s.Take(4) + 4;
    if (numLitLen > kMaxLitLen || numDist > kMaxDist)
        return Bad("too many length or distance symbols");

    uint8_t lengths[kMaxLitLen + kMaxDist] = {};
    for (unsigned i = 0; i < numCodeLen; ++i) {
        if (!s.Need(3))
            return Result::Ok;
        lengths[kCodeLenOrder[i]] = static_cast<uint8_t>(s.Take(3));
    }
    if (BuildTable<CodeLenTemplate>(lengths, kNumCodeLen, kCodeLenRootBits, Entry(kLiteral, 0),
                                    false, codeLen_, kCodeLenTableSize) != Build::Ok)
        return Bad("invalid code lengths set");

    const unsigned total = numLitLen + numDist;
    std::memset(lengths, 0, kNumCodeLen);
    for (unsigned have = 0; have < total;) {
        uint32_t e;
        if (!s.Lookup(codeLen_, kCodeLenRootBits, &e))
            return Result::Ok;
        const unsigned bits = BitsOf(e), symbol = ValueOf(e);
        if (symbol < 16) {
            s.Drop(bits);
            lengths[have++] = static_cast<uint8_t>(symbol);
            continue;
        }
        uint8_t repeated = 0;
        unsigned times;
        if (symbol == 16) {
            if (!s.Need(bits + 2))
                return Result::Ok;
            s.Drop(bits);
            if (have == 0)
                return Bad("invalid bit length repeat");
            repeated = lengths[have - 1];
            times = 3 + s.Take(2);
        } else if (symbol == 17) {
            if (!s.Need(bits + 3))
                return Result::Ok;
            s.Drop(bits);
            times = 3 + s.Take(3);
        } else {
            if (!s.Need(bits + 7))
                return Result::Ok;
            s.Drop(bits);
            times = 11 + s.Take(7);
        }
        if (have + times > total)
            return Bad("invalid bit length repeat");
        std::memset(lengths + have, repeated, times);
        have += times;
    }
    if (lengths[256] == 0)
        return Bad("invalid code -- missing end-of-block");
    if (BuildTable<LitLenTemplate>(lengths, numLitLen, kLitLenRootBits, Entry(kInvalid, 0), true,
                                   litLen_, kLitLenTableSize) != Build::Ok)
        return Bad("invalid literal/lengths set");
    if (BuildTable<DistTemplate>(lengths + numLitLen, numDist, kDistRootBits, Entry(kInvalid, 0),
                                 true, dist_, kDistTableSize) != Build::Ok)
        return Bad("invalid distances set");
    activeLitLen_ = litLen_;
    activeDist_ = dist_;
    return Result::Ok;
}

namespace {

// Copies a match of `length` (at least 3) bytes from `distance` back. Whole words may run up to
// 29 bytes past the end; the caller's slack absorbs them.
inline uint8_t* CopyMatch(uint8_t* out, uint32_t distance, uint32_t length) {
    uint8_t* const end = out + length;
    const uint8_t* from = out - distance;
    if (distance >= 8) {
        // Most matches are short: four words cover them without a loop test.
        uint64_t word;
        for (int i = 0; i < 32; i += 8) {
            std::memcpy(&word, from + i, 8);
            std::memcpy(out + i, &word, 8);
        }
        from += 32;
        out += 32;
        while (out < end) {
            std::memcpy(&word, from, 8);
            std::memcpy(out, &word, 8);
            from += 8;
            out += 8;
        }
    } else if (distance == 1) {
        const uint64_t word = *from * 0x0101010101010101ull;
        do {
            std::memcpy(out, &word, 8);
            out += 8;
        } while (out < end);
    } else {
        // A period shorter than a word: copy the first word byte by byte (each byte may be one
        // just written), then store that word again and again, each time advancing by the
        // largest whole number of periods it holds, so the pattern carries on seamlessly.
        static constexpr uint8_t kAdvance[8] = {0, 8, 8, 6, 8, 5, 6, 7};
        for (int i = 0; i < 8; ++i)
            out[i] = from[i];
        uint64_t word;
        std::memcpy(&word, out, 8);
        const uint32_t advance = kAdvance[distance];
        out += advance;
        while (out < end) {
            std::memcpy(out, &word, 8);
            out += advance;
        }
    }
    return end;
}

// The same for 16-bit elements: may run up to 7 elements past the end.
inline uint16_t* CopyMatch(uint16_t* out, uint32_t distance, uint32_t length) {
    uint16_t* const end = out + length;
    const uint16_t* from = out - distance;
    if (distance >= 8) {
        do {
            uint64_t words[2];
            std::memcpy(words, from, 16);
            std::memcpy(out, words, 16);
            from += 8;
            out += 8;
        } while (out < end);
    } else if (distance >= 4) {
        do {
            uint64_t word;
            std::memcpy(&word, from, 8);
            std::memcpy(out, &word, 8);
            from += 4;
            out += 4;
        } while (out < end);
    } else if (distance == 1) {
        const uint64_t word = *from * 0x0001000100010001ull;
        do {
            std::memcpy(out, &word, 8);
            out += 4;
        } while (out < end);
    } else {
        for (; out < end; ++out)
            *out = out[-static_cast<ptrdiff_t>(distance)];
    }
    return end;
}

}  // namespace

template <class T>
Inflater::Result Inflater::DecodeSymbols(Stream<T>& stream) {
    // The loop works on a local copy written back at every exit: the output stores could
    // alias `stream`, which would make the compiler store and reload the bit buffer and the
    // pointers around every byte written.
    Stream<T> s = stream;
    struct WriteBack {
        Stream<T>& to;
        const Stream<T>& from;
        ~WriteBack() { to = from; }
    } writeBack{stream, s};
    const uint32_t* const litLen = activeLitLen_;
    const uint32_t* const dist = activeDist_;
    constexpr uint32_t kLitLenMask = (1u << kLitLenRootBits) - 1;
    constexpr uint32_t kDistMask = (1u << kDistRootBits) - 1;

    for (;;) {
        // Fast loop: enough input that no code can run past it and enough room for any match,
        // so neither needs checking per symbol. Each round starts with at least 56 bits
        // buffered and the next literal/length entry already looked up.
        if (static_cast<size_t>(s.inEnd - s.in) >= kFastInputMargin &&
            static_cast<size_t>(s.outEnd - s.out) >= kFastOutputMargin) {
            s.RefillWord();
            uint32_t e = litLen[s.bits & kLitLenMask];
            do {
                if (KindOf(e) == kLiteral) {
                    // Up to three literals from the root table (11 bits each) fit in 56 bits
                    // with a full look-up's worth to spare.
                    s.Drop(BitsOf(e));
                    *s.out++ = static_cast<T>(ValueOf(e));
                    e = litLen[s.bits & kLitLenMask];
                    if (KindOf(e) == kLiteral) {
                        s.Drop(BitsOf(e));
                        *s.out++ = static_cast<T>(ValueOf(e));
                        e = litLen[s.bits & kLitLenMask];
                        if (KindOf(e) == kLiteral) {
                            s.Drop(BitsOf(e));
                            *s.out++ = static_cast<T>(ValueOf(e));
                        }
                    }
                    s.RefillWord();
                    e = litLen[s.bits & kLitLenMask];
                    continue;
                }
                if (KindOf(e) == kLink) {
                    e = litLen[ValueOf(e) +
                               ((s.bits >> kLitLenRootBits) & ((1u << ExtraOf(e)) - 1))];
                    if (KindOf(e) == kLiteral) {
                        s.Drop(BitsOf(e));
                        *s.out++ = static_cast<T>(ValueOf(e));
                        s.RefillWord();
                        e = litLen[s.bits & kLitLenMask];
                        continue;
                    }
                }
                if (KindOf(e) != kBase) {
                    if (KindOf(e) == kEndOfBlock) {
                        s.Drop(BitsOf(e));
                        return Result::Ok;
                    }
                    return Bad("invalid literal/length code");
                }
                // A length with its extra bits (20 bits at most), then a distance with its
                // extra bits (28 at most): 48 of the 56 buffered bits.
                const uint32_t length = BaseValueOf(e, s.bits);
                s.Drop(BitsOf(e));
                e = dist[s.bits & kDistMask];
                if (KindOf(e) == kLink)
                    e = dist[ValueOf(e) + ((s.bits >> kDistRootBits) & ((1u << ExtraOf(e)) - 1))];
                if (KindOf(e) != kBase)
                    return Bad("invalid distance code");
                const uint32_t distance = BaseValueOf(e, s.bits);
                s.Drop(BitsOf(e));
                if (distance > static_cast<size_t>(s.out - s.historyStart))
                    return Bad("invalid distance too far back");
                // Look the next symbol up before copying, so the load overlaps the copy.
                s.RefillWord();
                e = litLen[s.bits & kLitLenMask];
                s.out = CopyMatch(s.out, distance, length);
            } while (static_cast<size_t>(s.inEnd - s.in) >= kFastInputMargin &&
                     static_cast<size_t>(s.outEnd - s.out) >= kFastOutputMargin);
        }

        // Careful path for the last bytes of input or output: every bit and byte is checked.
        uint32_t e;
        if (!s.Lookup(litLen, kLitLenRootBits, &e))
            return Result::Ok;
        const uint32_t kind = KindOf(e);
        if (kind == kLiteral) {
            if (s.out == s.outEnd)
                return Result::Overflow;
            s.Drop(BitsOf(e));
            *s.out++ = static_cast<T>(ValueOf(e));
            continue;
        }
        if (kind == kEndOfBlock) {
            s.Drop(BitsOf(e));
            return Result::Ok;
        }
        if (kind != kBase)
            return Bad("invalid literal/length code");
        // Lookup made the code and its extra bits available.
        const uint32_t length = BaseValueOf(e, s.bits);
        s.Drop(BitsOf(e));
        if (!s.Lookup(dist, kDistRootBits, &e))
            return Result::Ok;
        if (KindOf(e) != kBase)
            return Bad("invalid distance code");
        const uint32_t distance = BaseValueOf(e, s.bits);
        s.Drop(BitsOf(e));
        if (distance > static_cast<size_t>(s.out - s.historyStart))
            return Bad("invalid distance too far back");
        if (length > static_cast<size_t>(s.outEnd - s.out))
            return Result::Overflow;
        for (uint32_t i = 0; i < length; ++i, ++s.out)
            *s.out = s.out[-static_cast<ptrdiff_t>(distance)];
    }
}

}  // namespace cab::codec
