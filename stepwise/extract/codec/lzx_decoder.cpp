#include "codec/lzx_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <vector>

namespace cab::codec {
namespace {

constexpr int kBlockVerbatim = 1;
constexpr int kBlockAligned = 2;
constexpr int kBlockUncompressed = 3;

// Look-up widths: wide enough that almost every code resolves in one step.
constexpr int kMainTableBits = 12;
constexpr int kLengthTableBits = 10;
constexpr int kAlignedTableBits = 7;
constexpr int kPretreeTableBits = 6;

// E8 translation stops after the first 32768 frames (1 GB), as the format defines.
constexpr uint32_t kE8MaxFrames = 32768;
// Frames shorter than this have no room for a translated call.
constexpr size_t kE8MinFrame = 10;

// A match copy writes up to this many bytes past its end (see CopyMatch); the window has
// that much room after its end.
constexpr size_t kCopyOvershoot = 32;

// The bit stream may be read up to one 16-bit word past its end: the decoder looks ahead
// 16 bits for Huffman codes, and encoders stop at the last whole word.
constexpr uint64_t kAllowedOverrunBits = 16;

struct SlotTables {
    std::array<uint32_t, kLzxMaxPositionSlots + 1> base{};
    std::array<uint8_t, kLzxMaxPositionSlots + 1> extra{};
    constexpr SlotTables() {
        for (int i = 0; i <= kLzxMaxPositionSlots; ++i)
            extra[i] = static_cast<uint8_t>(i < 4 ? 0 : std::min(i / 2 - 1, 17));
        for (int i = 1; i <= kLzxMaxPositionSlots; ++i)
            base[i] = base[i - 1] + (1u << extra[i - 1]);
    }
};
constexpr SlotTables kSlots;

// Windows of decoders that have ended, for the next ones: a fresh window costs a page fault
// per page it reaches (or the clearing of a huge page), which a cabinet of many small
// folders would pay again and again. Only bytes decoded since Reset() are ever read back,
// so what an earlier folder left in a window is never seen.
class WindowCache {
  public:
    BigBuffer Take(size_t size) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (size_t i = 0; i < kept_.size(); ++i) {
                if (kept_[i].size() == size) {
                    BigBuffer window = std::move(kept_[i]);
                    kept_.erase(kept_.begin() + static_cast<std::ptrdiff_t>(i));
                    return window;
                }
            }
        }
        return BigBuffer(size);
    }
    void Give(BigBuffer window) {
        if (!window.data())
            return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (kept_.size() == kKept)
            kept_.erase(kept_.begin());  // the oldest goes
        kept_.push_back(std::move(window));
    }
    // Never destroyed: decoders may end during the program's exit.
    static WindowCache& Instance() {
        static WindowCache* cache = new WindowCache;
        return *cache;
    }

  private:
    // As many as decoding threads commonly run at once; each is at most 2 MB.
    static constexpr size_t kKept = 4;
    std::mutex mutex_;
    std::vector<BigBuffer> kept_;
};

