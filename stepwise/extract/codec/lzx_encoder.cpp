#include "codec/lzx_encoder.h"

#include <algorithm>
#include <stdexcept>

#include "codec/huffman_builder.h"
#include "codec/lzx_bits.h"
#include "codec/lzx_match_finder.h"

namespace cab::codec {

using namespace lzx;

namespace {

constexpr uint32_t kFrame = static_cast<uint32_t>(kEncodeFrameSize);
// Readers translate calls in the first 32768 frames only (1 GB of output).
constexpr uint32_t kTranslatedFrames = 32768;

// Estimated bit costs that steer the parser; the trees decide the real costs later.
constexpr int kLiteralCost = 7;

struct Token {
    uint32_t length;  // 0 for a literal
    uint32_t value;   // the literal byte, or the formatted offset (0..2: repeated offsets)
};

struct Choice {
    uint32_t length = 0;
    uint32_t formatted = 0;
    int score = 0;  // estimated bits saved against literals
};

int MatchCost(uint32_t formatted, uint32_t length) {
    int lengthCost = length - kMinMatch >= kPrimaryLengths ? 5 : 0;
    if (formatted < 3)
        return (formatted == 0 ? 6 : 8) + lengthCost;
    return 10 + SlotExtraBits(SlotOf(formatted)) + lengthCost;
}

// The inverse of the readers' E8 translation: a call's relative target becomes absolute
// (as seen from `frameStart + i`), so repeated calls to one function look alike.
void TranslateCalls(uint8_t* data, size_t size, uint32_t frameStart) {
    if (size <= 10)
        return;
    const int32_t translationSize = static_cast<int32_t>(LzxEncoder::kTranslationSize);
    size_t i = 0;
    while (i < size - 10) {
        if (data[i] != 0xE8) {
            ++i;
            continue;
        }
        int32_t current = static_cast<int32_t>(frameStart + i);
        uint8_t* p = data + i + 1;
        int32_t rel = static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (p[1] << 8) |
                                           (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24));
        if (rel >= -current && rel < translationSize) {
            int32_t abs = rel < translationSize - current ? rel + current : rel - translationSize;
            uint32_t v = static_cast<uint32_t>(abs);
            p[0] = static_cast<uint8_t>(v);
            p[1] = static_cast<uint8_t>(v >> 8);
            p[2] = static_cast<uint8_t>(v >> 16);
            p[3] = static_cast<uint8_t>(v >> 24);
        }
        i += 5;
    }
}

}  // namespace

struct LzxEncoder::State {
    explicit State(const LzxEncoderOptions& o)
        : options(o),
          mainSymbols(kNumChars + PositionSlots(o.windowBits) * 8),
          windowSize(1u << o.windowBits),
          maxDistance(windowSize - 3),
          finder(o.windowBits, maxDistance, o.maxChain, static_cast<uint32_t>(o.niceLength)),
          bits(&frameOut) {}

    void AddFrame();
    void EncodeReady(bool final);
    void EncodeBlock(uint32_t blockEnd);
    void Parse(uint32_t blockEnd);
    Choice Best(uint32_t pos, uint32_t blockEnd);
    void EmitCompressed(int type, uint32_t blockEnd);
    void EmitUncompressed(uint32_t blockEnd);
    void WriteBlockHeader(int type, uint32_t size);
    void Advance(uint32_t bytes);
    void EndFrame();

    uint32_t end() const { return base + static_cast<uint32_t>(window.size()); }
    const uint8_t* At(uint32_t pos) const { return window.data() + (pos - base); }

    LzxEncoderOptions options;
    int mainSymbols;
    uint32_t windowSize;
    uint32_t maxDistance;
    MatchFinder finder;

    std::vector<uint8_t> frameIn;  // input of the frame being filled, not yet translated
    uint32_t framesAdded = 0;
    std::vector<uint8_t> window;  // translated stream bytes from `base` on
    uint32_t base = 0;
    uint32_t parsePos = 0;  // everything before it is coded

    uint32_t repeated[3] = {1, 1, 1};
    uint8_t previousMain[kMaxMainSymbols] = {};
    uint8_t previousLength[kSecondaryLengths] = {};
    std::vector<Token> tokens;