uint32_t ReadU32le(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

int LzxPositionSlots(int windowBits) {
    // 2^21 has 50 slots; smaller windows have two per bit (the 2^20 window has 42).
    return windowBits == 21 ? 50 : windowBits == 20 ? 42 : windowBits * 2;
}
uint32_t LzxPositionBase(int slot) {
    return kSlots.base[slot];
}
int LzxExtraBits(int slot) {
    return kSlots.extra[slot];
}

// Reads 16-bit little-endian words, most significant bit first, from a 64-bit buffer whose
// next bit is bit 63. Bits below the `count_` valid ones are zero or the true next input bits
// (a refill loads a whole 8-byte word but counts only the 16-bit words it fits), so OR-ing
// input in again is harmless. Past the end of the input it supplies zeros and remembers how
// far it went.
class LzxDecoder::Bits {
  public:
    Bits(const uint8_t* in, size_t size) : in_(in), size_(size) {}

    // Tops the buffer up to at least 49 bits: the longest main code, length code and offset
    // that a match takes before the next refill.
    void Refill() {
        if (count_ > 48)
            return;
        if (pos_ + 8 <= size_) {
            uint64_t word;
            std::memcpy(&word, in_ + pos_, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
            word = __builtin_bswap64(word);
#endif
            // Little-endian 16-bit words in stream order: the first word to the top.
            word = word << 32 | word >> 32;
            word = (word & 0x0000FFFF0000FFFFull) << 16 | (word >> 16 & 0x0000FFFF0000FFFFull);
            buffer_ |= word >> count_;
            const int words = (64 - count_) >> 4;
            pos_ += 2 * static_cast<size_t>(words);
            count_ += 16 * words;
            return;
        }
        RefillNearEnd();
    }
    void Ensure(int n) {
        if (count_ < n)
            Refill();
    }
    uint64_t buffer() const {
        return buffer_;
    }
    void Remove(int n) {
        buffer_ <<= n;
        count_ -= n;
    }
    // n <= 32
    uint32_t Read(int n) {
        Ensure(n);
        // Two shifts, because n may be 0.
        const uint32_t v = static_cast<uint32_t>((buffer_ >> 1) >> (63 - n));
        Remove(n);
        return v;
    }
    // Drops 1 to 16 bits to reach a 16-bit boundary and returns the byte position there.
    size_t AlignToBytes() {
        if (count_ == 0)
            Refill();
        const int drop = count_ % 16 ? count_ % 16 : 16;
        Remove(drop);
        const size_t byte = pos_ - static_cast<size_t>(count_ / 8);
        SetBytePosition(byte);
        return byte;
    }
    void SetBytePosition(size_t pos) {
        pos_ = pos;
        buffer_ = 0;
        count_ = 0;
    }
    bool Overrun() const {
        const uint64_t consumed = uint64_t{pos_} * 8 - static_cast<uint64_t>(count_);
        return consumed > uint64_t{size_} * 8 + kAllowedOverrunBits;
    }

  private:
    // The last few bytes, one word at a time, zeros past the end.
    void RefillNearEnd() {
        while (count_ <= 48) {
            uint32_t word = 0;
            if (pos_ < size_)
                word = in_[pos_];
            if (pos_ + 1 < size_)
                word |= static_cast<uint32_t>(in_[pos_ + 1]) << 8;
            pos_ += 2;
            buffer_ |= static_cast<uint64_t>(word) << (48 - count_);
            count_ += 16;
        }
    }

    const uint8_t* in_;
    size_t size_;
    size_t pos_ = 0;
    uint64_t buffer_ = 0;
    int count_ = 0;
};

LzxDecoder::LzxDecoder(int windowBits)
    : windowBits_(std::clamp(windowBits, kLzxMinWindowBits, kLzxMaxWindowBits)),
      windowSize_(1u << windowBits_),
      mainTreeSize_(kLzxNumChars + LzxPositionSlots(windowBits_) * 8),
      window_(WindowCache::Instance().Take(windowSize_ + kCopyOvershoot)) {
    std::memset(window_.data() + windowSize_, 0, kCopyOvershoot);
    e8Undo_.reserve(kMaxBlockOutput / 5 + 1);  // a translated call takes 5 bytes at least
    if (windowBits != windowBits_)
        Fail("LZX: window of 2^" + std::to_string(windowBits) + " bytes is not supported");
}

LzxDecoder::~LzxDecoder() {
    WindowCache::Instance().Give(std::move(window_));
}

void LzxDecoder::Reset() {
    e8Undo_.clear();  // only bytes decoded after this are read
    ClearError();
    decoded_ = frameStart_ = 0;
    frameIndex_ = 0;
    headerRead_ = false;
    e8FileSize_ = 0;
    r0_ = r1_ = r2_ = 1;
    blockType_ = 0;
    blockRemaining_ = 0;
    padPending_ = false;
    std::memset(mainLengths_, 0, sizeof mainLengths_);
    std::memset(lengthLengths_, 0, sizeof lengthLengths_);
    std::memset(alignedLengths_, 0, sizeof alignedLengths_);
}

bool LzxDecoder::ReadLengths(Bits& bits, uint8_t* lengths, int first, int last) {
    uint8_t pre[kLzxPretreeSize];
    for (uint8_t& len : pre)
        len = static_cast<uint8_t>(bits.Read(4));
    if (!pretree_.Build(pre, kLzxPretreeSize, kPretreeTableBits))
        return Fail("LZX: bad pretree");
    auto symbol = [&]() {
        bits.Ensure(HuffmanTable::kMaxCodeLength);
        const uint32_t e = pretree_.Lookup<kPretreeTableBits>(bits.buffer());
        if (HuffmanTable::LengthOf(e) == 0)
            return -1;
        bits.Remove(HuffmanTable::LengthOf(e));
        return HuffmanTable::SymbolOf(e);
    };
    for (int x = first; x < last;) {
        const int z = symbol();
        if (z < 0)
            return Fail("LZX: bad pretree code");
        if (z <= 16) {
            lengths[x] = static_cast<uint8_t>((lengths[x] + 17 - z) % 17);
            ++x;
            continue;
        }
        int run;
        uint8_t value = 0;
        if (z == 17) {
            run = 4 + static_cast<int>(bits.Read(4));
        } else if (z == 18) {
            run = 20 + static_cast<int>(bits.Read(5));
        } else {
            run = 4 + static_cast<int>(bits.Read(1));
            const int d = symbol();
            if (d < 0 || d > 16)
                return Fail("LZX: bad pretree run");
            value = static_cast<uint8_t>((lengths[x] + 17 - d) % 17);
        }
        // A run past the tree's end is cut off there; the lengths beyond do not exist.
        for (; run > 0 && x < last; --run)
            lengths[x++] = value;
    }
    return !bits.Overrun() || Fail("LZX: data ends inside a tree");
}

bool LzxDecoder::ReadBlockHeader(Bits& bits) {
    blockType_ = static_cast<int>(bits.Read(3));
    const uint32_t hi = bits.Read(8);
    const uint32_t mid = bits.Read(8);
    const uint32_t lo = bits.Read(8);
    blockRemaining_ = (hi << 16) | (mid << 8) | lo;
    if (blockRemaining_ == 0)
        return Fail("LZX: empty block");
    switch (blockType_) {
        case kBlockAligned:
            for (uint8_t& len : alignedLengths_)
                len = static_cast<uint8_t>(bits.Read(3));
            if (!alignedTree_.Build(alignedLengths_, kLzxAlignedTreeSize, kAlignedTableBits))
                return Fail("LZX: bad aligned-offset tree");
            [[fallthrough]];
        case kBlockVerbatim:
            if (!ReadLengths(bits, mainLengths_, 0, kLzxNumChars) ||
                !ReadLengths(bits, mainLengths_, kLzxNumChars, mainTreeSize_))
                return false;
            if (!mainTree_.Build(mainLengths_, mainTreeSize_, kMainTableBits))
                return Fail("LZX: bad main tree");
            if (!ReadLengths(bits, lengthLengths_, 0, kLzxLengthTreeSize))
                return false;
            if (!lengthTree_.Build(lengthLengths_, kLzxLengthTreeSize, kLengthTableBits))
                return Fail("LZX: bad length tree");
            return true;
        case kBlockUncompressed:
            return true;
        default:
            return Fail("LZX: invalid block type " + std::to_string(blockType_));
    }
}

namespace {

void Copy16(uint8_t* to, const uint8_t* from) {
    uint8_t block[16];
    std::memcpy(block, from, 16);
    std::memcpy(to, block, 16);
}
void Copy8(uint8_t* to, const uint8_t* from) {
    uint64_t word;
    std::memcpy(&word, from, 8);
    std::memcpy(to, &word, 8);
}
void Copy4(uint8_t* to, const uint8_t* from) {
    uint32_t word;
    std::memcpy(&word, from, 4);
    std::memcpy(to, &word, 4);
}
void Copy2(uint8_t* to, const uint8_t* from) {
    uint16_t word;
    std::memcpy(&word, from, 2);
    std::memcpy(to, &word, 2);
}

// Copies `length` bytes whose source lies at least 8 bytes before or after the destination,
// whole words at a time. Writes stay inside [to, to + length): the bytes after it are history
// from the window's previous lap that later matches may still reach, so the last word of a
// copy overlaps the one before instead of running past the end. Every word read is complete
// before it is read (a source behind lies 8 bytes back) or not yet overwritten (a source
// ahead stays 8 bytes ahead).
inline void CopyApart(uint8_t* to, const uint8_t* from, uint32_t length) {
    if (length >= 8) {
        for (uint32_t i = 0; i + 8 < length; i += 8)
            Copy8(to + i, from + i);
        Copy8(to + length - 8, from + length - 8);
    } else if (length >= 4) {
        Copy4(to, from);
        Copy4(to + length - 4, from + length - 4);
    } else {
        Copy2(to, from);
        Copy2(to + length - 2, from + length - 2);
    }
}

// Copies a match at window[pos] from `offset` bytes back, the source possibly wrapping around
// the window's end (then it lies ahead of the destination, in the previous lap's history).
// The caller has checked that offset is within the window and the match ends inside it.
inline void CopyMatch(uint8_t* window,
                      uint32_t windowSize,
                      uint32_t pos,
                      uint32_t offset,
                      uint32_t length) {
    uint8_t* const to = window + pos;
    if (offset <= pos) {
        if (offset >= 8) {
            // Whole words, running up to 31 bytes past the end, which is cheaper than fitting
            // the last word: those bytes may be history later matches still reach, so they
            // are saved and put back (the window has room for a match ending at its end). The copy
            // never reads them: its source ends before the destination.
            uint8_t saved[kCopyOvershoot];
            uint8_t* const end = to + length;
            std::memcpy(saved, end, kCopyOvershoot);
            const uint8_t* from = to - offset;
            uint8_t* p = to;
            if (offset >= 16) {
                Copy16(p, from);
                Copy16(p + 16, from + 16);
                if (length > 32) {
                    p += 32;
                    from += 32;
                    do {
                        Copy16(p, from);
                        p += 16;
                        from += 16;
                    } while (p < end);
                }
            } else {
                do {
                    Copy8(p, from);
                    p += 8;
                    from += 8;
                } while (p < end);
            }
            std::memcpy(end, saved, kCopyOvershoot);
        } else if (offset == 1) {
            std::memset(to, to[-1], length);
        } else {
            for (uint8_t *p = to, *end = to + length; p != end; ++p)  // repeats the pattern
                *p = p[-static_cast<ptrdiff_t>(offset)];
        }
        return;
    }
    const uint32_t from = pos + windowSize - offset;  // >= pos: offset <= windowSize
    if (from + length <= windowSize) {
        // Ahead of the destination every source byte is read before it is overwritten, so
        // the sequential copy is a memmove.
        if (from - pos >= 8)
            CopyApart(to, window + from, length);
        else
            std::memmove(to, window + from, length);
        return;
    }
    const uint32_t mask = windowSize - 1;
    for (uint32_t i = 0; i < length; ++i)  // the source crosses the window's end
        to[i] = window[(from + i) & mask];
}

// The symbol loop's one error that names a value; the message is made after the loop.
constexpr char kOffsetTooFar[] = "offset";

}  // namespace

// The symbol loop. Everything it touches lives in locals, so the compiler can keep it in
// registers although the window stores could alias any member. No byte needs a bounds check:
// DecodeBlock keeps the frame inside the window (literals stay below its end) and each match
// is checked against the window's end once; the bit reader switches to its careful refill
// by itself near the end of the input.
bool LzxDecoder::DecodeCompressed(Bits& bits, int64_t* run) {
    Bits b = bits;
    uint8_t* const window = window_.data();
    const uint32_t windowSize = windowSize_;
    const uint32_t* const mainTree = mainTree_.data();
    const uint32_t* const lengthTree = lengthTree_.data();
    const uint32_t* const alignedTree = alignedTree_.data();
    const int mainTreeSize = mainTreeSize_;
    const bool aligned = blockType_ == kBlockAligned;
    uint32_t recent[3] = {r0_, r1_, r2_};  // R0, R1, R2
    const uint32_t start = static_cast<uint32_t>(decoded_ & (windowSize - 1));
    uint32_t pos = start;
    // DecodeBlock keeps the frame inside the window, so `end` does not pass its end.
    const uint32_t end = start + static_cast<uint32_t>(*run);
    // Matches may reach back over everything decoded, up to a whole window: in the first lap
    // the window position counts the bytes decoded.
    const bool wholeWindow = decoded_ >= windowSize;
    const char* error = nullptr;
    uint32_t badOffset = 0;  // for the message only

    while (pos < end) {
        b.Ensure(2 * HuffmanTable::kMaxCodeLength);
        uint32_t e = HuffmanTable::LookupIn<kMainTableBits>(mainTree, b.buffer());
        // The length in the entry's low 6 bits (the rest of them are zero) as the shift takes
        // it: the mask costs nothing, and the decoding's critical path loses an instruction.
        b.Remove(static_cast<int>(e & 63));
        int sym = HuffmanTable::SymbolOf(e);
        if (sym < kLzxNumChars) {
            window[pos++] = static_cast<uint8_t>(sym);
            continue;
        }
        if (sym >= mainTreeSize) {  // kNoSymbol
            error = "LZX: bad main tree code";
            break;
        }
        sym -= kLzxNumChars;
        uint32_t length = sym & 7;
        const int slot = sym >> 3;
        {
            // The length code is looked up whether or not the length header asks for it, and
            // used through a mask: this branch would be mispredicted as often as taken.
            e = HuffmanTable::LookupIn<kLengthTableBits>(lengthTree, b.buffer());
            const uint32_t use = 0u - ((length + 1) >> 3);  // all ones for 7, else 0
            const uint32_t extraLength = static_cast<uint32_t>(HuffmanTable::SymbolOf(e)) & use;
            if (extraLength >= kLzxLengthTreeSize) {  // kNoSymbol
                error = "LZX: bad length tree code";
                break;
            }
            b.Remove(HuffmanTable::LengthOf(e) & static_cast<int>(use));
            length += extraLength + kLzxMinMatch;
        }

        uint32_t offset;
        if (slot < 3) {
            // A repeated offset trades places with R0 (for R0 itself, nothing changes).
            offset = recent[slot];
            recent[slot] = recent[0];
            recent[0] = offset;
        } else {
            // At most 17 verbatim bits, or 14 and an aligned code of up to 7.
            b.Ensure(21);
            const int extra = kSlots.extra[slot];
            offset = kSlots.base[slot] - 2;
            if (aligned && extra >= 3) {
                offset += b.Read(extra - 3) << 3;
                e = HuffmanTable::LookupIn<kAlignedTableBits>(alignedTree, b.buffer());
                if (HuffmanTable::SymbolOf(e) >= kLzxAlignedTreeSize) {
                    error = "LZX: bad aligned-offset code";
                    break;
                }
                b.Remove(HuffmanTable::LengthOf(e));
                offset += static_cast<uint32_t>(HuffmanTable::SymbolOf(e));
            } else {
                offset += b.Read(extra);
            }
            recent[2] = recent[1];
            recent[1] = recent[0];
            recent[0] = offset;
        }

        const uint32_t reach = wholeWindow ? windowSize : pos;
        if (offset == 0 || offset > reach) {
            badOffset = offset;
            error = kOffsetTooFar;
            break;
        }
        if (pos + length > windowSize) {
            error = "LZX: match runs past the end of the window";
            break;
        }
        CopyMatch(window, windowSize, pos, offset, length);
        pos += length;
    }

    bits = b;
    r0_ = recent[0];
    r1_ = recent[1];
    r2_ = recent[2];
    decoded_ += pos - start;
    *run = static_cast<int64_t>(end) - pos;
    if (error == kOffsetTooFar)
        return Fail("LZX: match offset " + std::to_string(badOffset) +
                    " reaches before the start of the data");
    if (error)
        return Fail(error);
    return !bits.Overrun() || Fail("LZX: compressed data ends early");
}

namespace {

// Undoes the E8 translation in place, calling saw(p) with each call's 4 bytes before they
// change.
template <class Saw>
void TranslateCalls(uint8_t* data, size_t size, uint64_t frameStart, uint32_t e8FileSize, Saw saw) {
    if (e8FileSize == 0 || size <= kE8MinFrame)
        return;
    const int32_t fileSize = static_cast<int32_t>(e8FileSize);
    int32_t position = static_cast<int32_t>(frameStart);
    uint8_t* p = data;
    uint8_t* const end = data + size - kE8MinFrame;
    while (p < end) {
        // memchr skips the stretches without an E8 byte many times faster than a byte loop;
        // on ordinary data this loop was an eighth of the decoding time.
        uint8_t* hit = static_cast<uint8_t*>(std::memchr(p, 0xE8, static_cast<size_t>(end - p)));
        if (!hit)
            break;
        position += static_cast<int32_t>(hit - p);
        p = hit + 1;
        const int32_t value = static_cast<int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) |
                                                   (static_cast<uint32_t>(p[3]) << 24));
        if (value >= -position && value < fileSize) {
            saw(p);
            const int32_t relative = value >= 0 ? value - position : value + fileSize;
            p[0] = static_cast<uint8_t>(relative);
            p[1] = static_cast<uint8_t>(relative >> 8);
            p[2] = static_cast<uint8_t>(relative >> 16);
            p[3] = static_cast<uint8_t>(static_cast<uint32_t>(relative) >> 24);
        }
        p += 4;
        position += 5;
    }
}

}  // namespace

// Copies `run` bytes of an uncompressed block from the input at *pos into the window.
bool LzxDecoder::CopyUncompressed(const uint8_t* in, size_t inSize, size_t* pos, int64_t run) {
    if (*pos > inSize || static_cast<uint64_t>(run) > inSize - *pos)
        return Fail("LZX: uncompressed block ends early");
    const uint32_t mask = windowSize_ - 1;
    while (run > 0) {
        const uint32_t dest = static_cast<uint32_t>(decoded_ & mask);
        const size_t n = std::min<uint64_t>(static_cast<uint64_t>(run), windowSize_ - dest);
        std::memcpy(window_.data() + dest, in + *pos, n);
        *pos += n;
        decoded_ += n;
        run -= static_cast<int64_t>(n);
    }
    return true;
}

bool LzxDecoder::DecodeFrame(const uint8_t* in, size_t inSize, size_t outSize, Frame* frame) {
    if (!e8Undo_.empty())
        UndoTranslation();
    if (failed())
        return false;
    if (outSize > kMaxBlockOutput || inSize > kMaxBlockInput)
        return Fail("LZX: block larger than the format allows");
    const uint32_t mask = windowSize_ - 1;
    if ((frameStart_ & mask) + outSize > windowSize_)
        return Fail("LZX: frame crosses the end of the window");

    Bits bits(in, inSize);
    // Inside an uncompressed block the frame starts with its raw bytes.
    bool raw = blockType_ == kBlockUncompressed && blockRemaining_ > 0;
    size_t rawPos = 0;
    if (padPending_) {
        bits.SetBytePosition(1);
        padPending_ = false;
    }
    if (!headerRead_) {
        if (bits.Read(1)) {
            // Two statements: the high half comes first in the stream.
            const uint32_t high = bits.Read(16);
            const uint32_t low = bits.Read(16);
            e8FileSize_ = high << 16 | low;
        }
        headerRead_ = true;
    }

    const uint64_t target = frameStart_ + outSize;
    while (decoded_ < target) {
        if (blockRemaining_ == 0) {
            if (!ReadBlockHeader(bits))
                return false;
            blockLength_ = blockRemaining_;
            if (blockType_ == kBlockUncompressed) {
                rawPos = bits.AlignToBytes();
                if (rawPos > inSize || inSize - rawPos < 12)
                    return Fail("LZX: uncompressed block header ends early");
                r0_ = ReadU32le(in + rawPos);
                r1_ = ReadU32le(in + rawPos + 4);
                r2_ = ReadU32le(in + rawPos + 8);
                rawPos += 12;
                raw = true;
            }
        }
        const int64_t run =
            static_cast<int64_t>(std::min<uint64_t>(blockRemaining_, target - decoded_));
        const uint64_t start = decoded_;
        if (raw) {
            if (!CopyUncompressed(in, inSize, &rawPos, run))
                return false;
        } else {
            int64_t left = run;
            if (!DecodeCompressed(bits, &left))
                return false;
        }
        const uint64_t produced = decoded_ - start;
        if (produced > blockRemaining_)
            return Fail("LZX: match runs past the end of its block");
        blockRemaining_ -= static_cast<uint32_t>(produced);
        if (raw && blockRemaining_ == 0) {
            // An odd-sized uncompressed block is followed by one pad byte.
            if (blockLength_ & 1) {
                if (rawPos < inSize)
                    ++rawPos;
                else
                    padPending_ = true;
            }
            bits.SetBytePosition(rawPos);
            raw = false;
        }
    }

    // The window is never translated: later matches read the bytes as decoded.
    frame->data = window_.data() + (frameStart_ & mask);
    frame->size = outSize;
    frame->position = frameStart_;
    frame->e8FileSize = frameIndex_ < kE8MaxFrames && outSize > kE8MinFrame ? e8FileSize_ : 0;
    frameStart_ = target;
    ++frameIndex_;
    return true;
}