    std::vector<uint8_t> frameOut;  // compressed bytes of the current frame
    BitWriter bits;
    uint32_t outPos = 0;  // uncompressed position the output has reached
    uint32_t frameStart = 0;
    bool headerWritten = false;
    std::vector<EncodedBlock>* blocks = nullptr;
    LzxEncoder::Stats stats;
};

LzxEncoder::LzxEncoder(const LzxEncoderOptions& options) {
    if (options.windowBits < kMinWindowBits || options.windowBits > kMaxWindowBits)
        throw std::invalid_argument("LZX window must be 15 to 21 bits");
    LzxEncoderOptions o = options;
    o.framesPerBlock = std::clamp(o.framesPerBlock, 1, 64);
    o.maxChain = std::max(o.maxChain, 1);
    o.niceLength = std::clamp(o.niceLength, 3, kMaxMatch);
    state_ = std::make_unique<State>(o);
    state_->blocks = &blocks_;
}

LzxEncoder::~LzxEncoder() = default;

const LzxEncoder::Stats& LzxEncoder::stats() const {
    return state_->stats;
}

void LzxEncoder::Write(const uint8_t* data, size_t size) {
    State& s = *state_;
    while (size > 0) {
        size_t take = std::min(size, kEncodeFrameSize - s.frameIn.size());
        s.frameIn.insert(s.frameIn.end(), data, data + take);
        data += take;
        size -= take;
        if (s.frameIn.size() == kEncodeFrameSize) {
            s.AddFrame();
            s.EncodeReady(false);
        }
    }
}

void LzxEncoder::Finish() {
    State& s = *state_;
    if (!s.frameIn.empty())
        s.AddFrame();
    s.EncodeReady(true);
    if (s.outPos > s.frameStart)
        s.EndFrame();
}

void LzxEncoder::State::AddFrame() {
    uint32_t start = end();
    if (options.translateCalls && framesAdded < kTranslatedFrames)
        TranslateCalls(frameIn.data(), frameIn.size(), start);
    ++framesAdded;
    // Keep one window of history before the parse position; drop older bytes only when
    // a whole window can go, so the copy stays rare.
    uint32_t keepFrom = parsePos > windowSize ? parsePos - windowSize : 0;
    if (keepFrom > base && keepFrom - base >= windowSize) {
        window.erase(window.begin(), window.begin() + (keepFrom - base));
        base = keepFrom;
    }
    window.insert(window.end(), frameIn.begin(), frameIn.end());
    frameIn.clear();
    finder.SetBuffer(window.data(), base, end());
}

void LzxEncoder::State::EncodeReady(bool final) {
    const uint32_t blockBytes = static_cast<uint32_t>(options.framesPerBlock) * kFrame;
    while (end() - parsePos >= blockBytes)
        EncodeBlock(parsePos + blockBytes);
    if (final && end() > parsePos)
        EncodeBlock(end());
}