bool LzxDecoder::DecodeBlock(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    Frame frame;
    if (!DecodeFrame(in, inSize, outSize, &frame))
        return false;
    std::memcpy(out, frame.data, frame.size);
    TranslateCalls(out, frame.size, frame.position, frame.e8FileSize, [](const uint8_t*) {});
    return true;
}

const uint8_t* LzxDecoder::DecodeBlockInPlace(const uint8_t* in,
                                              size_t inSize,
                                              uint8_t* /*scratch*/,
                                              size_t outSize) {
    // The window serves: the translation is undone before it is read again.
    Frame frame;
    if (!DecodeFrame(in, inSize, outSize, &frame))
        return nullptr;
    uint8_t* const data = frame.data;
    const uint8_t* const window = window_.data();
    TranslateCalls(data, frame.size, frame.position, frame.e8FileSize, [&](const uint8_t* call) {
        uint32_t bytes;
        std::memcpy(&bytes, call, 4);
        e8Undo_.push_back({static_cast<uint32_t>(call - window), bytes});
    });
    return data;
}

void LzxDecoder::UndoTranslation() {
    uint8_t* const window = window_.data();
    for (const E8Undo& u : e8Undo_)
        std::memcpy(window + u.at, &u.bytes, 4);
    e8Undo_.clear();
}

}  // namespace cab::codec