void LzxEncoder::State::EncodeBlock(uint32_t blockEnd) {
    uint32_t savedRepeated[3] = {repeated[0], repeated[1], repeated[2]};
    Parse(blockEnd);

    uint32_t mainFreq[kMaxMainSymbols] = {};
    uint32_t lengthFreq[kSecondaryLengths] = {};
    uint32_t alignedFreq[kAlignedSymbols] = {};
    for (const Token& t : tokens) {
        if (t.length == 0) {
            mainFreq[t.value]++;
            continue;
        }
        int slot = SlotOf(t.value);
        uint32_t header = std::min<uint32_t>(t.length - kMinMatch, kPrimaryLengths);
        mainFreq[kNumChars + slot * 8 + header]++;
        if (header == kPrimaryLengths)
            lengthFreq[t.length - kMinMatch - kPrimaryLengths]++;
        if (SlotExtraBits(slot) >= 3)
            alignedFreq[(t.value - SlotBase(slot)) & 7]++;
    }
    uint8_t mainLens[kMaxMainSymbols];
    uint8_t lengthLens[kSecondaryLengths];
    uint8_t alignedLens[kAlignedSymbols];
    BuildCodeLengths(mainFreq, mainSymbols, kMaxCodeLength, mainLens);
    BuildCodeLengths(lengthFreq, kSecondaryLengths, kMaxCodeLength, lengthLens);
    BuildCodeLengths(alignedFreq, kAlignedSymbols, kMaxAlignedLength, alignedLens);

    uint64_t common =
        LengthsCost(mainLens, previousMain, kNumChars) +
        LengthsCost(mainLens + kNumChars, previousMain + kNumChars, mainSymbols - kNumChars) +
        LengthsCost(lengthLens, previousLength, kSecondaryLengths);
    for (int s = 0; s < mainSymbols; ++s)
        common += static_cast<uint64_t>(mainFreq[s]) * mainLens[s];
    for (int s = 0; s < kSecondaryLengths; ++s)
        common += static_cast<uint64_t>(lengthFreq[s]) * lengthLens[s];
    uint64_t verbatimExtra = 0, alignedExtra = 0;
    for (const Token& t : tokens) {
        if (t.length == 0)
            continue;
        int slot = SlotOf(t.value);
        int extra = SlotExtraBits(slot);
        verbatimExtra += extra;
        alignedExtra +=
            extra >= 3 ? extra - 3 + alignedLens[(t.value - SlotBase(slot)) & 7] : extra;
    }
    uint32_t size = blockEnd - parsePos;
    uint64_t verbatim = common + verbatimExtra;
    uint64_t aligned = common + alignedExtra + kAlignedSymbols * 3;
    uint64_t uncompressed = 16 + 96 + 8ull * (size + (size & 1));

    if (uncompressed < verbatim && uncompressed < aligned) {
        // The parse's offsets are not used: the readers take R0..R2 from the block header,
        // which carries the values from before this block.
        std::copy(savedRepeated, savedRepeated + 3, repeated);
        EmitUncompressed(blockEnd);
        stats.uncompressedBlocks++;
    } else {
        int type = aligned < verbatim ? kBlockAligned : kBlockVerbatim;
        (type == kBlockAligned ? stats.alignedBlocks : stats.verbatimBlocks)++;
        for (const Token& t : tokens) {
            if (t.length != 0) {
                stats.matches++;
                stats.repeatedOffsetMatches += t.value < 3 ? 1 : 0;
            }
        }
        WriteBlockHeader(type, size);
        if (type == kBlockAligned) {
            for (int i = 0; i < kAlignedSymbols; ++i)
                bits.Put(alignedLens[i], 3);
        }
        WriteLengths(bits, mainLens, previousMain, kNumChars);
        WriteLengths(bits, mainLens + kNumChars, previousMain + kNumChars, mainSymbols - kNumChars);
        WriteLengths(bits, lengthLens, previousLength, kSecondaryLengths);
        std::copy(mainLens, mainLens + mainSymbols, previousMain);
        std::copy(lengthLens, lengthLens + kSecondaryLengths, previousLength);

        uint16_t mainCodes[kMaxMainSymbols];
        uint16_t lengthCodes[kSecondaryLengths];
        uint16_t alignedCodes[kAlignedSymbols];
        BuildCanonicalCodes(mainLens, mainSymbols, mainCodes);
        BuildCanonicalCodes(lengthLens, kSecondaryLengths, lengthCodes);
        BuildCanonicalCodes(alignedLens, kAlignedSymbols, alignedCodes);
        for (const Token& t : tokens) {
            if (t.length == 0) {
                bits.Put(mainCodes[t.value], mainLens[t.value]);
                Advance(1);
                continue;
            }
            int slot = SlotOf(t.value);
            uint32_t header = std::min<uint32_t>(t.length - kMinMatch, kPrimaryLengths);
            int symbol = kNumChars + slot * 8 + static_cast<int>(header);
            bits.Put(mainCodes[symbol], mainLens[symbol]);
            if (header == kPrimaryLengths) {
                int l = static_cast<int>(t.length) - kMinMatch - kPrimaryLengths;
                bits.Put(lengthCodes[l], lengthLens[l]);
            }
            int extra = SlotExtraBits(slot);
            uint32_t footer = t.value - SlotBase(slot);
            if (type == kBlockAligned && extra >= 3) {
                bits.Put(footer >> 3, extra - 3);
                bits.Put(alignedCodes[footer & 7], alignedLens[footer & 7]);
            } else if (extra > 0) {
                bits.Put(footer, extra);
            }
            Advance(t.length);
        }
    }
    parsePos = blockEnd;
}

void LzxEncoder::State::WriteBlockHeader(int type, uint32_t size) {
    if (!headerWritten) {
        headerWritten = true;
        bits.Put(options.translateCalls ? 1 : 0, 1);
        if (options.translateCalls) {
            bits.Put(kTranslationSize >> 16, 16);
            bits.Put(kTranslationSize & 0xFFFF, 16);
        }
    }
    bits.Put(static_cast<uint32_t>(type), 3);
    bits.Put(size >> 8, 16);
    bits.Put(size & 0xFF, 8);
}

void LzxEncoder::State::EmitUncompressed(uint32_t blockEnd) {
    uint32_t size = blockEnd - parsePos;
    WriteBlockHeader(kBlockUncompressed, size);
    bits.PadForUncompressed();
    for (uint32_t r : repeated) {
        for (int i = 0; i < 4; ++i)
            bits.PutByte(static_cast<uint8_t>(r >> (8 * i)));
    }
    for (uint32_t pos = parsePos; pos < blockEnd; ++pos) {
        bits.PutByte(*At(pos));
        Advance(1);
    }
    // An odd-sized block is followed by one byte so the next header starts on a word.
    // Blocks start on frame boundaries, so only a stream's last block can be odd and the
    // byte lands in its last frame.
    if (size & 1)
        bits.PutByte(0);
}

void LzxEncoder::State::Advance(uint32_t bytes) {
    outPos += bytes;
    if (outPos - frameStart == kFrame)
        EndFrame();
}

void LzxEncoder::State::EndFrame() {
    bits.AlignToWord();
    EncodedBlock block;
    block.uncompressedSize = outPos - frameStart;
    block.data.swap(frameOut);
    blocks->push_back(std::move(block));
    frameStart = outPos;
}

void LzxEncoder::State::Parse(uint32_t blockEnd) {
    tokens.clear();
    uint32_t pos = parsePos;
    Choice current = Best(pos, blockEnd);
    while (pos < blockEnd) {
        if (current.length == 0) {
            tokens.push_back({0, *At(pos)});
            ++pos;
            if (pos < blockEnd)
                current = Best(pos, blockEnd);
            continue;
        }
        if (current.length < static_cast<uint32_t>(options.niceLength) && pos + 1 < blockEnd) {
            // Lazy evaluation: a better match one byte on is worth a literal now.
            Choice next = Best(pos + 1, blockEnd);
            if (next.score > current.score) {
                tokens.push_back({0, *At(pos)});
                ++pos;
                current = next;
                continue;
            }
        }
        tokens.push_back({current.length, current.formatted});
        if (current.formatted >= 3) {
            repeated[2] = repeated[1];
            repeated[1] = repeated[0];
            repeated[0] = current.formatted - 2;
        } else if (current.formatted != 0) {
            std::swap(repeated[0], repeated[current.formatted]);
        }
        pos += current.length;
        current = pos < blockEnd ? Best(pos, blockEnd) : Choice{};
    }
}

Choice LzxEncoder::State::Best(uint32_t pos, uint32_t blockEnd) {
    finder.InsertUpTo(pos);
    uint32_t frameEnd = (pos / kFrame + 1) * kFrame;
    uint32_t maxLength =
        std::min({static_cast<uint32_t>(kMaxMatch), frameEnd - pos, blockEnd - pos});
    Choice best;
    if (maxLength < static_cast<uint32_t>(kMinMatch))
        return best;
    for (uint32_t i = 0; i < 3; ++i) {
        uint32_t distance = repeated[i];
        if (distance > pos - base || distance > maxDistance)
            continue;
        uint32_t length = finder.MatchLength(pos, distance, maxLength);
        if (length < static_cast<uint32_t>(kMinMatch))
            continue;
        int score = static_cast<int>(length) * kLiteralCost - MatchCost(i, length);
        if (score > best.score)
            best = {length, i, score};
    }
    Match m = finder.Find(pos, maxLength);
    if (m.length >= 3) {
        uint32_t formatted = m.distance + 2;
        int score = static_cast<int>(m.length) * kLiteralCost - MatchCost(formatted, m.length);
        if (score > best.score)
            best = {m.length, formatted, score};
    }
    return best;
}

}  // namespace cab::codec
